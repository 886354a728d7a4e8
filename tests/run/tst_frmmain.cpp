#include "handlers.h"
#include "platform/listview.h"
#include "platform/statusbar.h"
#include "platform/twips.h"
#include "program/formnames.h"
#include "program/program.h"
#include "run/frmmain.h"
#include "run/frmoutrez.h"
#include "platform/controlhost/tabulolist.h"
#include "scripteddesktop.h"
#include "selection/frmregim.h"
#include "selection/frmstart.h"
#include "testdata/loader.h"
#include "testfolder.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// Three tasks; the first lines of each task differ, so a shown order is
// correct only when it is the task's own.
const QByteArray ThreeTasks = "Проверка\r\n"
                              "Заварить чай\r\nВскипятить воду\r\nЗалить заварку\r\nПодождать\r\n\r\n"
                              "Сложить числа\r\nВвести a\r\nВвести b\r\n\r\n"
                              "Выйти\r\nВстать\r\n\r\n";

// One task whose statement is ten times one word.
const QString LongWord = u"Вскипятить"_s;
const QByteArray LongStatement = "Длинная\r\n" + QStringList(10, LongWord).join(u' ').toUtf8()
                                 + "\r\nНалить\r\nВыпить\r\n\r\n";

// The same numbers over and over, whatever the time of day.
class CyclingRandom final : public RandomSource
{
public:
    explicit CyclingRandom(QList<double> values) : m_values(std::move(values)) {}
    void seedFromTimeOfDay() override {}
    double next() override { return m_values.at(m_next++ % m_values.size()); }

private:
    QList<double> m_values;
    qsizetype m_next = 0;
};

class StubForm final : public Form
{
public:
    explicit StubForm(Forms &forms) : Form(forms) {}
};

} // namespace

class tst_frmMain final : public QObject
{
    Q_OBJECT

private:
    test::TestFolder m_folder;
    std::unique_ptr<test::ScriptedDesktop> m_desktop;
    std::unique_ptr<Program> m_program;

    void makeProgram(std::unique_ptr<RandomSource> random = {})
    {
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, m_folder.path(), QString());
        if (random)
            m_program->setRandom(std::move(random));
        Forms &forms = m_program->forms();
        forms.define<frmMain>([this](Forms &) { return std::make_unique<frmMain>(*m_program); });
        forms.define<frmOutRez>([this](Forms &) { return std::make_unique<frmOutRez>(*m_program); });
        forms.define<frmRegim>([this](Forms &) { return std::make_unique<frmRegim>(*m_program); });
        forms.define<frmStart>([](Forms &f) { return std::make_unique<StubForm>(f); });
    }
    // As after OK in the selection window: the test loaded, the main window
    // loaded and hidden, the mode window on screen.
    frmRegim *loadRegim(const QByteArray &test)
    {
        Forms &forms = m_program->forms();
        m_folder.writeRaw(u"plain.txt"_s, test);
        if (LoadTest(m_folder.read(u"plain.txt"_s), m_program->Tasks()).failure)
            return nullptr;
        forms.load<frmMain>();
        auto *regim = forms.load<frmRegim>();
        regim->showModeless();
        return regim;
    }
    frmMain *chooseMode(frmRegim *regim, bool hints)
    {
        auto *main = m_program->forms().loaded<frmMain>();
        (hints ? regim->Command1 : regim->Command2)->click();
        if (!QTest::qWaitForWindowActive(main))
            return nullptr;
        return main;
    }
    frmMain *loadMain(bool hints, std::unique_ptr<RandomSource> random = {}, const QByteArray &test = ThreeTasks)
    {
        makeProgram(std::move(random));
        frmRegim *regim = loadRegim(test);
        return regim ? chooseMode(regim, hints) : nullptr;
    }
    QStringList shownLines(frmMain *main) const
    {
        QStringList lines;
        const qint16 count = main->myControl1->MaxLbl().value;
        for (qint16 i = 1; i <= count; ++i)
            lines << main->myControl1->txtData(i).value;
        return lines;
    }
    QStringList correctLines(frmMain *main) const
    {
        return m_program->Tasks().task(main->run().CurrentTask).mid(1);
    }
    QString panel(frmMain *main, const QString &key) const { return main->sbr->panel(key)->text(); }

