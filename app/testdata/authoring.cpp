#include "testdata/authoring.h"

#include "testdata/linereader.h"
#include "testdata/opening.h"
#include "testdata/scramble.h"
#include "testdata/textcodec.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

namespace velmora {
namespace {

// No teacher's text comes near this; a device without end must not fill
// the memory.
constexpr qint64 MaxTeacherText = 256 * 1024 * 1024;

} // namespace

QByteArray toStoredForm(QByteArrayView teacherText)
{
    const QString text = decodeText(teacherText);
    QStringList lines;
    for (qsizetype start = 0; start < text.size();) {
        const LineSpan line = lineAt(QStringView(text), start, LineEnds::Editor);
        lines.append(text.sliced(line.start, line.size));
        start = line.next();
    }
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return {};
    const QString crLf = QStringLiteral("\r\n");
    return encodeText(lines.join(crLf) + crLf);
}

std::optional<Failure> readTeacherText(QFileDevice &source, const QString &sourcePath, TeacherText &text)
{
    const QByteArray bytes = source.read(MaxTeacherText + 1);
    if (source.error() != QFileDevice::NoError)
        return fileFailure(source, sourcePath);
    if (bytes.size() > MaxTeacherText)
        return Failure::of(FailureNumber::OutOfMemory, sourcePath);
    text.notText = notATeachersText(bytes);
    text.storedForm = toStoredForm(bytes);
    return std::nullopt;
}

QList<Finding> authoringProblems(const QByteArray &storedForm, const QString &destinationPath)
{
    QList<Finding> problems = CheckTest(storedForm);
    std::stable_partition(problems.begin(), problems.end(), [](const Finding &f) { return f.blocksOpening; });
    const bool blocks = !problems.isEmpty() && problems.constFirst().blocksOpening;
    if (!blocks) {
        const TestOpening opening = openStoredBytes(scrambleBytes(storedForm), destinationPath);
        if (!opening.opens())
            problems.prepend({0, opening.message(), true});
    }
    return problems;
}

std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath, QList<Finding> *problems,
                                  const WriteAnyway &writeAnyway)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fileFailure(source, sourcePath);
    TeacherText text;
    if (std::optional<Failure> failure = readTeacherText(source, sourcePath, text))
        return failure;
    source.close();
    return authorText(text, sourcePath, destinationPath, problems, writeAnyway);
}

std::optional<Failure> authorText(const TeacherText &text, const QString &sourcePath, const QString &destinationPath,
                                  QList<Finding> *problems, const WriteAnyway &writeAnyway)
{
    // A text without a line end cannot be scrambled at all: that failure
    // is the routine's own, below, and no question comes before it.
    QList<Finding> found;
    if (text.notText)
        found = {*text.notText};
    else if (titleEnd(text.storedForm))
        found = authoringProblems(text.storedForm, destinationPath);
    if (problems)
        *problems = found;
    const bool blocks = !found.isEmpty() && found.constFirst().blocksOpening;
    if (blocks && writeAnyway && !writeAnyway(found))
        return std::nullopt;

    QByteArray stored = text.storedForm;
    QBuffer plain(&stored);
    plain.open(QIODevice::ReadOnly);
    return scrambleToFile(plain, destinationPath, sourcePath);
}

} // namespace velmora
