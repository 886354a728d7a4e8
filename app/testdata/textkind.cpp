// What a file given as a teacher's text is when it is none: a word
// processor's document, told by its signature, or a test already scrambled.
#include "testdata/teachertext.h"

#include "testdata/scramble.h"

#include <algorithm>
#include <string_view>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

// Bytes that tell what a file is, and its name for the teacher.
struct Signature final
{
    QByteArrayView bytes;
    std::u16string_view kind;
};

// How a document's file begins. A ZIP archive is named by what it holds.
constexpr QByteArrayView Zip("PK\x03\x04");
constexpr Signature Beginnings[] = {
    {"{\\rtf", u"документ RTF (.rtf)"},
    {"%PDF-", u"документ PDF (.pdf)"},
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", u"документ Microsoft Office 97–2003 (.doc)"},
    {Zip, u"архив ZIP"},
};
// The names inside the ZIP archive of today's office documents.
constexpr Signature ZipContents[] = {
    {"word/", u"документ Word (.docx)"},
    {"application/vnd.oasis.opendocument.text", u"документ OpenDocument (.odt)"},
    {"application/vnd.oasis.opendocument", u"документ OpenDocument"},
};

// A word processor's document (or an archive), by its signature.
std::optional<QString> documentKind(QByteArrayView bytes)
{
    const auto kindOf = [](const Signature &signature) {
        return QString::fromUtf16(signature.kind.data(), qsizetype(signature.kind.size()));
    };
    const auto begins = std::find_if(std::begin(Beginnings), std::end(Beginnings),
                                     [bytes](const Signature &s) { return bytes.startsWith(s.bytes); });
    if (begins == std::end(Beginnings))
        return std::nullopt;
    if (begins->bytes == Zip) {
        const auto holds = std::find_if(std::begin(ZipContents), std::end(ZipContents),
                                        [bytes](const Signature &s) { return bytes.contains(s.bytes); });
        if (holds != std::end(ZipContents))
            return kindOf(*holds);
    }
    return kindOf(*begins);
}

// A test already scrambled: the title line plain, the rest complemented
// and one byte more, the complement of the byte before it. Its body holds
// the complemented CR LF of every line end, and ends with the last one.
bool isScrambledTest(QByteArrayView bytes)
{
    const std::optional<qsizetype> title = titleEnd(bytes);
    const qsizetype size = bytes.size();
    if (!title || size <= *title || quint8(bytes.at(size - 1)) != quint8(~bytes.at(size - 2)))
        return false;
    const QByteArrayView body = bytes.sliced(*title, size - 1 - *title);
    if (body.isEmpty())
        return true; // a title alone, and the byte added after its LF
    constexpr QByteArrayView ScrambledCrLf("\xF2\xF5", 2);
    if (!body.endsWith(ScrambledCrLf))
        return false;
    qsizetype plain = 0;
    qsizetype scrambled = 0;
    for (qsizetype i = 0; i + 1 < body.size(); ++i) {
        plain += body.at(i) == '\r' && body.at(i + 1) == '\n';
        scrambled += body.sliced(i, 2) == ScrambledCrLf;
    }
    return scrambled > plain;
}

} // namespace

std::optional<Finding> TeacherText::notTextFinding(QByteArrayView bytes)
{
    if (const std::optional<QString> kind = documentKind(bytes)) {
        return Finding{0,
                       u"Файл — это не текст, а %1: программа приняла бы его служебные знаки за задания. Сохраните "
                       "его в редакторе как обычный текст (.txt) и зашифруйте этот текст."_s.arg(*kind),
                       true};
    }
    if (isScrambledTest(bytes)) {
        return Finding{0,
                       u"Файл — это уже тест (зашифрованный файл .tst), а не текст: зашифрованный ещё раз, он покажет "
                       "ученикам вместо заданий непонятные знаки. Выберите текст, из которого сделан тест."_s,
                       true};
    }
    return std::nullopt;
}

} // namespace velmora
