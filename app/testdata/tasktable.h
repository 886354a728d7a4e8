#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace velmora {

// One task: element 0 the statement, elements 1..k the steps in their
// correct order. A task's step count is its upper index k.
using Task = QStringList;

// The task table the loader fills and the run reads. Tasks are numbered
// from 1 as the run addresses them, their lines from 0 (the statement);
// the table is owned by the program in one place and handed to whoever
// reads it.
//
// The lines are kept as the file holds them, in one block of bytes (the
// file's own, line ends and all, when it was read whole), and decoded when
// read: the largest test has some 700 000 lines, and a string of its own
// for each, or even their text decoded at once, would cost several times
// more than reading the file. The run reads a task's few lines at a time.
class TaskTableBuilder;

// Read-only to all but the loader: a read outside the table (a task number
// outside 1..count, a line index outside 0..k) is failure 9, thrown as a
// FailureError, never another task's line.
class TaskTable final
{
public:
    int count() const { return int(m_firstLine.size()); } // the upper index n
    bool isEmpty() const { return m_firstLine.isEmpty(); }
    int stepCount(int number) const { return lineCount(number) - 1; } // the upper index k

    // Line `index` of task `number`, decoded: 0 the statement, 1..k the steps.
    QString text(int number, int index) const;
    Task task(int number) const; // 1..count

private:
    // Built by the loader only (TaskTableBuilder, in loader.cpp).
    friend class TaskTableBuilder;

    int lineCount(int number) const; // failure 9 outside 1..count

    // Where a line stands in m_bytes. The block never holds more than the
    // loader's budget (MaxTableBytes, 1 GiB): 32 bits are enough.
    struct Span final
    {
        qint32 start = 0;
        qint32 end = 0;
    };

    QByteArray m_bytes;        // every line's bytes
    std::shared_ptr<const void> m_holder; // what keeps m_bytes when they are not its own (a file's mapping)
    std::vector<Span> m_lines; // each line, tasks one after another
    QList<qint32> m_firstLine; // each task's statement, as a line index
};

} // namespace velmora
