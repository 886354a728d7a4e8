#include "run/testrun.h"

#include "platform/core/random.h"

using namespace Qt::StringLiterals;

namespace velmora {

void TestRun::start(int taskCount, RandomSource &random)
{
    random.seedFromTimeOfDay();
    TaskOrder = identityOrder(taskCount);
    if (taskCount > 1)
        swapShuffle(TaskOrder, taskCount, random);
    CurrentTask = TaskOrder.value(1);
    TaskNumber = 1;
    Score = 0;
    AwaitingNext = false;
}

TestRun::Press TestRun::pressDone(bool correct)
{
    Press press;
    if (!AwaitingNext) {
        press.row = Row{TaskNumber, CurrentTask, correct};
        if (correct && Score < ScoreLimit)
            ++Score;
    }
    if (Regim && !correct && !AwaitingNext) {
        AwaitingNext = true;
        press.next = Next::Hint;
        return press;
    }
    if (TaskNumber >= taskCount()) {
        press.next = Next::End;
        return press;
    }
    ++TaskNumber;
    CurrentTask = TaskOrder.at(TaskNumber);
    AwaitingNext = false;
    press.next = Next::NextTask;
    return press;
}

bool TestRun::addPoint()
{
    if (Score >= ScoreLimit)
        return false;
    ++Score;
    return true;
}

QString TestRun::otvText() const
{
    return u"Задача №"_s + QString::number(TaskNumber);
}

QString TestRun::verText() const
{
    return u"Правильно "_s + QString::number(Score);
}

QString TestRun::endMessage() const
{
    return u"Поздравляем Вас. \r\n"_s
        + u"Вы прошли тест, набрав "_s + QString::number(Score) + u" из "_s + QString::number(taskCount()) + u".\r\n"_s
        + (Regim ? u"Режим подсказок включен"_s : u"Режим подсказок выключен"_s) + u"\r\n"_s
        + u"Позови учителя.\r\n"_s
        + u"Вы решили следующие задачи:"_s;
}

} // namespace velmora
