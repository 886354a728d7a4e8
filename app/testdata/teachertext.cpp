#include "testdata/teachertext.h"

#include "testdata/lines.h"
#include "testdata/scramble.h"
#include "testdata/textcodec.h"

#include <QStringList>

namespace velmora {
namespace {

// No teacher's text comes near this; a device without end must not fill
// the memory.
constexpr qint64 MaxTeacherText = 256 * 1024 * 1024;

constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF", 3);

// `bytes` past the UTF-8 byte order mark they begin with, or the run of
// them an editor that adds one on every save leaves.
QByteArrayView withoutUtf8Boms(QByteArrayView bytes)
{
    while (bytes.startsWith(Utf8Bom))
        bytes = bytes.sliced(Utf8Bom.size());
    return bytes;
}

struct WideText final
{
    QString text;
    bool hasLineEnd = false;
};

// `bytes` read in pairs; nullopt when they are no UTF-16 text: an odd
// count, a NUL character or a surrogate out of its pair.
std::optional<WideText> readPairs(QByteArrayView bytes, bool littleEndian)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    WideText wide;
    wide.text = QString(bytes.size() / 2, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(wide.text.data());
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i < wide.text.size(); ++i) {
        const uchar first = in[2 * i];
        const uchar second = in[2 * i + 1];
        const char16_t c = littleEndian ? char16_t(first | second << 8) : char16_t(first << 8 | second);
        if (c == 0)
            return std::nullopt;
        wide.hasLineEnd = wide.hasLineEnd || c == u'\r' || c == u'\n';
        out[i] = c;
    }
    if (!wide.text.isValidUtf16())
        return std::nullopt;
    return wide;
}

// A text saved as UTF-16 (Notepad's "Unicode", little or big endian):
// recognised by its byte order mark, or without one by NUL bytes that turn
// into line ends when read in pairs. The text without the mark; nullopt
// for an 8-bit text.
std::optional<QString> decodeUtf16Text(QByteArrayView bytes)
{
    // UTF-16 pairs each byte of a line end with a NUL ("\r\0\n\0"), so its
    // bytes never hold a CR LF of their own. Bytes that do are 8-bit text
    // (a stored form among them), whatever marks or stray NULs they hold.
    if (bytes.contains("\r\n"))
        return std::nullopt;
    const bool hasByteLineEnd = bytes.contains('\r') || bytes.contains('\n');
    for (const bool littleEndian : {true, false}) {
        const QByteArrayView mark = littleEndian ? QByteArrayView("\xFF\xFE", 2) : QByteArrayView("\xFE\xFF", 2);
        if (!bytes.startsWith(mark))
            continue;
        // An 8-bit text that merely begins with "яю" has its line ends out
        // of step with the pairs.
        std::optional<WideText> wide = readPairs(bytes.sliced(2), littleEndian);
        if (wide && (wide->hasLineEnd || !hasByteLineEnd))
            return std::move(wide->text);
        return std::nullopt;
    }
    // No 8-bit test holds a NUL byte; ASCII in UTF-16 holds one in every pair.
    if (!bytes.contains('\0'))
        return std::nullopt;
    for (const bool littleEndian : {true, false}) {
        std::optional<WideText> wide = readPairs(bytes, littleEndian);
        if (wide && wide->hasLineEnd)
            return std::move(wide->text);
    }
    return std::nullopt;
}

// A whole text: UTF-16 as above; otherwise a UTF-8 byte order mark (or a
// run of them) is dropped and every line (ended by CR, LF or CR LF) is read
// as the loader reads it, so that a line pasted in from a file in the other
// encoding keeps its own.
QString decodeText(QByteArrayView bytes)
{
    if (std::optional<QString> wide = decodeUtf16Text(bytes))
        return *std::move(wide);
    bytes = withoutUtf8Boms(bytes);
    if (bytes.isValidUtf8()) // then so is every line of it
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype start = 0;;) {
        const LineSpan line = LineSpan::at(bytes, start, LineEnds::Editor);
        text += decodeLine(bytes.sliced(line.start, line.size));
        if (line.terminator == 0)
            return text;
        text += QLatin1StringView(bytes.sliced(line.end(), line.terminator));
        start = line.next();
    }
}

