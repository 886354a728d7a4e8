// The line model of the list control, without any window: counts,
// highlight, the pending line, exchanges, events and the layout figures.

#include "linemodel.h"
#include "screenrules/colourcodes.h"

#include <QSignalSpy>
#include <QTest>

using namespace tabulo;
using namespace screenrules;
using namespace Qt::StringLiterals;

namespace {

void fill(LineModel &model, const QStringList &texts)
{
    model.Clear();
    QVERIFY(model.setMaxLbl(static_cast<qint16>(texts.size())).ok());
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY(model.setTxtData(static_cast<qint16>(i + 1), texts.at(i)).ok());
}

QStringList texts(const LineModel &model, int count)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << model.line(i).text;
    return out;
}

const QStringList Letters = {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s};

} // namespace

class tst_LineModel final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesLineCountOutsideRange_data();
    void refusesLineCountOutsideRange();
    void lineCountErasesAndShowsLines();
    void colourSituations_data();
    void colourSituations();
    void missingLineMembers_data();
    void missingLineMembers();
    void hiddenLineTextCanBeWritten();
    void swapRefusedBeforeAnyChange_data();
    void swapRefusedBeforeAnyChange();
    void swapKeepsHighlightAboveCount();
    void pendingSurvives_data();
    void pendingSurvives();
    void layoutRows_data();
    void layoutRows();
    void freeStripStays_data();
    void freeStripStays();
    void layoutLeavesHiddenLinesAlone();
    void tooSmallControlHasNoNegativeSizes_data();
    void tooSmallControlHasNoNegativeSizes();
};


void tst_LineModel::refusesLineCountOutsideRange_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("0") << 0;
    QTest::newRow("21") << 21;
    QTest::newRow("-1") << -1;
    QTest::newRow("largest") << 32767;
}

void tst_LineModel::refusesLineCountOutsideRange()
{
    QFETCH(int, count);
    LineModel model;
    fill(model, Letters);
    QVERIFY(model.setSelection(2, true).ok());
    QSignalSpy changes(&model, &LineModel::lineChanged);
    const Result r = model.setMaxLbl(static_cast<qint16>(count));
    QVERIFY(!r.ok());
    QCOMPARE(r.failure->number, 666);
    QCOMPARE(r.failure->description, u"Типа оно должно быть от 1 до 20"_s);
    QCOMPARE(model.lineCount(), qint16(7));
    QCOMPARE(texts(model, 7), Letters);
    QCOMPARE(model.line(2).backColour, ColourCode::Highlight);
    QCOMPARE(changes.count(), 0);
}

void tst_LineModel::lineCountErasesAndShowsLines()
{
    LineModel model;
    fill(model, Letters);
    QVERIFY(model.setTxtData(15, u"hidden"_s).ok());
    QVERIFY(model.setMaxLbl(1).ok());
    QVERIFY(model.line(1).visible);
    QVERIFY(!model.line(2).visible);
    QCOMPARE(model.line(1).text, u"a"_s);
    for (int i = 2; i <= 20; ++i)
        QVERIFY2(model.line(i).text.isEmpty(), qPrintable(QString::number(i)));
    QVERIFY(model.setMaxLbl(20).ok());
    QVERIFY(model.line(20).visible);
    QCOMPARE(model.line(7).text, QString());
    QCOMPARE(model.line(7).backColour, ColourCode::CaptionText);
}

// Which colours a line gets depends on how it lost or gained its highlight.
void tst_LineModel::colourSituations_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<quint32>("back");
    QTest::addColumn<quint32>("fore");
    using namespace ColourCode;
    QTest::newRow("selected") << u"select"_s << Highlight << HighlightText;
    QTest::newRow("unselected by Selection") << u"select,unselect"_s << WindowBackground << WindowText;
    QTest::newRow("unselected by Swap") << u"select,swap"_s << WindowBackground << WindowText;
    QTest::newRow("reset by ClearSelection") << u"select,clearselection"_s << CaptionText << WindowText;
    QTest::newRow("reset by Clear") << u"select,clear"_s << CaptionText << WindowText;
    QTest::newRow("MaxLbl, not selected") << u"select,unselect,maxlbl"_s << CaptionText << WindowText;
    QTest::newRow("MaxLbl keeps highlight") << u"select,maxlbl"_s << Highlight << HighlightText;
    QTest::newRow("above count") << u"select,maxlbl2"_s << InactiveCaptionText << HighlightText;
    QTest::newRow("first click") << u"click"_s << Highlight << HighlightText;
}

void tst_LineModel::colourSituations()
{
    QFETCH(QString, steps);
    QFETCH(quint32, back);
    QFETCH(quint32, fore);
    LineModel model;
    fill(model, Letters);
    for (const QString &step : steps.split(u',')) {
        if (step == u"select")
            model.setSelection(3, true);
        else if (step == u"unselect")
            model.setSelection(3, false);
        else if (step == u"swap")
            model.Swap(1, 2);
        else if (step == u"clearselection")
            model.ClearSelection();
        else if (step == u"clear")
            model.Clear();
        else if (step == u"maxlbl")
            model.setMaxLbl(5);
        else if (step == u"maxlbl2")
            model.setMaxLbl(2);
        else if (step == u"click")
            model.lblData_Click(3);
    }
    QCOMPARE(model.line(3).backColour, back);
    QCOMPARE(model.line(3).foreColour, fore);
}

