// The list control's widget under the real mouse: clicks, moves, events to
// sinks, painted colours and the pixel layout.

#include "linelabel.h"
#include "mycontrol.h"
#include "screenrules/colourcodes.h"
#include "screenrules/syscolours.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <cstring>
#include <functional>
#include <stdexcept>

using namespace tabulo;
using namespace screenrules;
using namespace Qt::StringLiterals;

namespace {

// Records every event as text, and can answer one with a call back.
class RecordingSink final : public EventSink
{
public:
    QStringList heard;
    std::function<void(EventId)> answer;

    void onEvent(EventId id, const QVariantList &arguments) override
    {
        QString entry = QString::number(static_cast<int>(id));
        for (const QVariant &a : arguments)
            entry += u' ' + QString::number(a.value<qint16>());
        heard << entry;
        if (answer)
            answer(id);
    }
};

QPoint middle(const QWidget *w)
{
    return w->rect().center();
}

void moveOver(QWidget *w)
{
    QTest::mouseMove(w, middle(w));
    // The offscreen platform sends no move for an unchanged position.
    QTest::mouseMove(w, middle(w) + QPoint(1, 0));
}

void fill(myControl &control, const QStringList &texts)
{
    control.invoke(DispId::Clear, CallKind::Method, {});
    control.invoke(DispId::MaxLbl, CallKind::PropertyPut, {texts.size()});
    for (int i = 0; i < texts.size(); ++i)
        control.invoke(DispId::txtData, CallKind::PropertyPut, {i + 1, texts.at(i)});
}

QString textOf(myControl &control, int index)
{
    return control.invoke(DispId::txtData, CallKind::PropertyGet, {index}).value.toString();
}

const QStringList Letters = {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s};

} // namespace

class tst_MyControl final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startsWithTwentyNumberedLines();
    void clickMoveClick();
    void movesOnlyWhilePending_data();
    void movesOnlyWhilePending();
    void numberLabelsAndStripAreDeaf();
    void twoClicksOnOneLine();
    void clickCompletesAfterClearSelection();
    void resolvesColourCodes_data();
    void resolvesColourCodes();
    void paintsColoursOfTheMoment_data();
    void paintsColoursOfTheMoment();
    void layoutInPixels();
    void handlerCallsBackFromOverSwap();
    void throwingHandlerStopsAtTheControl();
    void sinkRemovedDuringEvent();
    void accessibleNamesOnLabels();
    void readAsAList_data();
    void readAsAList();
    void textLevelWithItsNumber_data();
    void textLevelWithItsNumber();

private:
    QWidget *m_window = nullptr;
    myControl *m_control = nullptr;
    RecordingSink m_sink;
};

void tst_MyControl::init()
{
    m_window = new QWidget;
    m_control = new myControl(m_window);
    m_control->setGeometry(0, 0, 400, 300);
    m_sink.heard.clear();
    m_sink.answer = nullptr;
    m_control->advise(&m_sink);
    m_window->resize(420, 320);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void tst_MyControl::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void tst_MyControl::startsWithTwentyNumberedLines()
{
    for (int i = 1; i <= 20; ++i) {
        QVERIFY(m_control->lblData(i)->isVisible());
        QCOMPARE(m_control->lblData(i)->text(), u"Еуче1"_s);
        QCOMPARE(m_control->lblNumber(i)->text(), u"%1."_s.arg(i));
    }
    m_control->invoke(DispId::Clear, CallKind::Method, {});
    QCOMPARE(m_control->lblData(20)->text(), QString());
    QCOMPARE(m_control->focusPolicy(), Qt::NoFocus);
}

void tst_MyControl::clickMoveClick()
{
    fill(*m_control, Letters);
    QTest::mouseClick(m_control->lblData(2), Qt::LeftButton);
    moveOver(m_control->lblData(3));
    moveOver(m_control->lblData(4));
    QTest::mouseClick(m_control->lblData(4), Qt::LeftButton);
    QCOMPARE(m_sink.heard,
             (QStringList{u"1 2"_s, u"2 3"_s, u"2 3"_s, u"2 4"_s, u"2 4"_s, u"3"_s}));
    QCOMPARE(textOf(*m_control, 2), u"d"_s);
    QCOMPARE(textOf(*m_control, 4), u"b"_s);
    // The exchange un-highlights every visible line through Selection.
    for (int i = 1; i <= 7; ++i)
        QCOMPARE(m_control->lblData(i)->backColour(), ColourCode::WindowBackground);
}

void tst_MyControl::movesOnlyWhilePending_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<int>("over");
    QTest::addColumn<bool>("buttonHeld");
    QTest::addColumn<QStringList>("heard");
    QTest::newRow("idle") << false << 3 << false << QStringList{};
    QTest::newRow("idle, button held") << false << 3 << true << QStringList{};
    QTest::newRow("pending, other line") << true << 3 << false << QStringList{u"2 3"_s, u"2 3"_s};
    QTest::newRow("pending, own line") << true << 5 << false << QStringList{u"2 5"_s, u"2 5"_s};
    QTest::newRow("pending, button held") << true << 3 << true << QStringList{u"2 3"_s, u"2 3"_s};
}

