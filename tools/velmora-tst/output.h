#pragma once

#include "platform/core/failure.h"
#include "testdata/checker.h"
#include "testdata/tasktable.h"

#include <QList>
#include <QString>

namespace velmora::tool {

// The tool's exit status: 0 done, 1 a failure in a file or a finding, 2 a
// wrong command line.
enum ExitStatus { Success = 0, Failed = 1, UsageError = 2 };

// The tool's own name, as its messages begin.
inline const QString Program = QStringLiteral("velmora-tst");

// The program's message for `failure` on the error stream: Failed.
int failed(const Failure &failure);

// `findings` of the file `path`, one a line ("path:line: message"), in the
// order the teacher reads them.
QString findingsReport(const QString &path, QList<Finding> findings);

// How `load` and `show` print a test: its title and tasks as text, as JSON
// ({"title": "…", "tasks": [["условие", "шаг 1", …], …]}) or as counts.
enum class TestFormat { Text, Json, Counts };
void printTest(const QString &title, const TaskTable &Tasks, TestFormat format);

} // namespace velmora::tool
