#include "platform/forms.h"
#include "platform/keypressfilter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <bit>

using namespace Qt::StringLiterals;
using namespace velmora;

using Rule = void (*)(int &);
Q_DECLARE_METATYPE(Rule)

namespace {

// A window with a button and a text box that records its key handlers.
class KeyProbe final : public Form
{
    Q_OBJECT
public:
    explicit KeyProbe(Forms &forms)
        : Form(forms)
        , button(new QPushButton(u"Готово"_s, this))
        , box(new QLineEdit(this))
    {
        box->move(0, 40);
    }
    void Form_KeyDown(int KeyCode, int Shift) override { downs << QPoint(KeyCode, Shift); }
    void Form_KeyUp(int KeyCode, int Shift) override { ups << QPoint(KeyCode, Shift); }
    void Form_KeyPress(int &KeyAscii) override
    {
        presses << KeyAscii;
        if (onKeyPress)
            onKeyPress(KeyAscii);
    }
    void Form_Resize() override { resizes << (isMinimized() ? u"min"_s : u"shown"_s); }

    QPushButton *button;
    QLineEdit *box;
    QList<QPoint> downs, ups; // (KeyCode, Shift)
    QList<int> presses;
    QStringList resizes;
    std::function<void(int &)> onKeyPress;
};

// Handlers a text box's key press may have.
void swallowLetters(int &k) { k = QChar(char16_t(k)).isLetter() ? 0 : k; }
void dashToBlank(int &k) { k = k == '-' ? ' ' : k; }
void enterToStar(int &k) { k = k == 13 ? '*' : k; }
void leave(int &) {}

// Types text as a keyboard would, Cyrillic included.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
}

} // namespace

class tst_Keys final : public QObject
{
    Q_OBJECT

