#pragma once

#include "platform/core/failure.h"
#include "testdata/tasktable.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace velmora {

// The most steps a task may have: the list shows at most that many lines.
inline constexpr int MaxStepsPerTask = 20;

// What the program makes of a test a pupil chooses. The one judgement
// shared by the selection window (through TemporaryCopy) and the teacher's
// tool, so that the tool predicts the program exactly.
struct TestOpening final
{
    std::optional<Failure> failure; // a test-data failure: the program ends with its message
    std::optional<QString> refusal; // the run cannot show this test: why, for the pupil
    TaskTable tasks;                // the test's tasks, when it opens
    QString title;                  // the title line as the loader read it

    bool opens() const { return !failure && !refusal; }
    // What the program shows when the test does not open (Russian).
    QString message() const;

    // The plain copy of a test loaded where it lies (raw data `holder` keeps, such as the copy's
    // mapping) and judged: a test without a task, or with a task of more than MaxStepsPerTask
    // steps, is refused, named by `title` (its own title line when none is given). Failures
    // name `shownCopy`, as the program's do.
    static TestOpening ofPlainCopy(QByteArray &&plain, const QString &shownCopy, const std::optional<QString> &title,
                                   std::shared_ptr<const void> holder = {});

    // The same for a stored test held in memory, unscrambled and loaded in place, no copy
    // written; failures name the copy the program would write for the test at `testPath`.
    static TestOpening ofStoredBytes(QByteArray &&stored, const QString &testPath,
                                     const std::optional<QString> &title = {});
};

} // namespace velmora