void tst_MyControl::movesOnlyWhilePending()
{
    QFETCH(bool, pending);
    QFETCH(int, over);
    QFETCH(bool, buttonHeld);
    QFETCH(QStringList, heard);
    // A host's Selection write makes a line pending without any event.
    if (pending)
        m_control->invoke(DispId::Selection, CallKind::PropertyPut, {5, false});
    LineLabel *label = m_control->lblData(over);
    if (buttonHeld)
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(1, 1));
    m_sink.heard.clear();
    moveOver(label);
    if (buttonHeld)
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-5, -5));
    QCOMPARE(m_sink.heard, heard);
}

void tst_MyControl::numberLabelsAndStripAreDeaf()
{
    fill(*m_control, Letters);
    QTest::mouseClick(m_control->lblNumber(2), Qt::LeftButton);
    QTest::mouseClick(m_control, Qt::LeftButton, {}, QPoint(m_control->width() - 1, 5));
    QTest::mouseClick(m_control, Qt::LeftButton, {}, QPoint(5, m_control->height() - 1));
    QTest::mouseClick(m_control->lblData(2), Qt::RightButton);
    QCOMPARE(m_sink.heard, QStringList{});
    QCOMPARE(m_control->model().PendingLine(), qint16(0));
}

void tst_MyControl::twoClicksOnOneLine()
{
    fill(*m_control, Letters);
    QTest::mouseClick(m_control->lblData(3), Qt::LeftButton);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(m_control->lblData(3), Qt::LeftButton);
    QCOMPARE(m_sink.heard, (QStringList{u"1 3"_s, u"3"_s}));
    QCOMPARE(textOf(*m_control, 3), u"c"_s);
}

void tst_MyControl::clickCompletesAfterClearSelection()
{
    fill(*m_control, Letters);
    QTest::mouseClick(m_control->lblData(3), Qt::LeftButton);
    m_control->invoke(DispId::ClearSelection, CallKind::Method, {});
    QCOMPARE(m_control->lblData(3)->backColour(), ColourCode::CaptionText);
    m_sink.heard.clear();
    QTest::mouseClick(m_control->lblData(6), Qt::LeftButton);
    QCOMPARE(m_sink.heard, QStringList{u"3"_s});
    QCOMPARE(textOf(*m_control, 3), u"f"_s);
    QCOMPARE(textOf(*m_control, 6), u"c"_s);
}

// Colours are resolved when painting: a palette change shows at once.
// A system colour through the palette, or the standard scheme where the
// palette has no role for it; a plain one as 0x00BBGGRR.
void tst_MyControl::resolvesColourCodes_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QColor>("colour");
    const QPalette palette = QApplication::palette();
    QTest::newRow("highlight") << 0x8000000Du << palette.color(QPalette::Active, QPalette::Highlight);
    QTest::newRow("window background") << 0x80000005u << palette.color(QPalette::Active, QPalette::Base);
    QTest::newRow("button face") << 0x8000000Fu << palette.color(QPalette::Active, QPalette::Button);
    QTest::newRow("caption text") << 0x80000009u << QColor(255, 255, 255);
    QTest::newRow("inactive caption text") << 0x80000013u << QColor(0xd4, 0xd0, 0xc8);
    QTest::newRow("plain red") << 0x000000FFu << QColor(255, 0, 0);
    QTest::newRow("plain blue") << 0x00FF0000u << QColor(0, 0, 255);
    QTest::newRow("plain mixed") << 0x00123456u << QColor(0x56, 0x34, 0x12);
}

void tst_MyControl::resolvesColourCodes()
{
    QFETCH(quint32, code);
    QFETCH(QColor, colour);
    QCOMPARE(systemColour(code, QApplication::palette()), colour);
}

