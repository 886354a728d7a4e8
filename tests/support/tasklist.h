#pragma once

#include "testdata/tasktable.h"

#include <QList>

namespace velmora::test {

// Every task of a table in order, each read as the run reads it.
inline QList<Task> tasksOf(const TaskTable &table)
{
    QList<Task> tasks;
    for (int number = 1; number <= table.count(); ++number)
        tasks << table.task(number);
    return tasks;
}

} // namespace velmora::test
