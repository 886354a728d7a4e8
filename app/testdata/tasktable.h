#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// One task: element 0 the statement, elements 1..k the steps in their
// correct order. A task's step count is its upper index k.
using Task = QStringList;

// The task table the loader fills and the run reads. Tasks are numbered
// from 1 as the run addresses them; the table is owned by the program in
// one place and handed to whoever reads it.
class TaskTable final
{
public:
    int count() const { return int(m_tasks.size()); } // the upper index n
    bool isEmpty() const { return m_tasks.isEmpty(); }
    const Task &task(int number) const { return m_tasks.at(number - 1); } // 1..count
    int stepCount(int number) const { return int(task(number).size()) - 1; }

    // The loader's two operations: size the table keeping what it holds,
    // and store a finished task.
    void resize(int n)
    {
        // The loader grows the table one task at a time: grow its storage
        // geometrically, or every task would move all the tasks before it.
        if (n > m_tasks.capacity())
            m_tasks.reserve(qMax<qsizetype>(n, 2 * m_tasks.capacity()));
        m_tasks.resize(n);
    }
    void setTask(int number, Task task) { m_tasks[number - 1] = std::move(task); }

    const QList<Task> &tasks() const { return m_tasks; }

private:
    QList<Task> m_tasks;
};

} // namespace velmora
