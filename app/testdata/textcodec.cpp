#include "testdata/textcodec.h"

#include "testdata/linereader.h"

#include <array>
#include <cstring>
#include <optional>

namespace velmora {
namespace {

// The upper half of Windows-1251 below А (0x80..0xBF), written out: Qt for
// Windows has no ICU and so no codec by that name, and the loader decodes
// hundreds of thousands of short lines, where a codec call per line would
// cost more than the line itself. 0x98, unassigned, stands for U+0098.
constexpr std::array<char16_t, 64> Windows1251Upper = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// А..я (0xC0..0xFF) lie in one run of Unicode, U+0410..U+044F.
constexpr int CyrillicOffset = 0x410 - 0xC0;

// The Windows-1251 byte of `c`, if it has one.
std::optional<char> toWindows1251(char16_t c)
{
    if (c < 0x80)
        return char(c);
    if (c >= 0x410 && c <= 0x44F)
        return char(c - CyrillicOffset);
    for (std::size_t i = 0; i < Windows1251Upper.size(); ++i)
        if (Windows1251Upper[i] == c)
            return char(0x80 + i);
    return std::nullopt;
}

bool hasNonAscii(QByteArrayView bytes)
{
    const char *p = bytes.data();
    qsizetype n = bytes.size();
    while (n >= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return true;
        p += 8;
        n -= 8;
    }
    while (n-- > 0)
        if (uchar(*p++) & 0x80)
            return true;
    return false;
}

QString fromWindows1251(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    // А..я (0xC0..0xFF) lie in one run of Unicode: the common case needs no
    // table and vectorises; the rest of the upper half is looked up.
    // (Two simple loops: each vectorises, one loop doing both does not.)
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = char16_t(in[i] >= 0xC0 ? in[i] + CyrillicOffset : in[i]);
    uchar others = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        others |= uchar((in[i] & 0xC0) == 0x80);
    if (others) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if ((in[i] & 0xC0) == 0x80)
                out[i] = Windows1251Upper[in[i] - 0x80];
    }
    return text;
}

constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF", 3);

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

} // namespace

LineEncoding lineEncoding(QByteArrayView line)
{
    if (!hasNonAscii(line))
        return LineEncoding::Ascii;
    // Qt's check is strict: no overlong forms, no surrogates, nothing
    // above U+10FFFF.
    return line.isValidUtf8() ? LineEncoding::Utf8 : LineEncoding::Windows1251;
}

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

QString decodeLine(QByteArrayView bytes)
{
    if (lineEncoding(bytes) == LineEncoding::Utf8)
        return QString::fromUtf8(bytes);
    return fromWindows1251(bytes);
}

QString decodeText(QByteArrayView bytes)
{
    if (std::optional<QString> wide = decodeUtf16Text(bytes))
        return *std::move(wide);
    while (bytes.startsWith(Utf8Bom))
        bytes = bytes.sliced(Utf8Bom.size());
    if (bytes.isValidUtf8()) // then so is every line of it
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype start = 0;;) {
        const LineSpan line = lineAt(bytes, start, LineEnds::Editor);
        text += decodeLine(bytes.sliced(line.start, line.size));
        if (line.terminator == 0)
            return text;
        text += QLatin1StringView(bytes.sliced(line.end(), line.terminator));
        start = line.next();
    }
}

QByteArray encodeText(const QString &text)
{
    QByteArray narrow(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<char> byte = toWindows1251(text.at(i).unicode());
        if (!byte)
            return text.toUtf8();
        narrow[i] = *byte;
    }
    // Every line must read back as written: a Windows-1251 line that
    // happens to be valid UTF-8 would be read as UTF-8.
    for (qsizetype start = 0; start <= narrow.size();) {
        const LineSpan line = lineAt(QByteArrayView(narrow), start);
        if (lineEncoding(QByteArrayView(narrow).sliced(line.start, line.size)) == LineEncoding::Utf8)
            return text.toUtf8();
        start = line.end() + 1;
    }
    return narrow;
}

} // namespace velmora
