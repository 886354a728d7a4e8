#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// One task: element 0 the statement, elements 1..k the steps in their
// correct order. A task's step count is its upper index k.
using Task = QStringList;

// The task table the loader fills and the run reads. Tasks are numbered
// from 1 as the run addresses them, their lines from 0 (the statement);
// the table is owned by the program in one place and handed to whoever
// reads it.
//
// The lines are kept as the file holds them, one after another in one
// block of bytes, and decoded when read: the largest test has some 700 000
// lines, and a string of its own for each, or even their text decoded at
// once, would cost several times more than reading the file. The run reads
// a task's few lines at a time.
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
    QList<Task> tasks() const;

private:
    // Building, for the loader only: a task is started, and lines are added
    // to it in two moves: the bytes of a line are put at the end of the
    // block (the pending line), then kept as the task's next line or
    // dropped. `reserveBytes` is a hint.
    friend class TaskTableBuilder;
    void reserveBytes(qsizetype size) { m_bytes.reserve(size); }
    void startTask() { m_firstLine.append(qint32(m_lineEnd.size())); }
    void setPending(QByteArrayView bytes);
    bool pendingIsEmpty() const { return m_bytes.size() == keptEnd(); }
    void keepPending() { m_lineEnd.append(m_bytes.size()); }
    void dropPending() { m_bytes.truncate(keptEnd()); }
    void squeeze();

    qsizetype keptEnd() const { return m_lineEnd.isEmpty() ? 0 : m_lineEnd.last(); }
    int lineCount(int number) const; // failure 9 outside 1..count

    QByteArray m_bytes;          // every line's bytes, one after another
    QList<qsizetype> m_lineEnd;  // where each line ends in m_bytes
    QList<qint32> m_firstLine;   // each task's statement, as a line index
};

} // namespace velmora
