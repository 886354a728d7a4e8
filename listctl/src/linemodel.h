#pragma once

#include "screenrules/twips.h"

#include <tabulo/dispatch.h>

#include <QObject>
#include <QString>

#include <array>

namespace tabulo {

using screenrules::TwipScale;

// A label's box in twips, as the label reports it (snapped to whole pixels).
struct Box final
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const Box &, const Box &) = default;
};

// One line: the pair lblNumber(i), lblData(i) with everything the widget
// shows of them. The text lives here and nowhere else.
struct Line final
{
    QString number; // caption of lblNumber
    QString text; // caption of lblData
    quint32 backColour = 0; // of lblData, a colour code
    quint32 foreColour = 0;
    bool visible = true;
    Box numberBox;
    Box dataBox;
};

// The rules of myControl without any window: the 20 lines, the line count,
// the highlight flags, the pending first line of an exchange and the layout
// arithmetic. The widget mirrors its state and feeds it mouse input; events
// leave as signals, synchronously.
class LineModel final : public QObject
{
    Q_OBJECT

public:
    static constexpr qint16 Lines = 20;
    static constexpr double DesignWidth = 5376;
    static constexpr double DesignHeight = 4236;
    static constexpr double FreeStrip = 40;

    explicit LineModel(TwipScale scale = {}, QObject *parent = nullptr);
    ~LineModel() override;

    // The programmable members. Failures come back in the result; nothing
    // changes when a member fails before its first step.
    Result setMaxLbl(qint16 n);
    Result MaxLbl() const;
    Result setTxtData(qint16 Index, const QString &strData);
    Result txtData(qint16 Index) const;
    Result setSelection(qint16 Index, bool flag);
    Result Selection(qint16 Index) const;
    void ClearSelection();
    void Clear();
    Result Swap(qint16 from, qint16 inTo);

    // Mouse input on the text label of line Index.
    void lblData_Click(qint16 Index);
    void lblData_MouseMove(qint16 Index);

    // The host gave the control a new size (twips); lays the lines out.
    void UserControl_Resize(double width, double height);

    qint16 lineCount() const { return m_count; }
    qint16 PendingLine() const { return m_pendingLine; }
    bool LineSelected(int index) const { return m_lineSelected.at(slot(index)); }
    const Line &line(int index) const { return m_lines.at(slot(index)); }
    double width() const { return m_width; }
    double height() const { return m_height; }
    TwipScale scale() const { return m_scale; }

    // What a screen reader says for line `index`: "Строка 3 из 12: <text>"
    // for a visible line, nothing for a hidden one.
    QString accessibleName(int index) const;

Q_SIGNALS:
    void StartSwap(qint16 from);
    void lblMouseMove(qint16 Index);
    void OverSwap();
    // Something of line `index` changed: captions, colours, visibility.
    void lineChanged(int index);
    // Boxes of the lines changed.
    void laidOut();

private:
    static std::size_t slot(int index) { return static_cast<std::size_t>(index - 1); }
    static bool exists(qint16 index) { return index >= 1 && index <= Lines; }
    Line &at(int index) { return m_lines.at(slot(index)); }
    void highlight(int index, bool on);
    void layout();

    TwipScale m_scale;
    double m_width = DesignWidth;
    double m_height = DesignHeight;
    qint16 m_count = Lines;
    qint16 m_pendingLine = 0;
    std::array<bool, Lines> m_lineSelected{};
    std::array<Line, Lines> m_lines;
};

// The failure for `number` with its standard description.
Failure standardFailure(qint32 number);
// The label array's failure for a missing member: 340 naming the index.
Failure missingElement(qint16 index);

} // namespace tabulo
