#include "run/mainlayout.h"

#include <QHash>
#include <QList>
#include <QRectF>
#include <QTest>

namespace velmora {

namespace {

using C = MainControl;

// A main window on paper: client size, a frame around it, the controls'
// boxes; a new outer size resizes at once and runs the pass again, as the
// window's Resize event does.
class PaperWindow final : public MainLayoutHost
{
public:
    PaperWindow(double w, double h, qint16 lineCount, double textHeight)
        : W(w), H(h), lines(lineCount)
    {
        box[C::lblZadZ] = {0, 0, 1125, 360};
        box[C::lblZad] = {1125, 0, 8850, textHeight};
        for (C c : {C::cmdGotovo, C::cmdChangeTest, C::cmdExit, C::cmdHelp})
            box[c] = {8640, 540, 1410, 420};
        box[C::txtChange] = {8640, 3150, 1410, 330};
        box[C::lblChange] = {8640, 2835, 1410, 240};
        box[C::myControl1] = {630, 810, 6180, 3870};
        box[C::sbr] = {0, 5304, 9504, 288};
    }

    bool isMinimized() const override { return minimized; }
    double scaleWidth() const override { return W; }
    double scaleHeight() const override { return H; }
    double outerWidth() const override { return W + 120; }
    double outerHeight() const override { return H + 450; }
    // Like a real window: no Resize event when the size stays as it is.
    void setOuterWidth(double twips) override { resize(W, twips - 120); }
    void setOuterHeight(double twips) override { resize(H, twips - 450); }
    void resize(double &side, double client)
    {
        if (side == client)
            return;
        side = client;
        ++resizes;
        layoutMainWindow(*this);
    }
    double left(C c) const override { return box[c].left(); }
    double top(C c) const override { return box[c].top(); }
    double width(C c) const override { return box[c].width(); }
    double height(C c) const override { return box[c].height(); }
    void setLeft(C c, double v) override { box[c].moveLeft(v); }
    void setTop(C c, double v) override { box[c].moveTop(v); }
    void setWidth(C c, double v) override { box[c].setWidth(v); }
    void move(C c, double l, double t, double w, double h) override { box[c] = {l, t, w, h}; }
    qint16 MaxLbl() const override { return lines; }

