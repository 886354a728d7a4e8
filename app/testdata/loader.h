#pragma once

#include "platform/core/failure.h"
#include "testdata/tasktable.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>
#include <optional>
#include <span>

namespace velmora {

// What the table of one test may hold, counted roughly (a line's bytes and
// its place in the table). A real test is a few megabytes; a file of
// millions of tiny lines must end in a failure, not in an exhausted memory.
inline constexpr qint64 MaxTableBytes = qint64(1) << 30;

// What a load of a test gives besides the tasks.
struct LoadResult final
{
    std::optional<Failure> failure; // none: the test was read whole
    int tasksRead = 0;              // the tasks this load started
    QString title;                  // the title line the load dropped, decoded
};

// Reads the plain text of a test into `Tasks`: the title line is dropped;
// each task is a statement, its steps, and the empty line that ends it
// (testdata/taskreading.h). The bytes are loaded in place: they become the
// table's (they are consumed, whatever the outcome; pass bytes that nothing
// else shares, or they are copied once first). The table is not cleared
// first: it is sized to the tasks read so far each time a task starts, so
// a load that reads at least one task leaves exactly the new test's tasks
// and one that reads none leaves the table as it was. A load that fails
// leaves the table as it was before the load: no caller can meet a
// half-read task. A line longer than LineReader::DefaultMaxLineLength, or a
// test too large to hold, is failure 7 rather than an exhausted memory.
// `plain` may be raw data (QByteArray::fromRawData) over memory that
// `holder` keeps, such as a file's mapping: the table then keeps the holder
// and reads the bytes where they lie.
LoadResult LoadTest(QByteArray &&plain, TaskTable &Tasks, std::shared_ptr<const void> holder = {});
// The same for the file at `path`: read whole, at once, and loaded in
// place; a pipe, or a file larger than the table may hold, line by line.
// Failures name `path`.
LoadResult LoadTest(const QString &path, TaskTable &Tasks);

// The title as the selection list shows it: the first line of the file
// decoded, or nullopt for an empty file.
std::optional<QString> readTitle(QIODevice &device);
// The same for a file's bytes in memory.
std::optional<QString> titleOf(QByteArrayView bytes);

// The largest element, as a double; ties keep the value found first.
// `values` holds at least one element.
double MaxValue(std::span<const double> values);

} // namespace velmora
