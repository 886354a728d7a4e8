#include "platform/core/random.h"
#include "run/answercheck.h"
#include "run/shuffle.h"
#include "run/testrun.h"

#include <QQueue>
#include <QTest>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// Hands out the numbers a test scripts, then repeats the last one.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(QList<double> values) : m_values(std::move(values)) {}
    void seedFromTimeOfDay() override { ++seeds; }
    double next() override
    {
        ++draws;
        return m_values.size() > 1 ? m_values.takeFirst() : m_values.constFirst();
    }
    int seeds = 0;
    int draws = 0;

private:
    QList<double> m_values;
};

bool isPermutation(const Order &order)
{
    Order sorted = order.mid(1);
    std::sort(sorted.begin(), sorted.end());
    return sorted == identityOrder(int(order.size()) - 1).mid(1);
}

int parity(Order order)
{
    int swaps = 0;
    for (int i = 1; i < order.size(); ++i) {
        while (order[i] != i) {
            std::swap(order[i], order[order[i]]);
            ++swaps;
        }
    }
    return swaps % 2;
}

QStringList taskLines(const QString &letters)
{
    QStringList lines{u"statement"_s};
    for (QChar c : letters)
        lines << QString(c);
    return lines;
}

} // namespace

class tst_TestRun final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Exactly M exchanges of two different positions, drawn as int(r × M) + 1.
    void swapShuffleDraws()
    {
        // M = 3: (0.0, 0.0) is a = b = 1 and does not count; then 1↔2, 2↔3, 1↔3.
        ScriptedRandom random({0.0, 0.0, 0.1, 0.5, 0.4, 0.9, 0.2, 0.99});
        Order P = identityOrder(3);
        swapShuffle(P, 3, random);
        QCOMPARE(random.draws, 8);
        QCOMPARE(P, (Order{0, 1, 3, 2}));
    }

    void shuffleParityAndSolvedNever_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::newRow("2 lines") << u"ab"_s;
        QTest::newRow("3 lines") << u"abc"_s;
        QTest::newRow("4 lines") << u"abcd"_s;
        QTest::newRow("20 lines") << u"abcdefghijklmnopqrst"_s;
        QTest::newRow("duplicates, 3") << u"aab"_s;
        QTest::newRow("duplicates, 4") << u"aabb"_s;
        QTest::newRow("all alike") << u"aaaa"_s;
        QTest::newRow("one line") << u"a"_s;
    }
    // The swap shuffle gives the parity of M; what the pupil is shown is
    // never already solved, unless it cannot be scrambled at all.
    void shuffleParityAndSolvedNever()
    {
        QFETCH(QString, letters);
        const QStringList lines = taskLines(letters);
        const int L = int(letters.size());
        const bool scramblable = L > 1 && QString(letters).remove(letters.front()).size() > 0;
        TimeOfDayRandom random;
        for (unsigned seed = 0; seed < 2000; ++seed) {
            random.seed(seed);
            if (L > 1) {
                Order P = identityOrder(L);
                swapShuffle(P, L, random);
                QCOMPARE(parity(P), L % 2);
            }
            const Order order = scrambledLineOrder(lines, random);
            QVERIFY(isPermutation(order));
            QCOMPARE(readsCorrect(lines, shownTexts(lines, order)), !scramblable);
        }
    }

    // The Done comparison: whole texts, exactly; identical lines are
    // interchangeable, lines differing in case or a space are not.
    void comparison_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Order>("order");
        QTest::addColumn<bool>("correct");
        const QStringList twins{u"s"_s, u"взять"_s, u"взять"_s, u"сложить"_s};
        QTest::newRow("in order") << twins << Order{0, 1, 2, 3} << true;
        QTest::newRow("identical lines exchanged") << twins << Order{0, 2, 1, 3} << true;
        QTest::newRow("different lines exchanged") << twins << Order{0, 1, 3, 2} << false;
        const QStringList cased{u"s"_s, u"Взять"_s, u"взять"_s};
        QTest::newRow("letter case") << cased << Order{0, 2, 1} << false;
        const QStringList spaced{u"s"_s, u"взять"_s, u"взять "_s};
        QTest::newRow("trailing space") << spaced << Order{0, 2, 1} << false;
    }
    void comparison()
    {
        QFETCH(QStringList, lines);
        QFETCH(Order, order);
        QFETCH(bool, correct);
        QCOMPARE(velmora::readsCorrect(lines, shownTexts(lines, order)), correct);
    }

    void runStart_data()
    {
        QTest::addColumn<int>("tasks");
        QTest::newRow("one task") << 1;
        QTest::newRow("two tasks") << 2;
        QTest::newRow("five tasks") << 5;
    }
    void runStart()
    {
        QFETCH(int, tasks);
        TimeOfDayRandom random;
        TestRun run;
        run.start(tasks, random);
        QVERIFY(isPermutation(run.TaskOrder));
        QCOMPARE(run.taskCount(), tasks);
        if (tasks <= 2) // two exchanges of the only pair undo each other
            QCOMPARE(run.TaskOrder, identityOrder(tasks));
        QCOMPARE(run.TaskNumber, qint16(1));
        QCOMPARE(run.CurrentTask, run.TaskOrder.at(1));
        QCOMPARE(run.otvText(), u"Задача №1"_s);
        QCOMPARE(run.verText(), u"Правильно 0"_s);
    }

    // The Done button, state by state.
    void pressDone_data()
    {
        QTest::addColumn<bool>("regim");
        QTest::addColumn<bool>("awaiting");
        QTest::addColumn<bool>("correct");
        QTest::addColumn<bool>("last");
        QTest::addColumn<int>("row");   // -1 none, 0 "Нет", 1 "Да"
        QTest::addColumn<int>("next");  // TestRun::Next
        QTest::addColumn<bool>("awaitingAfter");
        using N = TestRun::Next;
        QTest::newRow("correct") << false << false << true << false << 1 << int(N::NextTask) << false;
        QTest::newRow("correct, hints") << true << false << true << false << 1 << int(N::NextTask) << false;
        QTest::newRow("wrong, no hints") << false << false << false << false << 0 << int(N::NextTask) << false;
        QTest::newRow("wrong, hints") << true << false << false << false << 0 << int(N::Hint) << true;
        QTest::newRow("Далее, wrong") << true << true << false << false << -1 << int(N::NextTask) << false;
        QTest::newRow("Далее, correct") << true << true << true << false << -1 << int(N::NextTask) << false;
        QTest::newRow("last, correct") << true << false << true << true << 1 << int(N::End) << false;
        QTest::newRow("last, wrong, hints") << true << false << false << true << 0 << int(N::Hint) << true;
        QTest::newRow("last, Далее") << true << true << false << true << -1 << int(N::End) << true;
        QTest::newRow("last, wrong, no hints") << false << false << false << true << 0 << int(N::End) << false;
    }
    void pressDone()
    {
        QFETCH(bool, regim);
        QFETCH(bool, awaiting);
        QFETCH(bool, correct);
        QFETCH(bool, last);
        QFETCH(int, row);
        QFETCH(int, next);
        QFETCH(bool, awaitingAfter);
        TimeOfDayRandom random;
        TestRun run;
        run.start(3, random);
        run.Regim = regim;
        run.TaskNumber = last ? 3 : 2;
        run.CurrentTask = run.TaskOrder.at(run.TaskNumber);
        run.AwaitingNext = awaiting;
        const qint16 task = run.CurrentTask;
        const TestRun::Press press = run.pressDone(correct);
        QCOMPARE(press.row.has_value(), row >= 0);
        if (press.row) {
            QCOMPARE(press.row->number, qint16(last ? 3 : 2));
            QCOMPARE(press.row->task, task);
            QCOMPARE(press.row->correct, row == 1);
        }
        QCOMPARE(int(press.next), next);
        QCOMPARE(run.AwaitingNext, awaitingAfter);
        QCOMPARE(run.Score, TestRun::ScoreCount(row == 1 ? 1 : 0));
        const bool movedOn = press.next == TestRun::Next::NextTask;
        QCOMPARE(run.TaskNumber, qint16((last ? 3 : 2) + (movedOn ? 1 : 0)));
        QCOMPARE(run.CurrentTask, run.TaskOrder.at(run.TaskNumber));
    }

    // Exactly N rows, however many presses of "Далее"; the score counts past 255.
    void wholeRun_data()
    {
        QTest::addColumn<int>("tasks");
        QTest::addColumn<bool>("regim");
        QTest::addColumn<bool>("allCorrect");
        QTest::newRow("300 right") << 300 << false << true;
        QTest::newRow("wrong with hints") << 4 << true << false;
        QTest::newRow("one task, wrong with hints") << 1 << true << false;
    }
    void wholeRun()
    {
        QFETCH(int, tasks);
        QFETCH(bool, regim);
        QFETCH(bool, allCorrect);
        TimeOfDayRandom random;
        TestRun run;
        run.start(tasks, random);
        run.Regim = regim;
        QList<qint16> numbers, seen;
        for (int presses = 0; presses < 3 * tasks; ++presses) {
            const TestRun::Press press = run.pressDone(allCorrect);
            if (press.row) {
                numbers << press.row->number;
                seen << press.row->task;
            }
            if (press.next == TestRun::Next::End)
                break;
        }
        QCOMPARE(numbers, identityOrder(tasks).mid(1));
        QCOMPARE(seen, run.TaskOrder.mid(1));
        const QString score = QString::number(allCorrect ? tasks : 0);
        QCOMPARE(run.endMessage(), u"Поздравляем Вас. \r\nВы прошли тест, набрав "_s + score + u" из "_s
                                       + QString::number(tasks) + u".\r\nРежим подсказок "_s
                                       + (regim ? u"включен"_s : u"выключен"_s)
                                       + u"\r\nПозови учителя.\r\nВы решили следующие задачи:"_s);
    }

    void pointKeyStopsAtTheLimit()
    {
        TestRun run;
        run.Score = TestRun::ScoreLimit - 1;
        QVERIFY(run.addPoint());
        QVERIFY(!run.addPoint());
        QCOMPARE(run.Score, TestRun::ScoreLimit);
        QCOMPARE(run.verText(), u"Правильно 65535"_s);
    }
};

} // namespace velmora

QTEST_GUILESS_MAIN(velmora::tst_TestRun)
#include "tst_testrun.moc"
