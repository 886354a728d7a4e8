#include "testdata/scramble.h"

#include "testdata/lines.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

namespace velmora {
namespace {

// The title's CR LF pair ends no later than this.
constexpr qsizetype TitleEndLimit = TitleLimit + 2;

// How much to ask a device for at once: a megabyte, less for a small file.
qint64 readSize(const QIODevice &device)
{
    constexpr qint64 Largest = 1024 * 1024;
    constexpr qint64 Smallest = 64 * 1024;
    if (device.isSequential())
        return Largest;
    return qBound(Smallest, device.bytesAvailable() + 1, Largest);
}

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

// The output names the input itself (a link to it too: a given output is
// written through links): writing would destroy what is being read.
bool namesInput(const QString &inputPath, const QString &outputPath)
{
    if (inputPath.isEmpty())
        return false;
    const QFileInfo output(outputPath);
    return output.exists() && QFileInfo(inputPath).canonicalFilePath() == output.canonicalFilePath();
}

// Where the title ends, when a CR LF pair ends it within the limit.
std::optional<qsizetype> limitedTitleEnd(QByteArrayView bytes)
{
    return titleEnd(bytes.first(qMin(bytes.size(), TitleEndLimit)));
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

// Reads `in` until the title's CR LF pair has been read, into `head`
// (with whatever else that read brought), and where the title ends into
// `title`. Failure paths are left empty.
std::optional<Failure> readHead(QIODevice &in, QByteArray &head, qsizetype &title)
{
    const qint64 block = readSize(in);
    head.clear();
    for (;;) {
        if (const std::optional<qsizetype> end = limitedTitleEnd(head)) {
            title = *end;
            return std::nullopt;
        }
        if (head.size() >= TitleEndLimit)
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
// head's own buffer. Failure paths are left empty.
std::optional<Failure> writeScrambled(QByteArray &head, qsizetype title, QIODevice &in, QIODevice &out, qint64 limit)
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

} // namespace

std::optional<Failure> ScrambleFile(QIODevice &in, QIODevice &out, qint64 limit)
{
    QByteArray buffer;
    qsizetype title = 0;
    if (std::optional<Failure> failure = readHead(in, buffer, title))
        return failure;
    return writeScrambled(buffer, title, in, out, limit);
}

std::optional<Failure> writeScrambledFile(QIODevice &in, const QString &outputPath, const QString &inputPath)
{
    // Only a file is ever replaced: a folder, a device or a pipe named as
    // the output is refused and left alone.
    const QFileInfo output(outputPath);
    if (namesInput(inputPath, outputPath) || (output.exists() && !output.isFile()))
        return Failure::of(FailureNumber::PathFileAccessError, outputPath);
    // Written beside the output and renamed over it when complete: the file
    // that stood there stays whole until then.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly))
        return fileFailure(out, outputPath, FileAccess::Write);
    std::optional<Failure> failure = ScrambleFile(in, out);
    if (!failure && !out.commit())
        failure = fileFailure(out, outputPath, FileAccess::Write);
    if (failure) {
        out.cancelWriting();
        failure->path = outputPath;
    }
    return failure;
}

QByteArray scrambleBytes(QByteArray bytes)
{
    const std::optional<qsizetype> title = limitedTitleEnd(bytes);
    if (!title)
        return {};
    // Room for the byte more, taken with the one copy a shared array needs
    // anyway; an array of the caller's own grows where it lies.
    bytes.reserve(bytes.size() + 1);
    uchar *const begin = reinterpret_cast<uchar *>(bytes.data());
    complement(begin + *title, begin + bytes.size());
    bytes.append(char(~bytes.back()));
    return bytes;
}

std::optional<qsizetype> titleEnd(QByteArrayView bytes)
{
    const qsizetype pair = bytes.indexOf(QByteArrayView("\r\n", 2));
    if (pair < 0)
        return std::nullopt;
    return pair + 2;
}

bool isTestName(QByteArrayView name)
{
    return name.size() > 4 && qstrnicmp(name.data() + name.size() - 4, ".tst", 4) == 0;
}

} // namespace velmora