    Forms m_forms;

private Q_SLOTS:
    // Letters keep their code whatever Shift; modifiers add 1, 2, 4. The key
    // comes once, whether the control keeps it (the box) or passes it up
    // to the window (the button).
    void keyPreviewCodes_data()
    {
        QTest::addColumn<bool>("onBox");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("shift");
        QTest::newRow("letter") << false << int(Qt::Key_A) << 0 << 65 << 0;
        QTest::newRow("shift") << false << int(Qt::Key_Z) << int(Qt::ShiftModifier) << 90 << 1;
        QTest::newRow("ctrl") << true << int(Qt::Key_Q) << int(Qt::ControlModifier) << 81 << 2;
        QTest::newRow("alt") << false << int(Qt::Key_K) << int(Qt::AltModifier) << 75 << 4;
        QTest::newRow("shift+alt on the box") << true << int(Qt::Key_K)
                                              << int(Qt::ShiftModifier | Qt::AltModifier) << 75 << 5;
        QTest::newRow("shift+alt on the button") << false << int(Qt::Key_P)
                                                 << int(Qt::ShiftModifier | Qt::AltModifier) << 80 << 5;
        QTest::newRow("all three") << true << int(Qt::Key_K)
                                   << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier) << 75 << 7;
        QTest::newRow("digit") << true << int(Qt::Key_7) << 0 << 55 << 0;
        QTest::newRow("enter") << true << int(Qt::Key_Return) << 0 << 13 << 0;
        QTest::newRow("keypad enter") << true << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 13 << 0;
        QTest::newRow("backspace") << true << int(Qt::Key_Backspace) << 0 << 8 << 0;
        QTest::newRow("F12") << false << int(Qt::Key_F12) << 0 << 123 << 0;
    }
    void keyPreviewCodes()
    {
        QFETCH(bool, onBox);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, keyCode);
        QFETCH(int, shift);
        KeyProbe window(m_forms);
        window.setKeyPreview(true);
        QWidget *target = onBox ? static_cast<QWidget *>(window.box) : window.button;
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        // The modifier keys come and go around the key, as on a keyboard.
        const auto withoutModifierKeys = [](QList<QPoint> keys) {
            keys.removeIf([](QPoint k) { return k.x() >= 16 && k.x() <= 18; });
            return keys;
        };
        QCOMPARE(withoutModifierKeys(window.downs), QList<QPoint>{QPoint(keyCode, shift)});
        QCOMPARE(withoutModifierKeys(window.ups), QList<QPoint>{QPoint(keyCode, shift)});
        QCOMPARE(window.downs.size(), 1 + std::popcount(unsigned(shift)));
    }

    // The window's key press comes before the box's; what it swallows or
    // replaces is what the box's own handler and the box then get.
    void windowKeyPressBeforeBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QList<int>>("boxSaw");
        QTest::newRow("passed") << u"12"_s << u"12"_s << QList<int>{'1', '2'};
        QTest::newRow("swallowed by the window") << u"1a2"_s << u"12"_s << QList<int>{'1', '2'};
        QTest::newRow("replaced by the window") << u"3-5"_s << u"3 5"_s << QList<int>{'3', ' ', '5'};
    }
    void windowKeyPressBeforeBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, boxText);
        QFETCH(QList<int>, boxSaw);
        KeyProbe window(m_forms);
        window.setKeyPreview(true);
        window.onKeyPress = [](int &k) {
            swallowLetters(k);
            dashToBlank(k);
        };
        QList<int> seen;
        new KeyPressFilter(window.box, [&seen](int &k) { seen << k; });
        QTest::keyClicks(window.box, typed);
        QCOMPARE(window.box->text(), boxText);
        QCOMPARE(seen, boxSaw);
        QCOMPARE(window.presses.size(), typed.size());
    }

    // The text box's key press: 0 swallows, another code types that
    // character, an unchanged code reaches the box as it came.
    void textBoxKeyPress_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("thenBackspace");
        QTest::addColumn<bool>("thenEnter");
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QList<int>>("reported");
        QTest::newRow("passes") << &leave << u"3-5"_s << false << false << u"3-5"_s << QList<int>{'3', '-', '5'};
        QTest::newRow("swallows letters") << &swallowLetters << u"1ы2b"_s << false << false << u"12"_s
                                          << QList<int>{'1', 0x44b, '2', 'b'};
        QTest::newRow("replaces") << &dashToBlank << u"3-5"_s << false << false << u"3 5"_s
                                  << QList<int>{'3', '-', '5'};
        QTest::newRow("backspace reported and done") << &leave << u"12"_s << true << false << u"1"_s
                                                     << QList<int>{'1', '2', 8};
        QTest::newRow("enter replaced") << &enterToStar << u"4"_s << false << true << u"4*"_s
                                        << QList<int>{'4', 13};
    }
    void textBoxKeyPress()
    {
        QFETCH(Rule, rule);
        QFETCH(QString, typed);
        QFETCH(bool, thenBackspace);
        QFETCH(bool, thenEnter);
        QFETCH(QString, boxText);
        QFETCH(QList<int>, reported);
        QLineEdit box;
        QList<int> seen;
        new KeyPressFilter(&box, [&](int &k) {
            seen << k;
            rule(k);
        });
        typeText(&box, typed);
        QTest::keyClick(&box, Qt::Key_Shift); // no character: not reported
        if (thenBackspace)
            QTest::keyClick(&box, Qt::Key_Backspace);
        if (thenEnter)
            QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.text(), boxText);
        QCOMPARE(seen, reported);
    }

    // The handler may rewrite the box itself and swallow the key.
    void handlerRewritesBox()
    {
        QLineEdit box;
        new KeyPressFilter(&box, [&box](int &k) {
            if (k == '-') {
                box.setText(box.text() + u" -"_s);
                k = 0;
            }
        });
        QTest::keyClicks(&box, u"3-5"_s);
        QCOMPARE(box.text(), u"3 -5"_s);
        QCOMPARE(box.cursorPosition(), 4);
    }

    void resizeHandler_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("seen");
        QTest::newRow("resized") << u"resize"_s << u"shown"_s;
        QTest::newRow("minimized") << u"minimize"_s << u"min"_s;
        QTest::newRow("maximized") << u"maximize"_s << u"shown"_s;
    }
    void resizeHandler()
    {
        QFETCH(QString, change);
        QFETCH(QString, seen);
        KeyProbe window(m_forms);
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resizes.clear();
        if (change == u"resize"_s)
            window.resize(400, 250);
        else if (change == u"minimize"_s)
            window.setWindowState(Qt::WindowMinimized);
        else
            window.setWindowState(Qt::WindowMaximized);
        QVERIFY(!window.resizes.isEmpty());
        QCOMPARE(window.resizes.first(), seen);
    }
};

QTEST_MAIN(tst_Keys)
#include "tst_keys.moc"
