#pragma once

#include "linemodel.h"

#include <tabulo/control.h>

#include <QList>
#include <QWidget>

#include <array>
#include <memory>

namespace tabulo {

class LineLabel;

// The list control: 20 line pairs over a LineModel that holds every rule.
// The widget mirrors the model's lines into its labels, turns mouse input
// on the text labels into clicks and moves, and hands the model's events
// to the registered sinks.
class myControl final : public QWidget, public Control
{
    Q_OBJECT

public:
    explicit myControl(QWidget *parent = nullptr);
    ~myControl() override;

    Result invoke(DispId dispid, CallKind kind, const QVariantList &arguments) override;
    void advise(EventSink *sink) override;
    void unadvise(EventSink *sink) override;
    QWidget *widget() override { return this; }

    const LineModel &model() const { return *m_model; }
    LineLabel *lblNumber(int index) const { return m_lblNumber.at(slot(index)); }
    LineLabel *lblData(int index) const { return m_lblData.at(slot(index)); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    static std::size_t slot(int index) { return static_cast<std::size_t>(index - 1); }
    void UserControl_Initialize();
    void UserControl_Resize();
    void UserControl_Terminate();
    void lblData_Click(qint16 Index);
    void lblData_MouseMove(qint16 Index);
    void showLine(int index);
    void placeLines();
    void raise(EventId id, const QVariantList &arguments);

    std::unique_ptr<LineModel> m_model;
    std::array<LineLabel *, LineModel::Lines> m_lblNumber{};
    std::array<LineLabel *, LineModel::Lines> m_lblData{};
    QList<EventSink *> m_sinks;
};

} // namespace tabulo
