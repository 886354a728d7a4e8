#pragma once

#include "platform/core/failure.h"
#include "testdata/tasktable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <memory>
#include <optional>

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

// LoadTest: the plain text of a test into `Tasks` (testdata/taskreading.h), in place: the bytes become the
// table's, or stay where `holder` keeps them (a mapping). `Tasks` changes only when a task is read and nothing
// fails. FailureNumber::InputPastEnd, FailureNumber::Overflow, and FailureNumber::OutOfMemory for a line
// longer than MaxLineLength or a test larger than MaxTableBytes; failures name no path.
LoadResult LoadTest(QByteArray &&plain, TaskTable &Tasks, std::shared_ptr<const void> holder = {});

// The title as the selection list shows it: the first line of `device`, read no further than TitleLimit
// bytes, decoded; nullopt for an empty file. A failed read shows in the device's error().
std::optional<QString> readTitle(QIODevice &device);

// The same title of a test already in memory: the first line of `bytes`, looked for no further than
// TitleLimit bytes, decoded; nullopt for no bytes.
std::optional<QString> titleOf(QByteArrayView bytes);

} // namespace velmora
