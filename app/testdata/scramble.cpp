#include "testdata/scramble.h"

#include "platform/core/nativefiles.h"
#include "testdata/linereader.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>
#include <limits>

namespace velmora {
namespace {

Failure deviceFailure(const QIODevice &device, FileAccess access)
{
    if (const auto *file = qobject_cast<const QFileDevice *>(&device))
        return fileFailure(*file, {}, access);
    return Failure::of(FailureNumber::DeviceIoError);
}

bool writeAll(QIODevice &out, const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 written = out.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// The output names the input itself: writing would destroy what is being
// read. A link to it counts only where links are written through
// (`throughLinks`); elsewhere the link itself is merely removed.
bool namesInput(const QString &inputPath, const QString &outputPath, bool throughLinks)
{
    if (inputPath.isEmpty())
        return false;
    const QFileInfo output(outputPath);
    if ((output.isSymLink() && !throughLinks) || !output.exists())
        return false;
    return QFileInfo(inputPath).canonicalFilePath() == output.canonicalFilePath();
}

// A title longer than any line the loader reads is no title: an input
// without a CR LF pair (a device without end) stops there.
constexpr qint64 TitleLimit = LineReader::DefaultMaxLineLength + 2;

// Creates the temporary copy afresh: whatever stands at the name goes first
// (a link itself, never what it points to); the exclusive create then
// refuses anything planted since.
std::optional<Failure> createCopy(QFile &out, const QString &copyPath, const QString &inputPath)
{
    if (namesInput(inputPath, copyPath, false))
        return Failure::of(FailureNumber::PathFileAccessError, copyPath);
    QFile::remove(copyPath);
    out.setFileName(copyPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return fileFailure(out, copyPath, FileAccess::Write);
    return std::nullopt;
}

// Closes a copy written with `failure` so far; a failed copy is removed.
std::optional<Failure> closeCopy(QFile &out, std::optional<Failure> failure)
{
    out.close();
    if (!failure && out.error() != QFileDevice::NoError)
        failure = fileFailure(out, out.fileName(), FileAccess::Write);
    if (failure) {
        failure->path = out.fileName();
        out.remove();
    }
    return failure;
}

// The folder takes no new file there, or its disk is full: the copy may
// go elsewhere.
bool movesElsewhere(const Failure &failure)
{
    switch (failure.number) {
    case FailureNumber::PermissionDenied:
    case FailureNumber::PathFileAccessError:
    case FailureNumber::FileAlreadyExists:
    case FailureNumber::DiskFull: return true;
    default: return false;
    }
}

// Creates the copy at `place`, or, while other programs hold that name, at
// the next of the place's other names.
std::optional<Failure> createHeldCopy(HeldFile &copy, const CopyPlace &place)
{
    std::optional<Failure> failure = copy.create(place.nativePath, place.shownPath);
    for (int n = 1; failure && failure->number == FailureNumber::FileAlreadyExists && place.otherName; ++n) {
        const QByteArray other = place.otherName(n);
        if (other.isEmpty())
            break;
        failure = copy.create(other, place.shownPath);
    }
    return failure;
}

// Every byte from `begin` to `end` complemented: the stored form's
// transformation. Eight bytes a step, so it runs at memory speed in any
// build, not only where the compiler vectorises the byte loop.
void complement(uchar *begin, uchar *end)
{
    for (; begin + sizeof(quint64) <= end; begin += sizeof(quint64)) {
        quint64 word;
        std::memcpy(&word, begin, sizeof word);
        word = ~word;
        std::memcpy(begin, &word, sizeof word);
    }
    for (; begin < end; ++begin)
        *begin = uchar(~*begin);
}

// The transformation in place: one byte longer on return (reserve it to
// spare a copy). On failure the bytes are unchanged.
std::optional<Failure> scrambleInPlace(QByteArray &bytes)
{
    const std::optional<qsizetype> title = titleEnd(bytes);
    if (!title || *title > TitleLimit)
        return Failure::of(FailureNumber::InputPastEnd);
    uchar *const begin = reinterpret_cast<uchar *>(bytes.data());
    complement(begin + *title, begin + bytes.size());
    bytes.append(char(~bytes.back()));
    return std::nullopt;
}

// Reads `in` until the title's CR LF pair has been read, into `head`
// (with whatever else that read brought), and where the title ends into
// `title`: failure 62 when no pair ends the title within the longest line
// the loader reads. Failure paths are left empty.
std::optional<Failure> readHead(QIODevice &in, QByteArray &head, qsizetype &title)
{
    const qint64 block = readSize(in);
    head.clear();
    for (;;) {
        if (const std::optional<qsizetype> end = titleEnd(head)) {
            if (*end > TitleLimit)
                break;
            title = *end;
            return std::nullopt;
        }
        if (head.size() > TitleLimit)
            break;
        const qsizetype kept = head.size();
        head.resize(kept + qsizetype(block));
        const qint64 got = in.read(head.data() + kept, block);
        head.truncate(kept + qsizetype(qMax<qint64>(got, 0)));
        if (got < 0)
            return deviceFailure(in, FileAccess::Read);
        if (got == 0)
            break;
    }
    return Failure::of(FailureNumber::InputPastEnd);
}

// Writes the transformation of `head` (read by readHead, its title ending
// at `title`) and of the rest of `in` to `out`, block by block through the
// head's own buffer; more than `limit` bytes read in all is failure 7.
// Failure paths are left empty.
std::optional<Failure> writeScrambled(QByteArray &head, qsizetype title, QIODevice &in, QIODevice &out,
                                      qint64 limit = std::numeric_limits<qint64>::max())
{
    auto *data = reinterpret_cast<uchar *>(head.data());
    complement(data + title, data + head.size());
    qint64 size = head.size();
    qint64 read = size;
    const qint64 block = qMax<qint64>(readSize(in), size);
    for (;;) {
        if (read > limit)
            return Failure::of(FailureNumber::OutOfMemory);
        if (!writeAll(out, head.constData(), size))
            return deviceFailure(out, FileAccess::Write);
        const uchar last = data[size - 1];
        head.resize(qsizetype(block));
        data = reinterpret_cast<uchar *>(head.data());
        size = in.read(head.data(), block);
        if (size < 0)
            return deviceFailure(in, FileAccess::Read);
        if (size == 0) {
            // The pass that finds the input's end still writes the byte it
            // holds, complemented once more: stored tests and the loader
            // depend on it.
            const char extra = char(~last);
            if (!writeAll(out, &extra, 1))
                return deviceFailure(out, FileAccess::Write);
            return std::nullopt;
        }
        read += size;
        complement(data, data + size);
    }
}

// The same transformation between two open devices, block by block, for
// inputs of any size. Failure paths are left empty.
std::optional<Failure> scrambleStream(QIODevice &in, QIODevice &out)
{
    QByteArray buffer;
    qsizetype title = 0;
    if (std::optional<Failure> failure = readHead(in, buffer, title))
        return failure;
    return writeScrambled(buffer, title, in, out);
}

} // namespace

std::optional<qsizetype> titleEnd(QByteArrayView bytes)
{
    const qsizetype pair = bytes.indexOf(QByteArrayView("\r\n", 2));
    if (pair < 0)
        return std::nullopt;
    return pair + 2;
}

std::optional<Failure> scrambleToFile(QIODevice &in, const QString &outputPath, const QString &inputPath)
{
    if (namesInput(inputPath, outputPath, true))
        return Failure::of(FailureNumber::PathFileAccessError, outputPath);
    // Only a file is ever replaced: a folder, a device or a pipe named as
    // the output is refused and left alone.
    const QFileInfo output(outputPath);
    if (output.exists() && !output.isFile())
        return Failure::of(FailureNumber::PathFileAccessError, outputPath);
    // Written beside the output and renamed over it when complete: the file
    // that stood there stays whole until then.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly))
        return fileFailure(out, outputPath, FileAccess::Write);
    std::optional<Failure> failure = scrambleStream(in, out);
    if (!failure && !out.commit())
        failure = fileFailure(out, outputPath, FileAccess::Write);
    if (failure) {
        out.cancelWriting();
        failure->path = outputPath;
    }
    return failure;
}

std::optional<Failure> ScrambleFile(QString &path, const std::optional<QString> &outputPath)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fileFailure(in, path);
    const QString inputPath = path;
    if (outputPath) {
        path = *outputPath;
        return scrambleToFile(in, path, inputPath);
    }
    path += QStringLiteral(".tmp");
    QFile out;
    if (std::optional<Failure> failure = createCopy(out, path, inputPath))
        return failure;
    return closeCopy(out, scrambleStream(in, out));
}

ScrambledCopy ScrambleFile(QIODevice &stored, const QByteArray &nativeInputPath, const CopyPlace &copy,
                           const CopyFallback &elsewhere, qint64 limit)
{
    ScrambledCopy result;
    const qint64 start = stored.pos();
    QByteArray buffer;
    qsizetype title = 0;
    result.failure = readHead(stored, buffer, title);
    if (!result.failure && namesSameFile(nativeInputPath, copy.nativePath))
        result.failure = Failure::of(FailureNumber::PathFileAccessError);
    if (!result.failure) {
        auto held = std::make_unique<HeldFile>();
        result.failure = createHeldCopy(*held, copy);
        const bool begun = !result.failure;
        if (begun)
            result.failure = writeScrambled(buffer, title, stored, held->file(), limit);
        if (result.failure && movesElsewhere(*result.failure) && elsewhere) {
            held->remove(); // what a full disk took goes first
            // Once a part is written, the test is read again from its first
            // byte: a file can be, a pipe cannot.
            if (!begun || (!stored.isSequential() && stored.seek(start) && !readHead(stored, buffer, title))) {
                if (const std::optional<CopyPlace> other = elsewhere()) {
                    result.failure = createHeldCopy(*held, *other);
                    if (!result.failure)
                        result.failure = writeScrambled(buffer, title, stored, held->file(), limit);
                }
            }
        }
        if (result.failure) {
            held->remove();
        } else {
            result.writtenPath = held->path();
            result.copy = std::move(held);
        }
    }
    if (result.failure)
        result.failure->path = copy.shownPath;
    return result;
}

QByteArray scrambleBytes(QByteArray bytes)
{
    // Room for the byte more, taken with the one copy a shared array needs
    // anyway; an array of the caller's own grows where it lies.
    bytes.reserve(bytes.size() + 1);
    if (scrambleInPlace(bytes))
        return {};
    return bytes;
}

std::optional<QByteArray> plainTextOfStored(QByteArrayView stored)
{
    QByteArray plain(stored.toByteArray());
    // No CR LF pair, or a title longer than any line the loader reads.
    if (scrambleInPlace(plain))
        return std::nullopt;
    plain.chop(qMin<qsizetype>(2, plain.size() - *titleEnd(plain)));
    return plain;
}

} // namespace velmora