// The stored form's encoding of a whole text: Windows-1251 when every
// character has a place in it and every line of the result reads back the
// same (a Windows-1251 line can happen to be valid UTF-8), else UTF-8
// without a byte order mark.
QByteArray encodeText(const QString &text)
{
    const std::optional<QByteArray> narrow = toWindows1251(text);
    if (!narrow)
        return text.toUtf8();
    for (qsizetype start = 0; start <= narrow->size();) {
        const LineSpan line = LineSpan::at(QByteArrayView(*narrow), start);
        if (lineEncoding(QByteArrayView(*narrow).sliced(line.start, line.size)) == LineEncoding::Utf8)
            return text.toUtf8();
        start = line.end() + 1;
    }
    return *narrow;
}

QByteArray toStoredForm(QByteArrayView teacherText)
{
    const QString text = decodeText(teacherText);
    QStringList lines;
    for (qsizetype start = 0; start < text.size();) {
        const LineSpan line = LineSpan::at(QStringView(text), start, LineEnds::Editor);
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

QString encodingName(LineEncoding encoding)
{
    return encoding == LineEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1251");
}

// The lines of a text in another 8-bit encoding than most of it.
QList<Finding> mixedEncodingFindings(QByteArrayView text)
{
    // A UTF-16 text is one encoding throughout.
    if (decodeUtf16Text(text))
        return {};
    text = withoutUtf8Boms(text);
    struct EncodedLine final
    {
        int number = 0;
        LineEncoding encoding = LineEncoding::Ascii;
    };
    QList<EncodedLine> lines; // those that are not ASCII alone
    qsizetype utf8 = 0;
    int number = 1;
    for (qsizetype start = 0;; ++number) {
        const LineSpan line = LineSpan::at(text, start, LineEnds::Editor);
        const LineEncoding encoding = lineEncoding(text.sliced(line.start, line.size));
        if (encoding != LineEncoding::Ascii) {
            lines.append({number, encoding});
            utf8 += encoding == LineEncoding::Utf8 ? 1 : 0;
        }
        if (line.terminator == 0)
            break;
        start = line.next();
    }
    const qsizetype cp1251 = lines.size() - utf8;
    if (utf8 == 0 || cp1251 == 0)
        return {};
    // The rest is what most lines are; on a tie, what the first one is.
    const LineEncoding usual = utf8 > cp1251   ? LineEncoding::Utf8
                               : cp1251 > utf8 ? LineEncoding::Windows1251
                                               : lines.constFirst().encoding;
    QList<Finding> findings;
    for (const EncodedLine &line : std::as_const(lines)) {
        if (line.encoding == usual)
            continue;
        findings.append({line.number,
                         QStringLiteral("Строка в кодировке %1, а остальной текст — в %2: программа прочтёт каждую "
                                        "строку в её кодировке, но проверьте, что эта строка видна правильно, и "
                                        "сохраните текст в одной кодировке.")
                             .arg(encodingName(line.encoding), encodingName(usual))});
    }
    return findings;
}

} // namespace

TeacherText::TeacherText(QByteArrayView bytes)
    : m_storedForm(toStoredForm(bytes))
    , m_notText(notTextFinding(bytes))
    , m_mixedEncodings(mixedEncodingFindings(bytes))
{
}

std::optional<TeacherText> TeacherText::ofStoredTest(QByteArrayView stored)
{
    QByteArray plain = scrambleBytes(stored.toByteArray());
    if (plain.isEmpty())
        return std::nullopt;
    plain.chop(qMin<qsizetype>(2, plain.size() - *titleEnd(plain)));
    TeacherText text;
    text.m_mixedEncodings = mixedEncodingFindings(plain);
    text.m_storedForm = std::move(plain);
    return text;
}

std::optional<Failure> TeacherText::read(QFileDevice &source, const QString &sourcePath)
{
    const QByteArray bytes = source.read(MaxTeacherText + 1);
    if (source.error() != QFileDevice::NoError)
        return fileFailure(source, sourcePath);
    if (bytes.size() > MaxTeacherText)
        return Failure::of(FailureNumber::OutOfMemory, sourcePath);
    *this = TeacherText(bytes);
    return std::nullopt;
}

} // namespace velmora
