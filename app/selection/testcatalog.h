#pragma once

#include "platform/core/failure.h"
#include "testdata/opening.h"
#include "testdata/tasktable.h"

#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// One test of the program's folder as the selection list shows it.
struct TestEntry final
{
    QString fileName; // name only, no folder
    QString title;    // the plain title line, or the file name of an empty file
};

struct TestListing final
{
    QList<TestEntry> entries;
    std::optional<Failure> failure; // the listing stopped here; entries keep what came before
};

// Lists the ordinary "*.tst" files of `folder` (no hidden or system files,
// no folders) in the order the file system gives them. A file that has
// gone missing meanwhile (failure 53) is left out; any other failure stops
// the listing.
TestListing listTests(const QString &folder);

// What came of loading a chosen test into the task table.
struct ChosenTestLoad final
{
    std::optional<Failure> failure;  // a test-data failure: the program ends with its message
    std::optional<QString> refusal;  // the run could not show this test: why, for the pupil
};

// Unscrambles `testPath` (a regular file) into a temporary copy, loads the
// copy and deletes it again on every path, failure included. The copy is
// the test's path + ".tmp"; when the test's folder cannot be written (a
// read-only installation) it goes to a private folder of the user's
// temporary folder instead. A test the run cannot show — no task at all,
// or a task of more than MaxStepsPerTask steps — is refused with a message
// naming the test (`title`) and the task. `Tasks` is replaced only by a
// test the run can show.
ChosenTestLoad loadChosenTest(const QString &testPath, const QString &title, TaskTable &Tasks);

} // namespace velmora
