#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// One thing that would make a test load differently from what the teacher
// wrote, fail in the trainer, or mislead a pupil. `line` counts from 1 (0: the whole file).
struct Finding final
{
    int line = 0;
    QString message; // Russian, for the teacher
    // The test is no use to pupils as it stands: the program cannot open
    // it, or would show them something else than the tasks written (a task
    // without steps swallowing the next one, a document's markup, a test
    // scrambled twice). Such a test is written only when the teacher insists.
    bool blocksOpening = false;
};

// Checks a plain test text (as the teacher wrote it, without the two bytes
// that unscrambling appends). Empty result: the test loads exactly as
// written, and no two steps of a task look alike without being the same.
QList<Finding> CheckTest(QByteArrayView plainText);

// A file given as a teacher's text that is none: a word processor's
// document (Word, OpenDocument, RTF and the like) or a test already
// scrambled. One finding for the whole file, which blocks; nullopt for a
// text.
std::optional<Finding> notATeachersText(QByteArrayView fileBytes);

// The lines of a text (a teacher's, or a stored test's plain text) in
// another 8-bit encoding than the rest of it, UTF-8 among Windows-1251 or
// the other way round, numbered as an editor numbers them.
QList<Finding> mixedEncodingFindings(QByteArrayView text);

} // namespace velmora
