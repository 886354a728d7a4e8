#pragma once

#include <QString>
#include <QtGlobal>

namespace velmora {

// The move box as the entry sees it: the window's QLineEdit implements it.
// Like a QLineEdit, setText puts the caret at the end of the new text.
class MoveBox
{
public:
    virtual ~MoveBox() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual int caret() const = 0;
    virtual void setCaret(int position) = 0;
    virtual void beep() = 0;
};

// The list control as the entry calls it (the window forwards to the real
// control through its dispatch interface). Swap raises OverSwap before it
// returns, and the window hands that event straight back to the entry.
class MoveTarget
{
public:
    virtual ~MoveTarget() = default;
    virtual qint16 MaxLbl() = 0;
    virtual void setSelection(qint16 index, bool flag) = 0;
    virtual void ClearSelection() = 0;
    virtual void Swap(qint16 from, qint16 inTo) = 0;
    // The status bar's panel "inf".
    virtual void setInf(const QString &text) = 0;
};

// The two ways of naming a move in the main window, sharing one state: the
// pupil types "3", any non-digit, "5" and Enter into txtChange (the box then
// reads "3 -5"), or clicks line 3 and then line 5 in myControl1.
//
// Once a first line is accepted the box always starts with that line's
// three-character prefix ("3 -", "12-"), and the second number is read from
// the fourth character on. The box holds at most BoxLength characters.
class MoveEntry final
{
public:
    static constexpr int BoxLength = 5;
    static constexpr int PrefixLength = 3;

    MoveEntry(MoveBox &box, MoveTarget &target);
    Q_DISABLE_COPY_MOVE(MoveEntry)

    // txtChange's key press: the character code in and out (0 = swallowed).
    void txtChange_KeyPress(int &KeyAscii);

    // myControl1's events.
    void StartSwap(qint16 from);
    void lblMouseMove(qint16 Index);
    void OverSwap();

    // The next task is on screen with `lines` lines. A move begun on the
    // task before carries over (the box, the values and the control's
    // pending line stay), but not from a line this task does not show: the
    // next click would exchange a visible line with a hidden one and the
    // pupil would lose a step. That move ends, as an exchange of the line
    // with itself.
    void taskShown(qint16 lines);

    qint16 TypedFrom() const { return m_TypedFrom; }
    qint16 TypedTo() const { return m_TypedTo; }
    qint16 MovingFrom() const { return m_MovingFrom; }

    // "3 -" for line 3, "12-" for line 12.
    static QString prefix(qint16 line);

private:
    void keyPress(int &KeyAscii);
    // Backspace; false when the handler ends with it.
    bool backspace(int &KeyAscii);
    void readFirstNumber();
    void readSecondNumber();
    void refuseFirstNumber();
    void showPrefix();
    bool holdsPrefix() const;

    MoveBox &m_box;
    MoveTarget &m_target;
    qint16 m_TypedFrom = 0;
    qint16 m_TypedTo = 0;
    qint16 m_MovingFrom = 0;
    // The control holds a first line (MovingFrom) waiting for its second:
    // from a typed first number or a first click until an exchange. Giving
    // a typed first number up with Backspace leaves it pending.
    bool m_linePending = false;
};

} // namespace velmora
