#pragma once

#include <QObject>

namespace velmora {

// A held key repeats; a repeat must never do what only a press does. The
// auto-repeats of Enter and Esc, of the space bar on a button and of Alt
// with a key (a button's shortcut) reach no window and no control, so a
// held key presses a button or closes a message box once, on its first
// press, as it did before. The program installs one for the whole
// application (Forms does); other held keys, a digit in a text box among
// them, repeat as usual.
class HeldKeyFilter final : public QObject
{
public:
    explicit HeldKeyFilter(QObject *parent);

    // True for a key event that is a repeat of a key that presses buttons.
    static bool isHeldButtonKey(const QObject *receiver, const QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A repeat the platform did not mark: X repeats a held key as a release
    // and a press with the same time stamp, which no person types.
    bool isUnmarkedRepeat(const QEvent *event);

    int m_releasedKey = 0;
    quint64 m_releasedAt = 0;
};

} // namespace velmora
