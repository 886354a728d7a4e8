#pragma once

#include "platform/core/failure.h"
#include "testdata/tasktable.h"

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

// Judges the unscrambled copy of a test (a seekable device at its start):
// loads it into a table of its own and refuses a test without a task or
// with a task of more than MaxStepsPerTask steps, naming the test by
// `title` (by its own title line when none is given). Failures name
// `copyPath`.
TestOpening openUnscrambled(QIODevice &copy, const QString &copyPath, const std::optional<QString> &title = {});

// The whole road of a chosen test: unscrambles `stored` (read once, from
// where it stands) into a copy created afresh at `copyPath`, judges the
// copy and removes it again on every path, failure included (the failure
// still names it). `storedPath` guards against writing over the test.
TestOpening openStoredTest(QIODevice &stored, const QString &storedPath, const QString &copyPath,
                           const std::optional<QString> &title = {});

// The same for stored bytes held in memory; failures name `testPath` +
// ".tmp" as the program's would.
TestOpening openStoredBytes(QByteArrayView stored, const QString &testPath, const std::optional<QString> &title = {});
// The same on bytes the opening may take over (unscrambled and loaded in place).
TestOpening openStoredBytes(QByteArray &&stored, const QString &testPath, const std::optional<QString> &title = {});

} // namespace velmora
