#pragma once

#include "platform/core/failure.h"
#include "testdata/checker.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace velmora {

// Asked before a test whose first problem blocks is written, with the
// problems: whether to write it all the same. None given: it is written.
using WriteAnyway = std::function<bool(const QList<Finding> &problems)>;

// A teacher's text, as the authoring path and the checker take it: what the
// file is, and the text brought to the stored form. Decoded in
// teachertext.cpp, told from a document in textkind.cpp, written as a test
// along the authoring path in authoring.cpp.
class TeacherText final
{
public:
    TeacherText() = default;

    // A text as today's editors save it (UTF-8 with or without a byte order mark, Windows-1251,
    // lines of both, UTF-16; LF, CR LF or CR line ends; trailing empty lines) brought to the form
    // the loader reads: each line decoded as the loader decodes it, CR LF line ends, Windows-1251
    // when every character fits it, else UTF-8, one CR LF after the last non-empty line.
    explicit TeacherText(QByteArrayView bytes);

    // The text a stored test was written from: its bytes unscrambled, less the two bytes that
    // unscrambling appends, kept as they are. nullopt where ScrambleFile fails
    // (FailureNumber::InputPastEnd: no CR LF pair ends the title in time).
    static std::optional<TeacherText> ofStoredTest(QByteArrayView stored);

    // Reads the text from an open `source`, no more than a teacher's text ever is (a device without
    // end does not fill the memory). Failures name `sourcePath`: the device's, or
    // FailureNumber::OutOfMemory for more than 256 MiB.
    std::optional<Failure> read(QFileDevice &source, const QString &sourcePath);

    // ScrambleFile of the stored form into `destinationPath` (writeScrambledFile, guarded against
    // `sourcePath`). `problems` gets what the teacher should hear, the blocking one first; a test
    // that blocks is written only when `writeAnyway` says so, asked before anything is written.
    std::optional<Failure> writeTest(const QString &sourcePath, const QString &destinationPath,
                                     QList<Finding> *problems = nullptr, const WriteAnyway &writeAnyway = {}) const;

    const QByteArray &storedForm() const { return m_storedForm; } // empty: no non-empty line
    // The file is no text: a word processor's document (Word, OpenDocument, RTF and the like) or
    // a test already scrambled. One finding for the whole file, which blocks.
    const std::optional<Finding> &notText() const { return m_notText; }
    // The lines (numbered as an editor numbers them) in another 8-bit encoding than the rest,
    // UTF-8 among Windows-1251 or the other way round.
    const QList<Finding> &mixedEncodings() const { return m_mixedEncodings; }

private:
    static std::optional<Finding> notTextFinding(QByteArrayView bytes); // testdata/textkind.cpp

    QByteArray m_storedForm;
    std::optional<Finding> m_notText;
    QList<Finding> m_mixedEncodings;
};

} // namespace velmora
