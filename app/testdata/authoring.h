#pragma once

#include "platform/core/failure.h"
#include "testdata/checker.h"

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <functional>
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

// A teacher's file as read for authoring.
struct TeacherText final
{
    QByteArray storedForm;          // the text brought to the stored form
    std::optional<Finding> notText; // the file is none: a document, a test already scrambled
};

// Reads a teacher's text for authoring from an open `source` (bounded: a
// device without end does not fill the memory), tells what it is when it is
// no text, and brings it to the stored form. Failures name `sourcePath`.
std::optional<Failure> readTeacherText(QFileDevice &source, const QString &sourcePath, TeacherText &text);

// What the teacher should hear of the test scrambled from `storedForm` and
// written to `destinationPath`: the checker's findings, each with its line
// in the teacher's text, the blocking ones first; when the program cannot
// open the test and the checker names nothing that blocks, the program's
// own words first. Empty when the test loads as written.
QList<Finding> authoringProblems(const QByteArray &storedForm, const QString &destinationPath);

// Asked before a test whose first problem blocks is written, with the
// problems: whether to write it all the same. None given: it is written.
using WriteAnyway = std::function<bool(const QList<Finding> &problems)>;

// The authoring path: reads `sourcePath`, brings it to the stored form and
// scrambles it into `destinationPath` exactly as ScrambleFile does (same
// routine, same failures; the damaged-file failure names the destination).
// `problems` (optional) receives the problems of the test (for a file that
// is no text, that one alone), the blocking one first. A test that blocks
// is written only when `writeAnyway` says so, asked before anything is
// written; any other test is written, its problems told as warnings.
std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath,
                                  QList<Finding> *problems = nullptr, const WriteAnyway &writeAnyway = {});

// The same from a file already read; `sourcePath` (may be empty) guards
// against writing over the text.
std::optional<Failure> authorText(const TeacherText &text, const QString &sourcePath, const QString &destinationPath,
                                  QList<Finding> *problems = nullptr, const WriteAnyway &writeAnyway = {});

} // namespace velmora
