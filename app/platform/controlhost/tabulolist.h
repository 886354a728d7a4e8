#pragma once

#include "platform/controlhost/outcome.h"

#include <tabulo/control.h>

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace velmora {

// The program's typed face of the list control "Tabulo.myControl".
//
// Every member still goes late-bound through Control::invoke with the
// control's dispatch identifiers (line numbers passed by reference to a
// 16-bit integer, texts and flags by value), so this class is the one place
// where the program binds to the control. Failures come back as values:
// the control's own (9 "Subscript out of range", 340 "Control array element
// 'N' doesn't exist", 666 "Типа оно должно быть от 1 до 20") and, once the
// control has gone with its window, 91.
//
// The control's events arrive as the signals StartSwap, lblMouseMove and
// OverSwap, synchronously, before the operation that raised them goes on; a
// slot may call back into the control (the main window's OverSwap does).
//
// Typical use in a window's load handler:
//     auto made = velmora::TabuloList::create(this);
//     if (!made.ok()) { show made.failure->description; return; }
//     myControl1 = made.value;               // owned by `this`
//     myControl1->widget()->setGeometry(...);
//     connect(myControl1, &TabuloList::OverSwap, this, &frmMain::myControl1_OverSwap);
//     myControl1->Clear(); myControl1->setMaxLbl(3); myControl1->setTxtData(1, step);
class TabuloList final : public QObject, private tabulo::EventSink
{
    Q_OBJECT

public:
    // Number of a call on a control that is gone.
    static constexpr int ObjectNotSet = 91;

    // Finds the library by its metadata, creates the control as a child
    // widget of `container` and a proxy owned by `container` too; both go
    // when the container goes. Fails with 429 and a Russian description
    // when the library is missing, broken or not ours.
    static Outcome<TabuloList *> create(QWidget *container);

    // Wraps a control made by other means (the tests do); `parent` owns
    // the proxy, the control's own parent owns the control.
    TabuloList(tabulo::Control *control, QObject *parent);
    ~TabuloList() override;

    // The control's widget, for the window's layout; null once it is gone.
    QWidget *widget() const { return m_widget; }

    std::optional<Failure> Clear();
    std::optional<Failure> ClearSelection();
    std::optional<Failure> Swap(qint16 from, qint16 inTo);
    std::optional<Failure> setMaxLbl(qint16 n);
    Outcome<qint16> MaxLbl();
    std::optional<Failure> setTxtData(qint16 index, const QString &text);
    Outcome<QString> txtData(qint16 index);
    std::optional<Failure> setSelection(qint16 index, bool flag);
    Outcome<bool> Selection(qint16 index);

    // The late-bound entry itself.
    Outcome<QVariant> invoke(tabulo::DispId dispid, tabulo::CallKind kind,
                             const QVariantList &arguments);

Q_SIGNALS:
    void StartSwap(qint16 from);
    void lblMouseMove(qint16 Index);
    void OverSwap();

private:
    void onEvent(tabulo::EventId id, const QVariantList &arguments) override;
    std::optional<Failure> call(tabulo::DispId dispid, tabulo::CallKind kind,
                                const QVariantList &arguments);

    tabulo::Control *m_control = nullptr;
    QPointer<QWidget> m_widget;
};

} // namespace velmora
