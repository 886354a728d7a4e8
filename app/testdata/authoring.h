#pragma once

#include "platform/core/failure.h"
#include "testdata/checker.h"

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// Brings a teacher's text as today's editors save it (UTF-8 with or without
// a byte order mark, Windows-1251, lines of both mixed, or UTF-16; LF, CR LF
// or CR line ends; trailing empty lines) to the form the loader reads: each
// line decoded as the loader decodes it, CR LF line ends, Windows-1251
// when every character fits in it, else UTF-8 without a byte order mark,
// and exactly one CR LF after the last non-empty line. Nothing else in the
// text changes. A text with no non-empty line becomes empty.
QByteArray toStoredForm(QByteArrayView teacherText);

// Reads a teacher's text for authoring from an open `source` (bounded: a
// device without end does not fill the memory) and brings it to the stored
// form. Failures name `sourcePath`.
std::optional<Failure> readTeacherText(QFileDevice &source, const QString &sourcePath, QByteArray &storedForm);

// Why the program cannot open the test scrambled from `storedForm` and
// written to `destinationPath`: the checker's findings (the ones that stop
// the program first), each with its line in the teacher's text; empty when
// the program opens it.
QList<Finding> openingProblems(const QByteArray &storedForm, const QString &destinationPath);

// What to do with a text the program cannot open as a test.
enum class UnopenableTest { Write, Refuse };

// The authoring path: reads `sourcePath`, brings it to the stored form and
// scrambles it into `destinationPath` exactly as ScrambleFile does (same
// routine, same failures; the damaged-file failure names the destination).
// `problems` (optional) receives openingProblems of what was (or, refused,
// would have been) written, the blocking one first; with
// UnopenableTest::Refuse such a test is not written at all. A test that
// opens is always written; `problems` then holds its blankLineFindings
// (none blocks opening).
std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath,
                                  QList<Finding> *problems = nullptr, UnopenableTest unopenable = UnopenableTest::Write);

// The same from a text already read and brought to the stored form;
// `sourcePath` (may be empty) guards against writing over the text.
std::optional<Failure> authorStoredForm(QByteArray storedForm, const QString &sourcePath, const QString &destinationPath,
                                        QList<Finding> *problems = nullptr,
                                        UnopenableTest unopenable = UnopenableTest::Write);

} // namespace velmora
