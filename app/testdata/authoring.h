#pragma once

#include "platform/core/failure.h"
#include "testdata/checker.h"
#include "testdata/teachertext.h"

#include <QList>
#include <QString>

namespace velmora {

// AuthorTest, the authoring path: the teacher's text at `sourcePath` read and brought to the stored
// form (TeacherText), then scrambled into `destinationPath` (TeacherText::writeTest, its problems and
// question). FailureNumber::FileNotFound and the other failures of opening the text name `sourcePath`;
// FailureNumber::InputPastEnd, for a text without a line, names `destinationPath`.
std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath,
                                  QList<Finding> *problems = nullptr, const WriteAnyway &writeAnyway = {});

} // namespace velmora
