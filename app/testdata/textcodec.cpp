#include "testdata/textcodec.h"

#include "testdata/linereader.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstring>

namespace velmora {
namespace {

// Windows-1251 as a table of 256 characters, taken once from Qt's decoder:
// the loader decodes hundreds of thousands of short lines, and a decoder
// call per line costs more than the line itself.
const std::array<char16_t, 256> &windows1251Table()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 0x80; ++b)
            t[std::size_t(b)] = char16_t(b);
        QStringDecoder decoder("windows-1251");
        for (int b = 0x80; b < 0x100; ++b) {
            const char byte = char(b);
            const QString c = decoder.decode(QByteArrayView(&byte, 1));
            t[std::size_t(b)] = (decoder.isValid() && c.size() == 1) ? c.at(0).unicode() : char16_t(0xFFFD);
        }
        return t;
    }();
    return table;
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
    const auto &table = windows1251Table();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    // А..я (0xC0..0xFF) lie in one run of Unicode: the common case needs no
    // table and vectorises; the rest of the upper half is looked up.
    // (Two simple loops: each vectorises, one loop doing both does not.)
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = char16_t(in[i] >= 0xC0 ? in[i] + 0x350 : in[i]);
    uchar others = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        others |= uchar((in[i] & 0xC0) == 0x80);
    if (others) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if ((in[i] & 0xC0) == 0x80)
                out[i] = table[in[i]];
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
    QStringEncoder encoder("windows-1251");
    if (encoder.isValid()) {
        const QByteArray narrow = encoder.encode(text);
        if (!encoder.hasError()) {
            // Every line must read back as written: a Windows-1251 line that
            // happens to be valid UTF-8 would be read as UTF-8.
            bool readsBack = true;
            for (qsizetype start = 0; readsBack && start <= narrow.size();) {
                const LineSpan line = lineAt(QByteArrayView(narrow), start);
                readsBack = lineEncoding(QByteArrayView(narrow).sliced(line.start, line.size)) != LineEncoding::Utf8;
                start = line.end() + 1;
            }
            if (readsBack)
                return narrow;
        }
    }
    return text.toUtf8();
}

} // namespace velmora
