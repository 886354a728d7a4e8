#include "testdata/textcodec.h"

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
std::optional<char> windows1251Byte(char16_t c)
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

} // namespace

LineEncoding lineEncoding(QByteArrayView line)
{
    if (!hasNonAscii(line))
        return LineEncoding::Ascii;
    // Qt's check is strict: no overlong forms, no surrogates, nothing
    // above U+10FFFF.
    return line.isValidUtf8() ? LineEncoding::Utf8 : LineEncoding::Windows1251;
}

QString decodeLine(QByteArrayView bytes)
{
    if (lineEncoding(bytes) == LineEncoding::Utf8)
        return QString::fromUtf8(bytes);
    return fromWindows1251(bytes);
}

std::optional<QByteArray> toWindows1251(QStringView text)
{
    QByteArray narrow(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<char> byte = windows1251Byte(text.at(i).unicode());
        if (!byte)
            return std::nullopt;
        narrow[i] = *byte;
    }
    return narrow;
}

} // namespace velmora
