#include "run/moveentry.h"

#include "platform/core/product.h"
#include "platform/keycodes.h"

#include <QStringView>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

bool isDigitCode(int code)
{
    return code >= '0' && code <= '9';
}

// The value of the decimal digits `text` begins with; nothing when it does
// not begin with one. Only 0-9 count, and the value stops growing at the
// 16-bit limit (a box of five characters never gets there).
std::optional<qint16> leadingNumber(QStringView text)
{
    int value = 0;
    qsizetype digits = 0;
    for (; digits < text.size() && isDigitCode(text[digits].unicode()); ++digits)
        value = std::min(value * 10 + (text[digits].unicode() - '0'), MaxCount16);
    if (digits == 0)
        return std::nullopt;
    return static_cast<qint16>(value);
}

} // namespace

MoveEntry::MoveEntry(MoveBox &box, MoveTarget &target)
    : m_box(box)
    , m_target(target)
{
}

QString MoveEntry::prefix(qint16 line)
{
    return QString::number(line) + (line < 10 ? u" -"_s : u"-"_s);
}

void MoveEntry::txtChange_KeyPress(int &KeyAscii)
{
    keyPress(KeyAscii);
    if (m_TypedFrom != 0)
        m_linePending = true; // the typed first line is the control's pending line
}

void MoveEntry::keyPress(int &KeyAscii)
{
    if (KeyAscii == 0)
        return; // no key at all
    // Every step below looks at the key as it was pressed; Backspace only
    // ever turns it into 0, which is a non-digit too.
    const bool digit = isDigitCode(KeyAscii);

    if (KeyAscii == KeyCodes::Backspace && !backspace(KeyAscii))
        return;

    if (!digit) {
        if (m_TypedFrom == 0)
            readFirstNumber();
        if (m_TypedFrom != 0)
            readSecondNumber();
    }

    if (KeyAscii == KeyCodes::Enter && m_TypedFrom != 0 && m_TypedTo != 0) {
        // OverSwap comes back from inside Swap and already ends the entry;
        // the same end is written again after it, so the order is harmless.
        m_target.Swap(m_TypedFrom, m_TypedTo);
        m_TypedTo = 0;
        m_TypedFrom = 0;
        m_box.setText({});
        KeyAscii = 0;
    }

    // The dash the pupil types only ends the first number: the program
    // writes its own, and no printable non-digit ever enters the box.
    if (KeyAscii > 31 && !digit)
        KeyAscii = 0;
}

bool MoveEntry::backspace(int &KeyAscii)
{
    KeyAscii = 0;
    if (m_TypedFrom == 0) {
        m_box.setText({});
        return false;
    }
    // Right after the dash (the fourth position), Backspace gives the first
    // line up, whatever else the box holds: loose digits, or a digit typed
    // into the prefix. Anywhere else it takes the whole second number away
    // and writes the prefix afresh (also when the box held no prefix, as
    // after a line clicked in the list while the box was empty).
    if (m_box.caret() == PrefixLength) {
        m_target.ClearSelection();
        m_TypedFrom = 0;
        m_box.setText({});
    } else {
        m_TypedTo = 0;
        showPrefix();
    }
    return true;
}

void MoveEntry::readFirstNumber()
{
    m_TypedTo = 0;
    const QString text = m_box.text();
    const std::optional<qint16> number = leadingNumber(QStringView(text).left(2));
    if (!number)
        return;
    m_TypedFrom = *number;
    // There is no line 0: "0" and "00" are refused like a line past the end.
    if (m_TypedFrom == 0 || m_TypedFrom > m_target.MaxLbl()) {
        refuseFirstNumber();
        return;
    }
    m_target.setSelection(m_TypedFrom, true);
    showPrefix();
    m_MovingFrom = m_TypedFrom;
}

void MoveEntry::readSecondNumber()
{
    const qint16 lines = m_target.MaxLbl();
    // A first line typed on a longer task stays in the box for the next
    // one; past the new line count it would exchange a line with a hidden
    // one and lose its text, so it is refused now.
    if (m_TypedFrom > lines) {
        refuseFirstNumber();
        return;
    }
    // A line clicked in the list while the box held no prefix (or digits
    // typed into the prefix): the prefix is written and nothing follows it.
    if (!holdsPrefix()) {
        m_TypedTo = 0;
        showPrefix();
        return;
    }
    const QString text = m_box.text();
    const std::optional<qint16> number = leadingNumber(QStringView(text).mid(PrefixLength));
    if (!number) {
        m_TypedTo = 0; // the second number is always what the box shows
        return;
    }
    m_TypedTo = *number;
    if (m_TypedTo > lines) {
        showPrefix();
        m_TypedTo = 0;
        m_box.beep();
        return;
    }
    // "3 -05" reads as 5 and shows so; a second line 0 stays on show but
    // never completes a move.
    m_box.setText(prefix(m_TypedFrom) + QString::number(m_TypedTo));
}

void MoveEntry::refuseFirstNumber()
{
    m_box.setText({});
    m_TypedFrom = 0;
    m_TypedTo = 0;
    m_box.beep();
}

void MoveEntry::showPrefix()
{
    m_box.setText(prefix(m_TypedFrom));
    m_box.setCaret(PrefixLength);
}

bool MoveEntry::holdsPrefix() const
{
    return m_box.text().startsWith(prefix(m_TypedFrom));
}

void MoveEntry::StartSwap(qint16 from)
{
    m_linePending = true;
    m_MovingFrom = from;
    m_TypedFrom = from;
}

void MoveEntry::lblMouseMove(qint16 Index)
{
    m_target.setInf(u"Перемещаем из "_s + QString::number(m_MovingFrom) + u" в "_s + QString::number(Index));
}

void MoveEntry::OverSwap()
{
    m_linePending = false;
    m_target.setInf(u"усё"_s);
    m_box.setText({});
    m_TypedFrom = 0;
    m_TypedTo = 0;
}

void MoveEntry::taskShown(qint16 lines)
{
    if (m_linePending && m_MovingFrom > lines)
        m_target.Swap(m_MovingFrom, m_MovingFrom);
}

} // namespace velmora
