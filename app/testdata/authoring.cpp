#include "testdata/authoring.h"

#include "testdata/scramble.h"
#include "testdata/textcodec.h"

#include <QBuffer>
#include <QFile>

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
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return {};
    const QString crLf = QStringLiteral("\r\n");
    return encodeText(lines.join(crLf) + crLf);
}

std::optional<Failure> AuthorTest(const QString &sourcePath, const QString &destinationPath)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fileFailure(source, sourcePath);
    const QByteArray text = source.read(MaxTeacherText + 1);
    if (source.error() != QFileDevice::NoError)
        return fileFailure(source, sourcePath);
    if (text.size() > MaxTeacherText)
        return Failure::of(FailureNumber::OutOfMemory, sourcePath);
    source.close();

    QByteArray stored = toStoredForm(text);
    QBuffer plain(&stored);
    plain.open(QIODevice::ReadOnly);
    return scrambleToFile(plain, destinationPath, sourcePath);
}

} // namespace velmora