void tst_MyControl::paintsColoursOfTheMoment_data()
{
    QTest::addColumn<bool>("flag");
    QTest::addColumn<bool>("clearSelection");
    QTest::addColumn<QPalette::ColorRole>("role");
    QTest::addColumn<QColor>("classic");
    QTest::newRow("highlighted") << true << false << QPalette::Highlight << QColor();
    QTest::newRow("un-highlighted") << false << false << QPalette::Base << QColor();
    QTest::newRow("reset") << true << true << QPalette::NoRole << QColor(Qt::white);
}

void tst_MyControl::paintsColoursOfTheMoment()
{
    QFETCH(bool, flag);
    QFETCH(bool, clearSelection);
    QFETCH(QPalette::ColorRole, role);
    QFETCH(QColor, classic);
    m_control->invoke(DispId::txtData, CallKind::PropertyPut, {4, QString()});
    m_control->invoke(DispId::Selection, CallKind::PropertyPut, {4, flag});
    if (clearSelection)
        m_control->invoke(DispId::ClearSelection, CallKind::Method, {});
    LineLabel *label = m_control->lblData(4);
    QPalette palette = label->palette();
    const QColor odd(0x12, 0x34, 0x56);
    if (role != QPalette::NoRole)
        palette.setColor(role, odd);
    label->setPalette(palette);
    const QColor painted = label->grab().toImage().pixelColor(0, 0);
    QCOMPARE(painted, role != QPalette::NoRole ? odd : classic);
    // The control's own background: inactive caption text, the standard grey.
    const QPoint strip(m_control->width() - 1, m_control->height() - 1);
    QCOMPARE(m_control->grab().toImage().pixelColor(strip), QColor(0xd4, 0xd0, 0xc8));
}

void tst_MyControl::layoutInPixels()
{
    if (m_control->logicalDpiY() != 96 || m_control->logicalDpiX() != 96)
        QSKIP("pixel figures are for a 96 dpi screen");
    m_control->invoke(DispId::MaxLbl, CallKind::PropertyPut, {5});
    m_control->resize(4500 / 15, 3000 / 15);
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(m_control->lblData(i)->geometry(), QRect(36, 39 * (i - 1), 300 - 36 - 3, 39));
        QCOMPARE(m_control->lblNumber(i)->geometry(), QRect(0, 39 * (i - 1), 36, 27));
    }
    QVERIFY(!m_control->lblData(6)->isVisible());
    m_control->resize(10, 1);
    QCOMPARE(m_control->lblData(1)->size(), QSize(0, 0));
}

// The main window answers OverSwap by writing Selection: the nested call
// runs inside Swap and its effect stays.
void tst_MyControl::handlerCallsBackFromOverSwap()
{
    fill(*m_control, Letters);
    m_sink.answer = [this](EventId id) {
        if (id != EventId::OverSwap)
            return;
        QCOMPARE(m_control->model().PendingLine(), qint16(0));
        QVERIFY(m_control->invoke(DispId::Selection, CallKind::PropertyPut, {7, true}).ok());
        QCOMPARE(textOf(*m_control, 5), u"a"_s);
    };
    QTest::mouseClick(m_control->lblData(1), Qt::LeftButton);
    QTest::mouseClick(m_control->lblData(5), Qt::LeftButton);
    QCOMPARE(m_control->model().PendingLine(), qint16(7));
    QCOMPARE(m_control->lblData(7)->backColour(), ColourCode::Highlight);
    m_sink.answer = nullptr;
    QTest::mouseClick(m_control->lblData(2), Qt::LeftButton);
    QCOMPARE(textOf(*m_control, 7), u"b"_s);
}


void tst_MyControl::throwingHandlerStopsAtTheControl()
{
    fill(*m_control, Letters);
    RecordingSink second;
    m_control->advise(&second);
    m_sink.answer = [](EventId) { throw std::runtime_error("host failed"); };
    QTest::ignoreMessage(QtWarningMsg, "Tabulo: an event handler failed: host failed");
    QTest::mouseClick(m_control->lblData(2), Qt::LeftButton);
    QCOMPARE(second.heard, QStringList{u"1 2"_s});
    QCOMPARE(m_control->model().PendingLine(), qint16(2));
    m_control->unadvise(&second);
}

