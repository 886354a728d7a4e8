#pragma once

#include "platform/core/failure.h"
#include "testdata/opening.h"
#include "testdata/tasktable.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// One test of the program's folder as the selection list shows it.
struct TestEntry final
{
    QByteArray nativeName; // name only, no folder, as the system has it: opened by these bytes
    QString fileName;      // the same as text, as messages show it
    QString title;         // the plain title line, or the file name of an empty file
};

struct TestListing final
{
    QList<TestEntry> entries;
    std::optional<Failure> failure; // the listing stopped here; entries keep what came before
};

// Lists the ordinary "*.tst" files of `folder` (letter case ignored; no
// hidden or system files, no folders) in the order the file system gives
// them, by the bytes of their names: a name that is no text is listed too.
// Only the folder's own tests: not a link planted to another account's
// private file, not a file of the system's (/proc), not a file whose title
// line is no text. A file that has gone missing meanwhile (failure 53) is
// left out; any other failure stops the listing.
TestListing listTests(const QString &folder);

// The name of the plain copy of the test named `testName`, in a folder whose
// file system takes names of at most `limit` bytes: the test's name +
// ".tmp" when that fits; else the name cut short, "~" and a digest of the
// whole name, + ".tmp". Either way it ends in ".tmp", never in ".tst", so
// it is never listed as a test, and two tests never share one. A `number`
// above 0 names the copy of a program that found the ones before held by
// others: ".<number>" comes before the ".tmp".
QByteArray copyName(const QByteArray &testName, qsizetype limit, int number = 0);

// The program's private folder for copies that the test's folder cannot
// take: a folder of the user's temporary folder for this account alone.
std::optional<QByteArray> privateCopyFolder();

// Removes the stale plain copies that loads which never finished (the
// program killed meanwhile) left behind: in `folder`, the copies of each
// listed test, numbered ones included, where they are regular files; in the
// private folder, every file. A copy a running program holds is left to it,
// and nothing else is touched. Returns how many were removed.
int sweepStaleCopies(const QString &folder);

// What came of loading a chosen test into the task table.
struct ChosenTestLoad final
{
    std::optional<Failure> failure;  // a test-data failure: the program ends with its message
    std::optional<QString> refusal;  // the run could not show this test: why, for the pupil
};

// Unscrambles the test at `nativeTestPath` (a regular file, named by the
// system's bytes) into a temporary copy, loads the copy and deletes it
// again on every path, failure included. The copy is made beside the test,
// named by copyName(), with the next number while other programs hold that
// name; when the test's folder cannot take it (a read-only installation, a
// full disk) it goes to the private folder instead. Messages name the
// test's path + ".tmp" wherever the copy went. A test the run cannot show —
// no task at all, or a task of more than MaxStepsPerTask steps — is
// refused with a message naming the test (`title`) and the task. `Tasks`
// is replaced only by a test the run can show.
ChosenTestLoad loadChosenTest(const QByteArray &nativeTestPath, const QString &title, TaskTable &Tasks);

} // namespace velmora
