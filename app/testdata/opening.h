#pragma once

#include "platform/core/failure.h"
#include "testdata/tasktable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <functional>
#include <optional>

namespace velmora {

// The most steps a task may have: the list shows at most that many lines.
inline constexpr int MaxStepsPerTask = 20;

// What the program makes of a test a pupil chooses. The one judgement
// shared by the selection window and the teacher's tool, so that the tool
// predicts the program exactly.
struct TestOpening final
{
    std::optional<Failure> failure; // a test-data failure: the program ends with its message
    std::optional<QString> refusal; // the run cannot show this test: why, for the pupil
    TaskTable tasks;                // the test's tasks, when it opens
    QString title;                  // the title line as the loader read it

    bool opens() const { return !failure && !refusal; }
    // What the program shows when the test does not open (Russian).
    QString message() const;
};

// Judges the unscrambled copy of a test (a seekable device at its start):
// loads it into a table of its own and refuses a test without a task or
// with a task of more than MaxStepsPerTask steps, naming the test by
// `title` (by its own title line when none is given). Failures name
// `copyPath`.
TestOpening openUnscrambled(QIODevice &copy, const QString &copyPath, const std::optional<QString> &title = {});

// Where the plain copy of a chosen test is written.
struct CopyPlace final
{
    QByteArray nativePath; // the name as the system has it (bytes, not always text)
    QString shownPath;     // what messages name: the test's path + ".tmp"
};

// Another place for the copy, asked for when the first one's folder takes
// no new file; nullopt when there is none.
using CopyFallback = std::function<std::optional<CopyPlace>()>;

// The whole road of a chosen test: reads `stored` whole, from where it
// stands (a test larger than the loader ever takes, MaxTableBytes, is
// failure 7 before a byte of it is read and before any copy exists),
// unscrambles it in memory, writes the plain copy at `copy` (created
// afresh, readable by its owner alone from its first byte) or, when that
// folder refuses new files (failures 70 and 75), where `elsewhere` says;
// judges the test and removes the copy again on every path, failure
// included. Failures name `copy.shownPath`. A copy that would name the
// test itself (`nativeStoredPath`) is refused (75) before anything is
// written.
TestOpening openStoredTest(QIODevice &stored, const QByteArray &nativeStoredPath, const CopyPlace &copy,
                           const CopyFallback &elsewhere = {}, const std::optional<QString> &title = {});
// The same with paths as text, the copy at `copyPath` alone.
TestOpening openStoredTest(QIODevice &stored, const QString &storedPath, const QString &copyPath,
                           const std::optional<QString> &title = {});

// The same for stored bytes held in memory; failures name `testPath` +
// ".tmp" as the program's would.
TestOpening openStoredBytes(QByteArrayView stored, const QString &testPath, const std::optional<QString> &title = {});
// The same on bytes the opening may take over (unscrambled and loaded in place).
TestOpening openStoredBytes(QByteArray &&stored, const QString &testPath, const std::optional<QString> &title = {});

} // namespace velmora