    double W, H;
    qint16 lines;
    bool minimized = false;
    int resizes = 0;
    mutable QHash<C, QRectF> box;
};

} // namespace

class tst_MainLayout final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Figures worked out by hand: S 288, B 1410, lblZadZ 1125 x 360, a
    // frame of 120 x 450 around the client area.
    void pass_data()
    {
        QTest::addColumn<double>("W");
        QTest::addColumn<double>("H");
        QTest::addColumn<int>("lines");
        QTest::addColumn<double>("taskHeight"); // lblZad's height from its text
        QTest::addColumn<double>("endW");
        QTest::addColumn<double>("endH");
        QTest::addColumn<QRectF>("task"); // lblZad
        // Left of the column; tops of cmdGotovo, cmdHelp, lblChange,
        // txtChange, cmdChangeTest, cmdExit.
        QTest::addColumn<double>("column");
        QTest::addColumn<QList<double>>("tops");
        QTest::addColumn<QRectF>("list");
        QTest::newRow("design") << 9504.0 << 5592.0 << 5 << 375.0 << 9504.0 << 5592.0 << QRectF(1125, 100, 8279, 375)
                                << 8094.0 << QList<double>{575, 1035, 2559, 2819, 4424, 4884}
                                << QRectF(0, 575, 8094, 4729);
        // Height exactly S + lines x 405 + lblZad: the test is strict.
        QTest::newRow("height at minimum") << 9504.0 << 2688.0 << 5 << 375.0 << 9504.0 << 2688.0
                                           << QRectF(1125, 100, 8279, 375) << 8094.0
                                           << QList<double>{575, 1035, 1107, 1367, 1520, 1980}
                                           << QRectF(0, 575, 8094, 1825);
        QTest::newRow("height one short") << 9504.0 << 2687.0 << 5 << 375.0 << 9504.0 << 2688.0
                                          << QRectF(1125, 100, 8279, 375) << 8094.0
                                          << QList<double>{575, 1035, 1107, 1367, 1520, 1980}
                                          << QRectF(0, 575, 8094, 1825);
        QTest::newRow("20 lines") << 9504.0 << 5592.0 << 20 << 375.0 << 9504.0 << 8763.0
                                  << QRectF(1125, 100, 8279, 375) << 8094.0
                                  << QList<double>{575, 1035, 4145, 4405, 7595, 8055} << QRectF(0, 575, 8094, 7900);
        // A task text wrapping to three lines raises the minimum with it.
        QTest::newRow("wrapping task text") << 9504.0 << 5592.0 << 12 << 1125.0 << 9504.0 << 6273.0
                                            << QRectF(1125, 100, 8279, 1125) << 8094.0
                                            << QList<double>{1325, 1785, 3275, 3535, 5105, 5565}
                                            << QRectF(0, 1325, 8094, 4660);
        // Width exactly B + 2000 is kept; one twip less and the outer width is B + 2100.
        QTest::newRow("width at minimum") << 3410.0 << 5592.0 << 5 << 375.0 << 3410.0 << 5592.0
                                          << QRectF(1125, 100, 2185, 375) << 2000.0
                                          << QList<double>{575, 1035, 2559, 2819, 4424, 4884}
                                          << QRectF(0, 575, 2000, 4729);
        QTest::newRow("width one short") << 3409.0 << 5592.0 << 5 << 375.0 << 3390.0 << 5592.0
                                         << QRectF(1125, 100, 2165, 375) << 1980.0
                                         << QList<double>{575, 1035, 2559, 2819, 4424, 4884}
                                         << QRectF(0, 575, 1980, 4729);
        // Q rounded half to even before the halving: 4500.5 -> 2250, 4501.5 -> 2251, 4501 -> 2250.
        QTest::newRow("Q 4500.5") << 9504.0 << 4453.5 << 5 << 375.0 << 9504.0 << 4453.5
                                  << QRectF(1125, 100, 8279, 375) << 8094.0
                                  << QList<double>{575, 1035, 1990, 2250, 3285.5, 3745.5}
                                  << QRectF(0, 575, 8094, 3590.5);
        QTest::newRow("Q 4501.5") << 9504.0 << 4454.5 << 5 << 375.0 << 9504.0 << 4454.5
                                  << QRectF(1125, 100, 8279, 375) << 8094.0
                                  << QList<double>{575, 1035, 1991, 2251, 3286.5, 3746.5}
                                  << QRectF(0, 575, 8094, 3591.5);
        QTest::newRow("Q 4501") << 9504.0 << 4454.0 << 5 << 375.0 << 9504.0 << 4454.0 << QRectF(1125, 100, 8279, 375)
                                << 8094.0 << QList<double>{575, 1035, 1990, 2250, 3286, 3746}
                                << QRectF(0, 575, 8094, 3591);
    }
    void pass()
    {
        QFETCH(double, W);
        QFETCH(double, H);
        QFETCH(int, lines);
        QFETCH(double, taskHeight);
        QFETCH(double, column);
        QFETCH(QList<double>, tops);
        PaperWindow window(W, H, qint16(lines), taskHeight);
        layoutMainWindow(window);
        QTEST(window.W, "endW");
        QTEST(window.H, "endH");
        const auto &box = window.box;
        QTEST(box[C::lblZad], "task");
        const QList<C> columnControls{C::cmdGotovo, C::cmdHelp, C::lblChange, C::txtChange, C::cmdChangeTest, C::cmdExit};
        for (qsizetype i = 0; i < columnControls.size(); ++i)
            QCOMPARE(box[columnControls[i]].topLeft(), QPointF(column, tops[i]));
        QTEST(box[C::myControl1], "list");
        QCOMPARE(box[C::lblZadZ], QRectF(0, 0, 1125, 360));
    }

    void minimizedMovesNothing()
    {
        PaperWindow window(100, 100, 20, 375);
        window.minimized = true;
        const auto before = window.box;
        layoutMainWindow(window);
        QCOMPARE(window.box, before);
        QCOMPARE(window.resizes, 0);
    }
};

} // namespace velmora

QTEST_GUILESS_MAIN(velmora::tst_MainLayout)
#include "tst_mainlayout.moc"