void tst_LineModel::missingLineMembers_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("0") << 0;
    QTest::newRow("21") << 21;
    QTest::newRow("25") << 25;
    QTest::newRow("-5") << -5;
}

void tst_LineModel::missingLineMembers()
{
    QFETCH(int, index);
    const auto i = static_cast<qint16>(index);
    LineModel model;
    const QString expected = u"Control array element '%1' doesn't exist"_s.arg(index);
    for (const Result &r : {model.txtData(i), model.setTxtData(i, u"x"_s)}) {
        QCOMPARE(r.failure->number, 340);
        QCOMPARE(r.failure->description, expected);
    }
    for (const Result &r : {model.Selection(i), model.setSelection(i, true)}) {
        QCOMPARE(r.failure->number, 9);
        QCOMPARE(r.failure->description, u"Subscript out of range"_s);
    }
    QCOMPARE(model.PendingLine(), qint16(0));
}

void tst_LineModel::hiddenLineTextCanBeWritten()
{
    LineModel model;
    QVERIFY(model.setMaxLbl(10).ok());
    QVERIFY(model.setTxtData(15, u"скрыта"_s).ok());
    QCOMPARE(model.txtData(15).value.toString(), u"скрыта"_s);
    QVERIFY(!model.line(15).visible);
}



void tst_LineModel::swapRefusedBeforeAnyChange_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("inTo");
    QTest::addColumn<int>("named");
    QTest::newRow("from 0") << 0 << 3 << 0;
    QTest::newRow("into 21") << 3 << 21 << 21;
    QTest::newRow("both") << 25 << -1 << 25;
}

void tst_LineModel::swapRefusedBeforeAnyChange()
{
    QFETCH(int, from);
    QFETCH(int, inTo);
    QFETCH(int, named);
    LineModel model;
    fill(model, Letters);
    model.setSelection(2, true);
    QSignalSpy over(&model, &LineModel::OverSwap);
    const Result r = model.Swap(static_cast<qint16>(from), static_cast<qint16>(inTo));
    QCOMPARE(r.failure->number, 340);
    QVERIFY(r.failure->description.contains(u"'%1'"_s.arg(named)));
    QCOMPARE(texts(model, 7), Letters);
    QCOMPARE(model.PendingLine(), qint16(2));
    QVERIFY(model.LineSelected(2));
    QCOMPARE(over.count(), 0);
}

void tst_LineModel::swapKeepsHighlightAboveCount()
{
    LineModel model;
    fill(model, Letters);
    model.setSelection(12, true);
    QVERIFY(model.Swap(1, 12).ok());
    QVERIFY(model.LineSelected(12));
    QCOMPARE(model.line(1).text, QString());
    QCOMPARE(model.txtData(12).value.toString(), u"a"_s);
}

// Only an exchange ends the pending state: the next click completes it.
void tst_LineModel::pendingSurvives_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("ClearSelection") << u"ClearSelection"_s;
    QTest::newRow("Clear") << u"Clear"_s;
    QTest::newRow("MaxLbl") << u"MaxLbl"_s;
    QTest::newRow("Selection false") << u"unselect"_s;
}

void tst_LineModel::pendingSurvives()
{
    QFETCH(QString, operation);
    LineModel model;
    fill(model, Letters);
    model.lblData_Click(3);
    if (operation == u"ClearSelection")
        model.ClearSelection();
    else if (operation == u"Clear")
        model.Clear();
    else if (operation == u"MaxLbl")
        model.setMaxLbl(7);
    else
        model.setSelection(3, false);
    QCOMPARE(model.PendingLine(), qint16(3));
    QSignalSpy start(&model, &LineModel::StartSwap);
    QSignalSpy over(&model, &LineModel::OverSwap);
    QSignalSpy moves(&model, &LineModel::lblMouseMove);
    model.setTxtData(3, u"three"_s);
    model.setTxtData(6, u"six"_s);
    model.lblData_MouseMove(5);
    model.lblData_Click(6);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(start.count(), 0);
    QCOMPARE(over.count(), 1);
    QCOMPARE(model.line(3).text, u"six"_s);
    QCOMPARE(model.line(6).text, u"three"_s);
    QCOMPARE(model.PendingLine(), qint16(0));
}



