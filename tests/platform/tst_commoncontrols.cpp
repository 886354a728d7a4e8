#include "platform/design.h"
#include "platform/desktop.h"
#include "platform/imagelist.h"
#include "platform/listview.h"
#include "platform/runtime.h"
#include "platform/statusbar.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace velmora;

namespace {

// The main window's bar: a spring, a fixed, a fit-to-text, a clock and a
// picture panel.
void addMainPanels(StatusBar &bar)
{
    bar.addPanel({u"inf"_s, PanelStyle::Text, 4912, 1540, PanelAutoSize::Spring, Qt::AlignLeft});
    bar.addPanel({u"otv"_s, PanelStyle::Text, 1440, 1440, PanelAutoSize::None, Qt::AlignLeft});
    bar.addPanel({u"ver"_s, PanelStyle::Text, 1548, 1540, PanelAutoSize::Contents, Qt::AlignHCenter});
    bar.addPanel({QString(), PanelStyle::Time, 840, 840, PanelAutoSize::Contents, Qt::AlignHCenter});
    bar.addPanel({u"reg"_s, PanelStyle::Text, 440, 440, PanelAutoSize::None, Qt::AlignLeft});
}

} // namespace

class tst_CommonControls final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void panelsByKey()
    {
        StatusBar bar;
        addMainPanels(bar);
        QCOMPARE(bar.panels().size(), 5);
        QCOMPARE(bar.panel(u"ver"_s), bar.panelAt(2));
        QCOMPARE(bar.panel(u"reg"_s)->key(), u"reg"_s);
        QCOMPARE(bar.panel(u"nope"_s), nullptr);
        QCOMPARE(bar.panelAt(7), nullptr);
    }

    // Widths in pixels at 15 twips a pixel.
    void panelWidths_data()
    {
        QTest::addColumn<int>("barWidth");
        QTest::addColumn<QString>("verText");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("expected"); // -1: wider than the minimum
        QTest::newRow("fixed") << 634 << QString() << u"otv"_s << 96;
        QTest::newRow("fixed picture panel") << 634 << QString() << u"reg"_s << 29;
        QTest::newRow("contents held at the minimum") << 634 << u"5"_s << u"ver"_s << 103;
        QTest::newRow("contents grows with its text") << 634 << u"Правильно 12 из 20 с подсказкой"_s << u"ver"_s
                                                      << -1;
        QTest::newRow("spring held at the minimum") << 200 << QString() << u"inf"_s << 103;
    }
    void panelWidths()
    {
        QFETCH(int, barWidth);
        QFETCH(QString, verText);
        QFETCH(QString, key);
        QFETCH(int, expected);
        StatusBar bar;
        bar.setSizeGripEnabled(false);
        addMainPanels(bar);
        bar.panel(u"ver"_s)->setText(verText);
        bar.resize(barWidth, 20);
        bar.show();
        QCoreApplication::sendPostedEvents();
        const int width = bar.panel(key)->width();
        if (expected >= 0)
            QCOMPARE(width, expected);
        else
            QVERIFY2(width > 103, qPrintable(QString::number(width)));
    }

    // The spring takes every pixel the bar gains.
    void springTakesTheRest()
    {
        StatusBar bar;
        bar.setSizeGripEnabled(false);
        addMainPanels(bar);
        bar.show();
        bar.resize(700, 20);
        QCoreApplication::sendPostedEvents();
        const int narrow = bar.panel(u"inf"_s)->width();
        bar.resize(900, 20);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(bar.panel(u"inf"_s)->width(), narrow + 200);
        QCOMPARE(bar.panel(u"otv"_s)->width(), 96);
    }

    void clockText_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("morning") << QTime(9, 7, 59) << u"9:07"_s;
        QTest::newRow("afternoon") << QTime(14, 30) << u"14:30"_s;
        QTest::newRow("midnight") << QTime(0, 5) << u"0:05"_s;
    }
    void clockText()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        StatusBar bar;
        addMainPanels(bar);
        Panel *clock = bar.panelAt(3);
        clock->setClock([time] { return time; });
        QCOMPARE(clock->text(), text);
    }

    // The mode picture fills the small panel with its colour, wherever the
    // bar stands in its window.
    void pictureShows_data()
    {
        QTest::addColumn<int>("windowSide"); // 0: the panel alone
        QTest::newRow("the panel alone") << 0;
        // Unpainted memory costs nothing: only the bar's rows are touched.
        QTest::newRow("at the foot of a window 30000 pixels square") << 30000;
    }
    void pictureShows()
    {
        QFETCH(int, windowSide);
        StatusBar bar;
        bar.setSizeGripEnabled(false);
        addMainPanels(bar);
        Panel *reg = bar.panel(u"reg"_s);
        reg->setPicture(solidPicture(QSize(143, 34), QColor(0, 255, 0)));
        bar.resize(windowSide > 0 ? windowSide : 634, 24);
        bar.show();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(reg->picture().size(), QSize(143, 34));
        if (windowSide == 0) {
            const QImage shot = reg->grab().toImage();
            QCOMPARE(shot.pixelColor(shot.rect().center()), QColor(0, 255, 0));
            return;
        }
        QImage window(windowSide, windowSide, QImage::Format_ARGB32_Premultiplied);
        QVERIFY(!window.isNull());
        const QPoint at(0, windowSide - bar.height());
        bar.render(&window, at);
        QCOMPARE(window.pixelColor(at + reg->geometry().center()), QColor(0, 255, 0));
    }

    void imageList()
    {
        ImageList images;
        images.add(u"Red"_s, solidPicture(QSize(143, 34), QColor(255, 0, 0)));
        images.add(u"Green"_s, solidPicture(QSize(143, 34), QColor(0, 255, 0)));
        images.add(u"Red"_s, solidPicture(QSize(2, 2), QColor(255, 0, 0))); // replaced in place
        QCOMPARE(images.count(), 2);
        QCOMPARE(images.keys(), (QStringList{u"Red"_s, u"Green"_s}));
        QVERIFY(images.picture(u"Blue"_s).isNull());
        QCOMPARE(images.picture(u"Red"_s).size(), QSize(2, 2));
        const QImage green = images.picture(u"Green"_s).toImage();
        QCOMPARE(green.size(), QSize(143, 34));
        QCOMPARE(green.pixelColor(142, 33), QColor(0, 255, 0));
    }

    void listView()
    {
        ListView view;
        view.addColumn(u"Number"_s, u"Номер задания"_s, 1739);
        view.addColumn(u"NumZad"_s, u"Номер задачи"_s, 1739);
        view.addColumn(u"Ver"_s, u"Решено верно"_s, 1739);
        QCOMPARE(view.columnCount(), 3);
        QCOMPARE(view.columnIndex(u"Ver"_s), 2);
        QCOMPARE(view.columnIndex(u"nope"_s), -1);
        QCOMPARE(view.headerItem()->text(1), u"Номер задачи"_s);
        QCOMPARE(view.columnWidth(2), 116);
        for (int row = 1; row <= 3; ++row) {
            ListItem item = view.add();
            item.setText(QString::number(row));
            item.setSubItem(1, QString::number(4 - row));
            item.setSubItem(2, row == 2 ? u"Нет"_s : u"Да"_s);
        }
        QCOMPARE(view.rowCount(), 3);
        QCOMPARE(view.item(0).text(), u"1"_s);
        QCOMPARE(view.item(2).subItem(1), u"1"_s);
        QCOMPARE(view.item(1).subItem(2), u"Нет"_s);
        QCOMPARE(view.topLevelItem(1)->text(2), u"Нет"_s);
    }

    void listViewSubItemOutOfRange_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("the row's own text") << 0;
        QTest::newRow("past the columns") << 3;
        QTest::newRow("negative") << -1;
    }
    void listViewSubItemOutOfRange()
    {
        QFETCH(int, index);
        ListView view;
        for (const auto *key : {"a", "b", "c"})
            view.addColumn(QString::fromLatin1(key), QString::fromLatin1(key), 1000);
        ListItem item = view.add();
        try {
            item.setSubItem(index, u"x"_s);
            QFAIL("no failure");
        } catch (const RuntimeError &error) {
            QCOMPARE(error.failure().number, 9);
        }
    }

    // A test's or a file's text reaches labels, message boxes and captions:
    // each shows it as written, and a screen reader reads it so.
    void shownAsWritten_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("text");
        QTest::newRow("label, bold") << u"label"_s << u"<b>жирный</b>"_s;
        QTest::newRow("label, a picture from the disk") << u"label"_s << u"<img src=\"/usr/share/pixmaps/debian-logo.png\">"_s;
        QTest::newRow("message, a line break") << u"message"_s << u"Тест «Пустой<br>тест» нельзя открыть"_s;
        QTest::newRow("message, an entity") << u"message"_s << u"Знак &lt; читается «меньше»"_s;
        QTest::newRow("message, italics") << u"message"_s << u"Тест «Пустой <i>тест</i>» нельзя открыть"_s;
        QTest::newRow("message title, the mark of unsaved changes") << u"message title"_s << u"Урок [*]"_s;
        QTest::newRow("caption, the mark of unsaved changes") << u"caption"_s << u"Velmora - Урок [*] и [*][*]"_s;
    }
    void shownAsWritten()
    {
        QFETCH(QString, where);
        QFETCH(QString, text);
        const auto name = [](QObject *object) {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
            return face ? face->text(QAccessible::Name) : u"<none>"_s;
        };
        QString shown;
        if (where.startsWith(u"message"_s)) {
            const bool inTitle = where == u"message title"_s;
            QTimer::singleShot(0, this, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                shown = inTitle ? name(box) : name(box->findChild<QLabel *>(u"qt_msgbox_label"_s));
                box->done(0);
            });
            QtDesktop().msgBox(inTitle ? MsgBoxRequest{u"Текст"_s, text} : MsgBoxRequest{text});
        } else if (where == u"caption"_s) {
            QWidget window;
            window.setWindowTitle(literalTitle(text));
            shown = name(&window);
        } else {
            QWidget window;
            shown = name(designLabel(&window, u"lblZad"_s, text));
        }
        QCOMPARE(shown, text);
    }
};

QTEST_MAIN(tst_CommonControls)
#include "tst_commoncontrols.moc"
