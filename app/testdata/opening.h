#pragma once

#include "platform/core/failure.h"
#include "testdata/scramble.h"
#include "testdata/tasktable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

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

// The whole road of a chosen test: ScrambleFile reads `stored` from where
// it stands, block by block, and writes the plain copy at `copy` (or where
// `elsewhere` says); a test larger than the loader ever takes
// (MaxTableBytes) is failure 7 before a byte of it is read and before any
// copy exists. LoadTest then loads the copy where it lies, mapped (read
// back whole where the system cannot map it), and the test is judged: a
// test without a task, or with a task of more than MaxStepsPerTask steps,
// is refused, named by `title` (by its own title line when none is given).
// The copy is removed again on every path, failure included; the tasks
// keep its mapping. Failures name `copy.shownPath`.
TestOpening openStoredTest(QIODevice &stored, const QByteArray &nativeStoredPath, const CopyPlace &copy,
                           const CopyFallback &elsewhere = {}, const std::optional<QString> &title = {});

// The same for stored bytes held in memory, unscrambled and loaded in
// place, no copy written; failures name `testPath` + ".tmp" as the
// program's would.
TestOpening openStoredBytes(QByteArray &&stored, const QString &testPath, const std::optional<QString> &title = {});

} // namespace velmora