void tst_LineModel::layoutRows_data()
{
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("rowHeight");
    // (3000 - 40) / 5 = 592 twips asked, 39 pixels = 585 twips taken.
    QTest::newRow("96 dpi, 5 lines, row 2") << 15.0 << 3000.0 << 5 << 2 << 585.0 << 585.0;
    QTest::newRow("96 dpi, 5 lines, row 5") << 15.0 << 3000.0 << 5 << 5 << 2340.0 << 585.0;
    QTest::newRow("120 dpi, 5 lines, row 5") << 12.0 << 3000.0 << 5 << 5 << 2352.0 << 588.0;
    // 41 pixels = 590.4 twips; the sums 590.4, 1180.4, ... round down.
    QTest::newRow("100 dpi, 5 lines, row 4") << 14.4 << 3000.0 << 5 << 4 << 1771.2 << 590.4;
    // 79 pixels = 592.5 twips: every sum ends in a half and goes to the even
    // neighbour, 592 each time; rounding halves up would drift by a pixel
    // every few rows.
    QTest::newRow("192 dpi, halves to even") << 7.5 << 11890.0 << 20 << 20 << 11250.0 << 592.5;
}

void tst_LineModel::layoutRows()
{
    QFETCH(double, twipsPerPixel);
    QFETCH(double, height);
    QFETCH(int, count);
    QFETCH(int, row);
    QFETCH(double, top);
    QFETCH(double, rowHeight);
    LineModel model(TwipScale{twipsPerPixel, twipsPerPixel});
    QVERIFY(model.setMaxLbl(static_cast<qint16>(count)).ok());
    model.UserControl_Resize(4500, height);
    const Line &line = model.line(row);
    QCOMPARE(line.dataBox.top, top);
    QCOMPARE(line.dataBox.height, rowHeight);
    QCOMPARE(line.numberBox.top, top);
    QCOMPARE(line.number, u"%1."_s.arg(row));
    const double numberWidth = line.numberBox.width;
    QCOMPARE(line.dataBox.left, numberWidth);
    // Snapped down to whole pixels; number labels keep their design size.
    const double halfPixel = twipsPerPixel / 2 + 0.001;
    const double askedWidth = 4500 - numberWidth - 40;
    QVERIFY(line.dataBox.width <= askedWidth && askedWidth - line.dataBox.width < twipsPerPixel);
    QVERIFY(qAbs(line.numberBox.height - 405) <= halfPixel);
    QVERIFY(qAbs(numberWidth - 540) <= halfPixel);
}

void tst_LineModel::freeStripStays_data()
{
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<int>("widthPixels");
    QTest::addColumn<int>("heightPixels");
    for (const double scale : {15.0, 14.4, 12.0, 10.0, 7.5})
        for (const int height : {100, 240, 300, 353, 480, 777})
            QTest::addRow("%g twips/pixel, %d pixels", scale, height) << scale << 300 + height / 3 << height;
}

// At least 40 twips stay free at the right and at the bottom, for every count.
void tst_LineModel::freeStripStays()
{
    QFETCH(double, twipsPerPixel);
    QFETCH(int, widthPixels);
    QFETCH(int, heightPixels);
    const double width = widthPixels * twipsPerPixel;
    const double height = heightPixels * twipsPerPixel;
    LineModel model(TwipScale{twipsPerPixel, twipsPerPixel});
    for (int count = 1; count <= 20; ++count) {
        QVERIFY(model.setMaxLbl(static_cast<qint16>(count)).ok());
        model.UserControl_Resize(width, height);
        const Box &last = model.line(count).dataBox;
        const double right = width - (last.left + last.width);
        const double bottom = height - (last.top + last.height);
        QVERIFY2(right >= 40 - 1e-6 && bottom >= 40 - 1e-6,
                 qPrintable(u"%1 lines: %2 twips right, %3 below"_s.arg(count).arg(right).arg(bottom)));
    }
}

void tst_LineModel::layoutLeavesHiddenLinesAlone()
{
    LineModel model;
    model.UserControl_Resize(5376, 4236);
    const Line before = model.line(9);
    QVERIFY(model.setMaxLbl(5).ok());
    model.UserControl_Resize(3000, 3000);
    QCOMPARE(model.line(9).dataBox, before.dataBox);
    QCOMPARE(model.line(9).number, u"9."_s);
}

void tst_LineModel::tooSmallControlHasNoNegativeSizes_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("narrow") << 300.0 << 3000.0;
    QTest::newRow("low") << 3000.0 << 20.0;
    QTest::newRow("nothing") << 0.0 << 0.0;
    QTest::newRow("nonsense") << -1e300 << qInf();
}

void tst_LineModel::tooSmallControlHasNoNegativeSizes()
{
    QFETCH(double, width);
    QFETCH(double, height);
    LineModel model;
    model.UserControl_Resize(width, height);
    for (int i = 1; i <= 20; ++i) {
        const Box &box = model.line(i).dataBox;
        QVERIFY(box.width >= 0 && box.height >= 0 && box.top >= 0);
    }
    QVERIFY(model.setMaxLbl(3).ok());
    model.lblData_Click(1);
    QCOMPARE(model.PendingLine(), qint16(1));
}


QTEST_GUILESS_MAIN(tst_LineModel)
#include "tst_linemodel.moc"
