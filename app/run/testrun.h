#pragma once

#include "run/shuffle.h"

#include <QString>

#include <limits>
#include <optional>

namespace velmora {

class RandomSource;

// One pass of the pupil through the loaded test: which task comes when,
// where the pupil is, the score, and what a press of the Done button does.
// The main window owns one per load and shows what it says; the tasks
// themselves stay in the task table.
class TestRun final
{
public:
    // A count of correct answers. A test may hold up to 32767 tasks, so an
    // 8-bit count is too small; the point key stops at this limit.
    using ScoreCount = quint16;
    static constexpr ScoreCount ScoreLimit = std::numeric_limits<ScoreCount>::max();

    bool Regim = false;        // hints on
    Order TaskOrder;           // 1..N: the tasks in the order of this run
    qint16 TaskNumber = 0;     // position of the task on screen in the run, 1..N
    qint16 CurrentTask = 0;    // its number in the test: TaskOrder(TaskNumber)
    ScoreCount Score = 0;
    bool AwaitingNext = false; // the correct order is on screen, Done reads "Далее"

    // The start of a run over `taskCount` tasks (at least one): the generator
    // seeded from the time of day, the task order shuffled, the first task
    // current, no score. The caller then shows the task.
    void start(int taskCount, RandomSource &random);
    int taskCount() const { return int(TaskOrder.size()) - 1; }

    // A row of the results table: the task's position in the run, its number
    // in the test, whether the first answer was correct.
    struct Row final
    {
        qint16 number = 0;
        qint16 task = 0;
        bool correct = false;
    };
    enum class Next {
        Hint,     // show the hint message and the correct order; Done reads "Далее"
        NextTask, // show the (new) current task; Done reads "Готово"
        End,      // the test is over: the end message, the results, close
    };
    struct Press final
    {
        std::optional<Row> row; // recorded only for the first press on a task
        Next next = Next::NextTask;
    };
    // A press of the Done button with the answer on screen `correct` or not.
    Press pressDone(bool correct);

    // The teacher's point key: one more point, up to ScoreLimit. False when
    // the score is at its limit already.
    bool addPoint();

    QString otvText() const; // "Задача №" and the position in the run
    QString verText() const; // "Правильно " and the score
    // The five lines of the end message, joined by CR LF.
    QString endMessage() const;
};

} // namespace velmora