private Q_SLOTS:
    void designAndFirstTask()
    {
        frmMain *main = loadMain(true);
        QVERIFY(main && main->isVisible());
        QVERIFY(main->Regim());
        QCOMPARE(main->focusWidget(), main->cmdGotovo);
        QCOMPARE(main->txtChange->maxLength(), 5);
        const Task task = m_program->Tasks().task(main->run().CurrentTask);
        QCOMPARE(main->lblZad->text(), task.constFirst());
        QStringList shown = shownLines(main);
        QVERIFY(shown != correctLines(main) || shown.size() == 1); // never already solved
        shown.sort();
        QStringList expected = correctLines(main);
        expected.sort();
        QCOMPARE(shown, expected);
        QCOMPARE(panel(main, u"otv"_s), u"Задача №1"_s);
        QCOMPARE(panel(main, u"ver"_s), u"Правильно 0"_s);
        QCOMPARE(main->ImageList.picture(u"Green"_s).toImage().pixelColor(0, 0), QColor(0, 255, 0));
        QCOMPARE(main->sbr->panel(u"reg"_s)->picture().toImage().pixelColor(0, 0), QColor(0, 255, 0));
        QCOMPARE(main->sbr->panel(u"reg"_s)->accessibleName(), u"Режим подсказок включен"_s);
        // Tab cycles the buttons, the move box and the list.
        QList<QWidget *> order;
        for (QWidget *w = main->cmdGotovo; order.size() < 6; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus)
                order << w;
        }
        QCOMPARE(order, (QList<QWidget *>{main->cmdGotovo, main->cmdChangeTest, main->cmdExit, main->cmdHelp,
                                          main->txtChange, main->myControl1->widget()}));
    }

    // The windows as designed, in twips, before anything moves them (one
    // pixel is 15 twips). -1: the control sizes itself.
    void designBoxes_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QList<int>>("box");
        const auto row = [](const QString &window, const QString &control, QList<int> box) {
            QTest::addRow("%s %s", qPrintable(window), qPrintable(control)) << window << control << box;
        };
        row(u"frmMain"_s, u"lblZadZ"_s, {0, 0, -1, -1});
        row(u"frmMain"_s, u"lblZad"_s, {1125, 0, 8850, 375});
        row(u"frmMain"_s, u"cmdGotovo"_s, {8640, 540, 1410, 420});
        row(u"frmMain"_s, u"cmdChangeTest"_s, {8640, 4185, 1410, 420});
        row(u"frmMain"_s, u"cmdExit"_s, {8640, 4635, 1410, 420});
        row(u"frmMain"_s, u"cmdHelp"_s, {8640, 990, 1410, 420});
        row(u"frmMain"_s, u"txtChange"_s, {8640, 3150, 1410, 330});
        row(u"frmMain"_s, u"lblChange"_s, {8640, 2835, 1410, 240});
        row(u"frmMain"_s, u"myControl1"_s, {630, 810, 6180, 3870});
        row(u"frmMain"_s, u"sbr"_s, {0, 5304, 9504, 288});
        row(u"frmRegim"_s, u"Label1"_s, {90, 0, 4425, 510});
        row(u"frmRegim"_s, u"Label2"_s, {90, 585, 2265, 465});
        row(u"frmRegim"_s, u"Label3"_s, {2385, 585, 2220, 420});
        row(u"frmRegim"_s, u"Command1"_s, {23, 1035, 2265, 465});
        row(u"frmRegim"_s, u"Command2"_s, {2363, 1035, 2265, 465});
        row(u"frmStart"_s, u"Label1"_s, {90, 45, 3210, 465});
        row(u"frmStart"_s, u"List1"_s, {45, 585, 3255, 2352});
        row(u"frmStart"_s, u"Command1"_s, {3375, 45, 1230, 465});
        row(u"frmStart"_s, u"Command2"_s, {3375, 540, 1230, 465});
    }
    void designBoxes()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QList<int>, box);
        makeProgram();
        std::unique_ptr<Form> form;
        if (window == u"frmMain"_s)
            form = std::make_unique<frmMain>(*m_program);
        else if (window == u"frmRegim"_s)
            form = std::make_unique<frmRegim>(*m_program);
        else
            form = std::make_unique<frmStart>(*m_program);
        auto *widget = form->findChild<QWidget *>(control);
        QVERIFY(widget);
        const QRect g = widget->geometry();
        const QList<int> twips{Twips::fromPixelsX(g.x()), Twips::fromPixelsY(g.y()), Twips::fromPixelsX(g.width()),
                               Twips::fromPixelsY(g.height())};
        for (int i = 0; i < 4; ++i) {
            if (box[i] >= 0)
                QVERIFY2(std::abs(twips[i] - box[i]) < 15, qPrintable(u"%1 for %2"_s.arg(twips[i]).arg(box[i])));
        }
    }

    // The mode window closed by the system's close key: the hidden main
    // window goes too, and the pupil is back at the choice of a test.
    void modeWindowClosedWithoutAChoice()
    {
        makeProgram();
        frmRegim *regim = loadRegim(ThreeTasks);
        QVERIFY(regim);
        regim->close();
        Forms &forms = m_program->forms();
        QVERIFY(!forms.isLoaded<frmRegim>());
        QVERIFY(!forms.isLoaded<frmMain>());
        const Form *start = forms.loaded<frmStart, Form>();
        QVERIFY(start && start->isVisible());
    }

    // "Готово" compares whole texts: twin lines are interchangeable, lines
    // differing in letter case or a trailing space are not.
    void doneComparison_data()
    {
        QTest::addColumn<QByteArray>("lines"); // of the first task, after its statement
        QTest::addColumn<int>("from");         // exchanged after the correct order is put in; 0: none
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("correct");
        QTest::newRow("correct order") << QByteArray("взять\r\nвзять\r\nсложить\r\n") << 0 << 0 << true;
        QTest::newRow("twins exchanged") << QByteArray("взять\r\nвзять\r\nсложить\r\n") << 1 << 2 << true;
        QTest::newRow("different lines exchanged") << QByteArray("взять\r\nвзять\r\nсложить\r\n") << 2 << 3
                                                   << false;
        QTest::newRow("letter case") << QByteArray("Взять\r\nвзять\r\n") << 1 << 2 << false;
        QTest::newRow("trailing space") << QByteArray("взять\r\nвзять \r\n") << 1 << 2 << false;
    }
    void doneComparison()
    {
        QFETCH(QByteArray, lines);
        QFETCH(int, from);
        QFETCH(int, to);
        // Two tasks always come in file order.
        frmMain *main = loadMain(false, {}, "Сравнение\r\nЗадача\r\n" + lines + "\r\nЕщё\r\nодна\r\n\r\n");
        QVERIFY(main);
        QCOMPARE(main->run().CurrentTask, qint16(1));
        QTest::keyClick(main->cmdGotovo, Qt::Key_O, Qt::ShiftModifier | Qt::AltModifier);
        if (from != 0)
            QVERIFY(!main->myControl1->Swap(qint16(from), qint16(to)));
        main->cmdGotovo->click();
        auto *out = m_program->forms().loaded<frmOutRez>();
        QVERIFY(out);
        QFETCH(bool, correct);
        QCOMPARE(out->lswOut->item(0).subItem(2), correct ? u"Да"_s : u"Нет"_s);
        QCOMPARE(int(main->run().Score), correct ? 1 : 0);
    }

    // The teacher's statement is shown, and read by a screen reader, as written.
    void statementShownAsWritten_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("bold") << u"<b>жирный</b>"_s;
        QTest::newRow("a line break") << u"Сложить<br>числа"_s;
        QTest::newRow("a picture from the disk") << u"<img src=\"/usr/share/pixmaps/debian-logo.png\">"_s;
    }
    void statementShownAsWritten()
    {
        QFETCH(QString, statement);
        frmMain *main = loadMain(false, {}, "Разметка\r\n" + statement.toUtf8() + "\r\nа\r\nб\r\n\r\n");
        QVERIFY(main);
        QCOMPARE(QAccessible::queryAccessibleInterface(main->lblZad)->text(QAccessible::Name), statement);
    }

    // Line i of the task stands at position LineOrder(i), with LineOrder the
    // swap shuffle of the numbers drawn.
    void lineShownAtItsPlace_data()
    {
        QTest::addColumn<QList<double>>("draws");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("shown");
        // Positions 1↔2, 3↔1, 2↔3: LineOrder 3, 2, 1.
        QTest::newRow("3 lines reversed") << QList<double>{0.1, 0.5, 0.9} << QByteArray("a\r\nb\r\nc\r\n")
                                          << QStringList{u"c"_s, u"b"_s, u"a"_s};
        // 1↔2, 2↔3, 1↔4, 1↔4: LineOrder 2, 3, 1, 4.
        QTest::newRow("4 lines, a cycle") << QList<double>{0.1, 0.3, 0.3, 0.6, 0.1, 0.9, 0.1, 0.9}
                                          << QByteArray("a\r\nb\r\nc\r\nd\r\n")
                                          << QStringList{u"c"_s, u"a"_s, u"b"_s, u"d"_s};
        // 1↔2, 3↔4, 1↔2, 3↔4 solve it; one more exchange, 1↔2.
        QTest::newRow("4 lines, never solved") << QList<double>{0.1, 0.3, 0.6, 0.9}
                                               << QByteArray("a\r\nb\r\nc\r\nd\r\n")
                                               << QStringList{u"b"_s, u"a"_s, u"c"_s, u"d"_s};
    }
    void lineShownAtItsPlace()
    {
        QFETCH(QList<double>, draws);
        QFETCH(QByteArray, lines);
        frmMain *main = loadMain(false, std::make_unique<CyclingRandom>(draws), "Порядок\r\nЗадача\r\n" + lines + "\r\n");
        QVERIFY(main);
        QTEST(shownLines(main), "shown");
    }

    // "Другой тест" and a new choice start a fresh run: no score, no rows.
    void freshRunAfterAnotherTest()
    {
        frmMain *main = loadMain(false);
        QTest::keyClick(main->cmdGotovo, Qt::Key_O, Qt::ShiftModifier | Qt::AltModifier);
        main->cmdGotovo->click();
        QTest::keyClick(main->cmdGotovo, Qt::Key_B, Qt::ShiftModifier | Qt::AltModifier);
        QCOMPARE(int(main->run().Score), 2);
        main->cmdChangeTest->click();
        QVERIFY(!m_program->forms().isLoaded<frmOutRez>());
        frmRegim *regim = loadRegim(ThreeTasks);
        QVERIFY(regim);
        main = chooseMode(regim, false);
        QVERIFY(main);
        QCOMPARE(int(main->run().Score), 0);
        QCOMPARE(panel(main, u"otv"_s), u"Задача №1"_s);
        QCOMPARE(panel(main, u"ver"_s), u"Правильно 0"_s);
        QVERIFY(!m_program->forms().isLoaded<frmOutRez>());
        main->cmdGotovo->click();
        auto *out = m_program->forms().loaded<frmOutRez>();
        QCOMPARE(out->lswOut->rowCount(), 1);
        QCOMPARE(out->lswOut->item(0).text(), u"1"_s);
    }

    // Dragged smaller, the window keeps room for every line and the column.
    void keepsItsLayout()
    {
        frmMain *main = loadMain(false);
        main->resize(50, 50);
        const int S = Twips::fromPixelsY(main->sbr->height());
        const int lines = main->myControl1->MaxLbl().value;
        QVERIFY(Twips::fromPixelsY(main->height()) >= S + lines * 405 + Twips::fromPixelsY(main->lblZad->height()) - 15);
        QVERIFY(Twips::fromPixelsX(main->width()) >= 1410 + 2000 - 15);
        const QRect list = main->myControl1->widget()->geometry();
        QCOMPARE(list.right() + 1, main->cmdGotovo->x());
        QCOMPARE(main->cmdExit->geometry().bottom() + 1, main->sbr->y());
        QCOMPARE(main->sbr->geometry().bottom() + 1, main->height());
    }

    // The close question, asked only when the pupil closes the window.
    void closing_data()
    {
        QTest::addColumn<int>("how"); // 0 close box, 1 Выход, 2 Другой тест
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::newRow("close box, No") << 0 << int(MsgAnswer::No) << true << false;
        QTest::newRow("close box, Yes") << 0 << int(MsgAnswer::Yes) << true << true;
        QTest::newRow("Выход") << 1 << int(MsgAnswer::No) << false << true;
        QTest::newRow("Другой тест") << 2 << int(MsgAnswer::No) << false << true;
    }
    void closing()
    {
        QFETCH(int, how);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        frmMain *main = loadMain(true);
        main->cmdGotovo->click(); // a row: the results window is loaded, hidden
        QVERIFY(m_program->forms().isLoaded<frmOutRez>());
        m_desktop->answers.enqueue(MsgAnswer(answer));
        m_desktop->boxes.clear();
        if (how == 0)
            main->close();
        else
            (how == 1 ? main->cmdExit : main->cmdChangeTest)->click();
        QCOMPARE(!m_desktop->boxes.isEmpty(), asked);
        if (asked) {
            QCOMPARE(m_desktop->boxes.constFirst().text, u"Вы действительно хотите выйти?"_s);
            QCOMPARE(m_desktop->boxes.constFirst().buttons, MsgButtons::YesNo);
        }
        QCOMPARE(m_program->forms().isLoaded<frmMain>(), !closed);
        QCOMPARE(m_program->forms().isLoaded<frmOutRez>(), !closed);
        QCOMPARE(m_program->forms().isLoaded<frmStart>(), how == 2);
    }

    // Done with hints on: a wrong answer is shown right and "Далее" moves
    // on; the answer key makes an answer right; the last task ends the test
    // with the results window, and the main window closes.
    void wholeRunWithHints()
    {
        frmMain *main = loadMain(true);
        QStringList rows;
        QString endMessage;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            auto *out = m_program->forms().loaded<frmOutRez>();
            if (!out || !out->isVisible())
                return;
            endMessage = out->lblOut->text();
            for (int r = 0; r < out->lswOut->rowCount(); ++r)
                rows << out->lswOut->item(r).text() + u' ' + out->lswOut->item(r).subItem(2);
            out->cmdOk->click();
        });
        closer.start(10);
        QStringList expected;
        bool hinted = false;
        for (int position = 1; position <= 3; ++position) {
            QCOMPARE(panel(main, u"otv"_s), u"Задача №%1"_s.arg(position));
            const bool oneLine = correctLines(main).size() == 1;
            if (!oneLine && !hinted) {
                hinted = true;
                m_desktop->boxes.clear();
                main->cmdGotovo->click();
                QCOMPARE(m_desktop->boxes.size(), 1);
                QCOMPARE(m_desktop->boxes.constFirst().text, u"Неверно! Посмотри правильный вариант и нажми Далее"_s);
                QCOMPARE(shownLines(main), correctLines(main));
                QCOMPARE(main->cmdGotovo->text(), u"Далее"_s);
                expected << u"%1 Нет"_s.arg(position);
            } else {
                if (!oneLine)
                    QTest::keyClick(main->cmdGotovo, Qt::Key_O, Qt::ShiftModifier | Qt::AltModifier);
                expected << u"%1 Да"_s.arg(position);
            }
            if (position < 3) {
                main->cmdGotovo->click();
                QCOMPARE(main->cmdGotovo->text(), u"Готово"_s);
            }
        }
        QVERIFY(!test::endsProgram([&] { main->cmdGotovo->click(); }));
        QVERIFY(!m_program->forms().isLoaded<frmMain>());
        QCOMPARE(rows, expected);
        QCOMPARE(endMessage, u"Поздравляем Вас. \r\nВы прошли тест, набрав 2 из 3.\r\nРежим подсказок включен\r\n"
                             "Позови учителя.\r\nВы решили следующие задачи:"_s);
    }

    // The teacher keys answer exactly Shift+Alt.
    void teacherKeys_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("works");
        QTest::newRow("Shift") << int(Qt::ShiftModifier) << false;
        QTest::newRow("Alt") << int(Qt::AltModifier) << false;
        QTest::newRow("Shift+Alt") << int(Qt::ShiftModifier | Qt::AltModifier) << true;
        QTest::newRow("Shift+Ctrl+Alt") << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier) << false;
    }
    void teacherKeys()
    {
        QFETCH(int, modifiers);
        QFETCH(bool, works);
        frmMain *main = loadMain(false);
        while (correctLines(main).size() == 1) // a task that shows scrambled
            main->cmdGotovo->click();
        const QStringList before = shownLines(main);
        const int score = main->run().Score;
        QTest::keyClick(main->txtChange, Qt::Key_O, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(shownLines(main), works ? correctLines(main) : before);
        QTest::keyClick(main->cmdGotovo, Qt::Key_B, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(panel(main, u"ver"_s), u"Правильно %1"_s.arg(score + (works ? 1 : 0)));
        QCOMPARE(main->txtChange->text(), QString()); // no letter reached the box
    }

    // A first line chosen on a task of three lines does not stay pending on
    // a task of one: the next click would swap in a hidden, empty line.
    void pendingLineBeyondTheNextTask()
    {
        // Task order 1, 3, 2: exchanges (2,3), (1,2), (1,2).
        frmMain *main = loadMain(false, std::make_unique<CyclingRandom>(QList<double>{0.5, 0.9, 0.1, 0.5, 0.1, 0.5}));
        QCOMPARE(main->run().TaskOrder, (Order{0, 1, 3, 2}));
        QTest::keyClicks(main->txtChange, u"3-"_s);
        QCOMPARE(main->myControl1->Selection(3).value, true);
        main->cmdGotovo->click();
        QCOMPARE(main->run().CurrentTask, qint16(3));
        QCOMPARE(main->txtChange->text(), QString());
        QCOMPARE(main->entry().TypedFrom(), qint16(0));
        QCOMPARE(shownLines(main), correctLines(main)); // the one line, still there
        // A click now starts a move instead of completing one.
        QSignalSpy started(main->myControl1, &TabuloList::StartSwap);
        QTest::mouseClick(main->myControl1->widget()->findChild<QWidget *>(u"lblData_1"_s), Qt::LeftButton);
        QCOMPARE(started.count(), 1);
        QCOMPARE(shownLines(main), correctLines(main));
    }

    // What a screen reader says: the lines, the panels, the mode buttons,
    // the results table.
    void readByAScreenReader()
    {
        const auto name = [](QObject *object) {
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
            return face ? face->text(QAccessible::Name) : QString();
        };
        frmMain *main = loadMain(true);
        const QStringList shown = shownLines(main);
        QWidget *control = main->myControl1->widget();
        for (int i = 1; i <= shown.size(); ++i) {
            QCOMPARE(name(control->findChild<QWidget *>(u"lblData_%1"_s.arg(i))),
                     u"Строка %1 из %2: %3"_s.arg(i).arg(shown.size()).arg(shown.at(i - 1)));
        }
        // A window, not a dialog, holding the list of the shown lines.
        QCOMPARE(QAccessible::queryAccessibleInterface(main)->role(), QAccessible::Window);
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(control);
        QCOMPARE(list->text(QAccessible::Name), u"Строки задачи"_s);
        QCOMPARE(list->childCount(), shown.size());
        QCOMPARE(name(main->sbr->panel(u"otv"_s)), u"Задача №1"_s);
        QCOMPARE(name(main->sbr->panel(u"ver"_s)), u"Правильно 0"_s);
        QCOMPARE(name(main->sbr->panel(u"reg"_s)), u"Режим подсказок включен"_s);
        QCOMPARE(name(main->txtChange), u"Строки:"_s);
        auto *regim = m_program->forms().load<frmRegim>();
        QCOMPARE(name(regim->Command1), u"С подсказками"_s);
        QCOMPARE(name(regim->Command2), u"Без подсказок"_s);
        main->cmdGotovo->click();
        auto *out = m_program->forms().loaded<frmOutRez>();
        QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(out->lswOut)->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->columnCount(), 3);
        QCOMPARE(table->columnDescription(2), u"Решено верно"_s);
        out->show(); // as at the end of the test
        QCoreApplication::processEvents();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), u"1"_s);
        QCOMPARE(table->cellAt(0, 2)->text(QAccessible::Name), out->lswOut->item(0).subItem(2));
    }

    // Enter presses the focused button and nothing else: in the move box it
    // only ends a number, whatever button the Tab key passed on the way.
    void enterPressesOnlyTheFocusedButton()
    {
        frmMain *main = loadMain(false);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), main->txtChange);
        QTest::keyClicks(main->txtChange, u"1"_s);
        QTest::keyClick(main->txtChange, Qt::Key_Return);
        QVERIFY(m_program->forms().isLoaded<frmMain>());
        QCOMPARE(main->txtChange->text(), u"1 -"_s);
        QVERIFY(!m_program->forms().isLoaded<frmOutRez>());
        main->cmdGotovo->setFocus();
        QTest::keyClick(main->cmdGotovo, Qt::Key_Return);
        QVERIFY(m_program->forms().isLoaded<frmOutRez>()); // Готово recorded a row
    }

    // A held key presses a button, or closes a message box, once: on its
    // first press. Its repeats (the key's auto-repeat, as X sends it: a
    // release and a press, both marked) press nothing, in any window.
    void heldKeyPressesOnce_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        // "press", "repeats", "held" (press, repeats, release) or "unmarked"
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("clicks");
        const int enter = Qt::Key_Return;
        QTest::newRow("Готово, Enter") << u"frmMain"_s << u"cmdGotovo"_s << enter << u"press"_s << 1;
        QTest::newRow("Готово, Enter held") << u"frmMain"_s << u"cmdGotovo"_s << enter << u"held"_s << 1;
        QTest::newRow("Готово, keypad Enter repeats") << u"frmMain"_s << u"cmdGotovo"_s << int(Qt::Key_Enter)
                                                       << u"repeats"_s << 0;
        // X marks a repeat only when it sees both halves at once; else the
        // press repeats the release's time stamp, which no person types.
        QTest::newRow("Готово, Enter held, unmarked") << u"frmMain"_s << u"cmdGotovo"_s << enter << u"unmarked"_s
                                                       << 1;
        QTest::newRow("Готово, space held") << u"frmMain"_s << u"cmdGotovo"_s << int(Qt::Key_Space) << u"held"_s << 1;
        QTest::newRow("message box, Enter") << u"msgBox"_s << QString() << enter << u"press"_s << 1;
        QTest::newRow("message box, Enter held") << u"msgBox"_s << QString() << enter << u"held"_s << 1;
        QTest::newRow("message box, Enter repeats") << u"msgBox"_s << QString() << enter << u"repeats"_s << 0;
        QTest::newRow("message box, Esc repeats") << u"msgBox"_s << QString() << int(Qt::Key_Escape) << u"repeats"_s
                                                  << 0;
        QTest::newRow("frmStart OK, Enter on the list") << u"frmStart"_s << u"Command1"_s << enter << u"press"_s << 1;
        QTest::newRow("frmStart OK, Enter repeats") << u"frmStart"_s << u"Command1"_s << enter << u"repeats"_s << 0;
        QTest::newRow("frmStart Отмена, Esc repeats") << u"frmStart"_s << u"Command2"_s << int(Qt::Key_Escape)
                                                      << u"repeats"_s << 0;
        QTest::newRow("frmRegim, Enter held") << u"frmRegim"_s << u"Command1"_s << enter << u"held"_s << 1;
        QTest::newRow("frmRegim, Enter repeats") << u"frmRegim"_s << u"Command1"_s << enter << u"repeats"_s << 0;
        QTest::newRow("frmOutRez OK, Enter repeats") << u"frmOutRez"_s << u"cmdOk"_s << enter << u"repeats"_s << 0;
        QTest::newRow("frmOutRez OK, Enter held") << u"frmOutRez"_s << u"cmdOk"_s << enter << u"held"_s << 1;
    }
    void heldKeyPressesOnce()
    {
        QFETCH(QString, window);
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(QString, keys);
        QFETCH(int, clicks);
        const auto play = [&](QWidget *to, QAbstractButton *pressable) {
            QSignalSpy clicked(pressable, &QAbstractButton::clicked);
            const QString text = key == Qt::Key_Space ? u" "_s : key == Qt::Key_Escape ? u"\x1b"_s : u"\r"_s;
            const auto modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
            QPointer<QWidget> target(to);
            ulong time = 0;
            const auto send = [&](QEvent::Type type, bool repeat) {
                QKeyEvent event(type, key, modifiers, text, repeat);
                event.setTimestamp(time);
                if (target)
                    QApplication::sendEvent(target, &event);
            };
            if (keys == u"unmarked"_s) { // pressed at 1000, repeated at 1660
                time = 1000;
                send(QEvent::KeyPress, false);
                time = 1660;
                send(QEvent::KeyRelease, false);
                send(QEvent::KeyPress, false);
                return int(clicked.count());
            }
            if (keys != u"repeats"_s)
                send(QEvent::KeyPress, false);
            if (keys != u"press"_s) { // one repeat: it would press again
                send(QEvent::KeyRelease, true);
                send(QEvent::KeyPress, true);
            }
            if (keys != u"repeats"_s)
                send(QEvent::KeyRelease, false);
            return int(clicked.count());
        };
        frmMain *main = loadMain(false);
        QVERIFY(main);
        Forms &forms = m_program->forms();
        if (window == u"msgBox"_s) {
            int clickedInBox = -1;
            QTimer::singleShot(0, this, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                QWidget *focus = box->focusWidget() ? box->focusWidget() : box->defaultButton();
                clickedInBox = play(focus, box->buttons().value(0));
                if (box->isVisible())
                    box->done(0);
            });
            QtDesktop desktop;
            desktop.msgBox({u"Неверно! Посмотри правильный вариант и нажми Далее"_s});
            QCOMPARE(clickedInBox, clicks);
            return;
        }
        std::unique_ptr<frmStart> start;
        Form *form = main;
        if (window == u"frmStart"_s) {
            start = std::make_unique<frmStart>(*m_program); // its design only: no test to list
            form = start.get();
            form->show();
        } else if (window != u"frmMain"_s) {
            form = window == u"frmRegim"_s ? static_cast<Form *>(forms.load<frmRegim>()) : forms.load<frmOutRez>();
            form->showModeless();
        }
        auto *pressable = form->findChild<QAbstractButton *>(button);
        QVERIFY(pressable);
        if (window == u"frmOutRez"_s)
            pressable->setFocus();
        QVERIFY(form->focusWidget());
        QCOMPARE(play(form->focusWidget(), pressable), clicks);
    }

    // Only typing enters the move box: what an input method commits goes
    // through the same rule as typed keys, and a middle click pastes nothing.
    void moveBoxTakesOnlyTyping_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("committed"); // empty: a middle click instead
        QTest::addColumn<QString>("box");
        QTest::newRow("é committed") << QString() << u"é"_s << QString();
        QTest::newRow("5 committed") << QString() << u"5"_s << u"5"_s;
        QTest::newRow("ü after 1 ends the number") << u"1"_s << u"ü"_s << u"1 -"_s;
        QTest::newRow("é1 after 1") << u"1"_s << u"é1"_s << u"1 -1"_s;
        QTest::newRow("middle click after 1-") << u"1-"_s << QString() << u"1 -"_s;
    }
    void moveBoxTakesOnlyTyping()
    {
        QFETCH(QString, typed);
        QFETCH(QString, committed);
        frmMain *main = loadMain(false);
        QVERIFY(main);
        QTest::keyClicks(main->txtChange, typed);
        if (committed.isEmpty()) {
            QClipboard *clipboard = QGuiApplication::clipboard();
            clipboard->setText(u"ab;x!"_s, clipboard->supportsSelection() ? QClipboard::Selection : QClipboard::Clipboard);
            QTest::mouseClick(main->txtChange, Qt::MiddleButton);
            QTest::keyClick(main->txtChange, Qt::Key_Insert, Qt::ShiftModifier);
        } else {
            QInputMethodEvent composed;
            composed.setCommitString(committed);
            QApplication::sendEvent(main->txtChange, &composed);
        }
        QTEST(main->txtChange->text(), "box");
    }

    // The task text is as tall as its text at the window's width: a long
    // statement on a wider window takes fewer lines, and "Готово", "Помощь"
    // and the list follow the label's lower edge.
    void taskTextFollowsTheWidth_data()
    {
        QTest::addColumn<int>("wordsBefore"); // words that fit a line of lblZad
        QTest::addColumn<int>("wordsAfter");
        QTest::addColumn<int>("linesBefore"); // of the ten-word statement
        QTest::addColumn<int>("linesAfter");
        QTest::newRow("wider") << 3 << 5 << 4 << 2;
        QTest::newRow("narrower") << 5 << 3 << 2 << 4;
        QTest::newRow("wide enough for one line") << 3 << 10 << 4 << 1;
    }
    void taskTextFollowsTheWidth()
    {
        QFETCH(int, wordsBefore);
        QFETCH(int, wordsAfter);
        QFETCH(int, linesBefore);
        QFETCH(int, linesAfter);
        frmMain *main = loadMain(false, {}, LongStatement);
        const QFontMetrics metrics(main->lblZad->font());
        const int word = metrics.horizontalAdvance(LongWord), space = metrics.horizontalAdvance(u' ');
        QList<int> label, below; // lblZad's height; the tops of Готово, Помощь and the list
        for (const int words : {wordsBefore, wordsAfter}) {
            const int width = words * (word + space) - space + word / 2; // and half a word more
            main->resize(main->width() - main->lblZad->width() + width, main->height());
            QCOMPARE(main->lblZad->width(), width);
            label << main->lblZad->height();
            below << main->cmdGotovo->y() << main->cmdHelp->y() << main->myControl1->widget()->y();
        }
        QLabel plain; // that many lines in the same font
        plain.setFont(main->lblZad->font());
        QList<int> expected;
        for (const int lines : {linesBefore, linesAfter}) {
            plain.setText(QStringList(lines, u"Ж"_s).join(u'\n'));
            expected << plain.sizeHint().height();
        }
        QCOMPARE(label, expected);
        // Below the labels everything moves as the taller of them changed.
        const int caption = main->lblZadZ->height();
        const int moved = std::max(expected.at(1), caption) - std::max(expected.at(0), caption);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(below.at(i + 3) - below.at(i), moved);
    }

    // A move typed into the real box exchanges the lines in the real control.
    void typedMove()
    {
        frmMain *main = loadMain(false);
        while (correctLines(main).size() == 1)
            main->cmdGotovo->click();
        const QStringList before = shownLines(main);
        QTest::keyClicks(main->txtChange, u"1-"_s);
        QCOMPARE(main->txtChange->text(), u"1 -"_s);
        QTest::keyClicks(main->txtChange, u"2"_s);
        QTest::keyClick(main->txtChange, Qt::Key_Return);
        QStringList after = before;
        after.swapItemsAt(0, 1);
        QCOMPARE(shownLines(main), after);
        QCOMPARE(main->txtChange->text(), QString());
        QCOMPARE(panel(main, u"inf"_s), u"усё"_s);
    }
};

} // namespace velmora

VELMORA_TEST_MAIN(velmora::tst_frmMain)
#include "tst_frmmain.moc"