void tst_MyControl::sinkRemovedDuringEvent()
{
    RecordingSink second;
    RecordingSink third;
    m_control->advise(&second);
    m_control->advise(&third);
    m_sink.answer = [&](EventId) { m_control->unadvise(&second); };
    m_control->invoke(DispId::Swap, CallKind::Method, {1, 1});
    QCOMPARE(m_sink.heard, QStringList{u"3"_s});
    QCOMPARE(second.heard, QStringList{});
    QCOMPARE(third.heard, QStringList{u"3"_s});
    m_control->unadvise(&third);
}

void tst_MyControl::accessibleNamesOnLabels()
{
    fill(*m_control, Letters);
    QCOMPARE(m_control->lblData(2)->accessibleName(), u"Строка 2 из 7: b"_s);
    m_control->invoke(DispId::Swap, CallKind::Method, {2, 7});
    QCOMPARE(m_control->lblData(2)->accessibleName(), u"Строка 2 из 7: g"_s);
    m_control->invoke(DispId::MaxLbl, CallKind::PropertyPut, {12});
    QCOMPARE(m_control->lblData(2)->accessibleName(), u"Строка 2 из 12: g"_s);
    QCOMPARE(m_control->lblData(13)->accessibleName(), QString());
}

// A screen reader finds a list of the shown lines and nothing else: no
// number labels, no line beyond the count, hidden or not.
void tst_MyControl::readAsAList_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("shown"); // MaxLbl lowered to it afterwards
    QTest::newRow("seven lines") << 7 << 7;
    QTest::newRow("one line") << 1 << 1;
    QTest::newRow("twenty lowered to four") << 20 << 4;
}

void tst_MyControl::readAsAList()
{
    QFETCH(int, count);
    QFETCH(int, shown);
    fill(*m_control, QStringList(count, u"шаг"_s));
    m_control->invoke(DispId::MaxLbl, CallKind::PropertyPut, {shown});
    m_control->invoke(DispId::Selection, CallKind::PropertyPut, {shown, true});
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(m_control);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->childCount(), shown);
    for (int i = 0; i < shown; ++i) {
        QAccessibleInterface *item = list->child(i);
        QCOMPARE(item->role(), QAccessible::ListItem);
        QCOMPARE(item->text(QAccessible::Name), u"Строка %1 из %2: шаг"_s.arg(i + 1).arg(shown));
        QCOMPARE(list->indexOfChild(item), i);
        QCOMPARE(item->state().selected, i + 1 == shown);
    }
    for (int i = 1; i <= 20; ++i)
        QVERIFY(list->indexOfChild(QAccessible::queryAccessibleInterface(m_control->lblNumber(i))) < 0);
    QVERIFY(shown == 20 || list->indexOfChild(QAccessible::queryAccessibleInterface(m_control->lblData(shown + 1))) < 0);
}

namespace {

// The first row of a label's pixels that its text changes.
int firstInkRow(LineLabel *label)
{
    const QImage inked = label->grab().toImage();
    const QString text = label->text();
    label->setText(QString());
    const QImage blank = label->grab().toImage();
    label->setText(text);
    for (int y = 0; y < inked.height(); ++y) {
        if (std::memcmp(inked.constScanLine(y), blank.constScanLine(y), size_t(inked.bytesPerLine())) != 0)
            return y;
    }
    return -1;
}

} // namespace

// Each text starts at its row's top, level with its number, however tall
// the rows are.
void tst_MyControl::textLevelWithItsNumber_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("one tall row") << 1 << u"Вскипятить воду"_s;
    QTest::newRow("three rows") << 3 << u"Залить заварку"_s;
    QTest::newRow("a text that wraps") << 2 << QString(u"Подождать пять минут "_s).repeated(8);
}

void tst_MyControl::textLevelWithItsNumber()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    fill(*m_control, QStringList(count, text));
    const int lineHeight = QFontMetrics(m_control->lblData(1)->font()).height();
    for (int i = 1; i <= count; ++i) {
        QVERIFY(m_control->lblData(i)->height() > 3 * lineHeight); // top and middle lie apart
        const int textTop = firstInkRow(m_control->lblData(i));
        const int numberTop = firstInkRow(m_control->lblNumber(i));
        QVERIFY2(textTop >= 0 && std::abs(textTop - numberTop) < lineHeight / 2,
                 qPrintable(u"text from %1, number from %2"_s.arg(textTop).arg(numberTop)));
    }
}

QTEST_MAIN(tst_MyControl)
#include "tst_mycontrol.moc"
