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

std::optional<Failure> readTeacherText(QFileDevice &source, const QString &sourcePath, QByteArray &storedForm)
{
    const QByteArray text = source.read(MaxTeacherText + 1);
    if (source.error() != QFileDevice::NoError)
        return fileFailure(source, sourcePath);
    if (text.size() > MaxTeacherText)
        return Failure::of(FailureNumber::OutOfMemory, sourcePath);
    storedForm = toStoredForm(text);
    return std::nullopt;
}

QList<Finding> openingProblems(const QByteArray &storedForm, const QString &destinationPath)
{
    const TestOpening opening = openStoredBytes(scrambleBytes(storedForm), destinationPath);
    if (opening.opens())
        return {};
    QList<Finding> problems = CheckTest(storedForm);
    // What stops the program comes first; the program's own words when the
    // checker names nothing.
    std::stable_partition(problems.begin(), problems.end(), [](const Finding &f) { return f.blocksOpening; });
    if (problems.isEmpty() || !problems.constFirst().blocksOpening)
        problems.prepend({0, opening.message(), true});
    return problems;
}

std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath, QList<Finding> *problems,
                                  UnopenableTest unopenable)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fileFailure(source, sourcePath);
    QByteArray stored;
    if (std::optional<Failure> failure = readTeacherText(source, sourcePath, stored))
        return failure;
    source.close();
    return authorStoredForm(stored, sourcePath, destinationPath, problems, unopenable);
}

std::optional<Failure> authorStoredForm(QByteArray stored, const QString &sourcePath, const QString &destinationPath,
                                        QList<Finding> *problems, UnopenableTest unopenable)
{
    // A text without a line end cannot be scrambled at all: that failure
    // is the routine's own, below.
    QList<Finding> found;
    if (titleEnd(stored))
        found = openingProblems(stored, destinationPath);
    // A test that opens is written; a line of blanks where an empty line
    // was meant is still told, since the tasks come out otherwise.
    if (found.isEmpty())
        found = blankLineFindings(stored);
    if (problems)
        *problems = found;
    const bool opens = found.isEmpty() || !found.constFirst().blocksOpening;
    if (!opens && unopenable == UnopenableTest::Refuse)
        return std::nullopt;

    QBuffer plain(&stored);
    plain.open(QIODevice::ReadOnly);
    return scrambleToFile(plain, destinationPath, sourcePath);
}

} // namespace velmora
