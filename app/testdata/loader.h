#pragma once

#include "platform/core/failure.h"
#include "testdata/tasktable.h"

#include <QIODevice>
#include <QString>

#include <optional>
#include <span>

namespace velmora {

// What the table of one test may hold, counted roughly (a line's bytes and
// its place in the table). A real test is a few megabytes; a file of
// millions of tiny lines must end in a failure, not in an exhausted memory.
inline constexpr qint64 MaxTableBytes = qint64(1) << 30;

// Reads the plain text of a test into `Tasks`: the title line is dropped;
// each task is a statement, its steps, and the empty line that ends it.
// The table is not cleared first: it is sized to the tasks read so far each
// time a task starts, so a load that reads at least one task leaves exactly
// the new test's tasks and one that reads none leaves the table as it was.
// The last line of the file never becomes a step. Counters are 16-bit:
// a 32768th task or step is failure 6. `tasksRead` (optional) receives the
// number of tasks this load started. A load that fails leaves the table as
// it was before the load: no caller can meet a half-read task. A line
// longer than LineReader::DefaultMaxLineLength, or a test too large to
// hold, is failure 7 rather than an exhausted memory. `title` (optional)
// receives the title line the load dropped, decoded: the input is read
// once, so a pipe gives its title too.
std::optional<Failure> LoadTest(const QString &path, TaskTable &Tasks, int *tasksRead = nullptr,
                                QString *title = nullptr);
std::optional<Failure> loadTestFrom(QIODevice &device, TaskTable &Tasks, int *tasksRead = nullptr,
                                    QString *title = nullptr);
// The same for a test already in memory, loaded in place: the bytes become
// the table's (they are consumed, whatever the outcome). Pass bytes that
// nothing else shares, or they are copied once first.
std::optional<Failure> loadTestFromBytes(QByteArray &&plain, TaskTable &Tasks, int *tasksRead = nullptr,
                                         QString *title = nullptr);

// The title as the selection list shows it: the first line of the file
// decoded, or nullopt for an empty file.
std::optional<QString> readTitle(QIODevice &device);
// The same for a file's bytes in memory.
std::optional<QString> titleOf(QByteArrayView bytes);

// The largest element, as a double; ties keep the value found first.
// `values` holds at least one element.
double MaxValue(std::span<const double> values);

} // namespace velmora
