#include "velmora-tst/operand.h"

#include "platform/core/largepages.h"
#include "platform/core/nativefiles.h"
#include "testdata/loader.h"

namespace velmora::tool {
namespace {

// The most of a file the tool holds at once; the program's loader holds
// no more either.
constexpr qint64 InputLimit = MaxTableBytes;

// Reads what is left of `device` into `bytes`, at once for a file (the
// buffer sized from the file, with room for `spare` bytes more), blockwise
// for a pipe; stops once more than InputLimit bytes have been read. False
// on a read error.
bool readWhole(QIODevice &device, QByteArray &bytes, qint64 spare)
{
    constexpr qint64 Block = 1024 * 1024;
    bytes.clear();
    if (!device.isSequential()) {
        const qint64 expected = qBound<qint64>(0, device.size() - device.pos(), InputLimit + 1);
        bytes.reserve(qsizetype(expected + spare));
        adviseLargePages(bytes.data(), std::size_t(bytes.capacity()));
        bytes.resize(qsizetype(expected));
        const qint64 got = device.read(bytes.data(), expected);
        if (got < 0)
            return false;
        bytes.truncate(qsizetype(got));
        if (device.atEnd())
            return true;
    }
    // A pipe, or a file that has grown since its size was taken.
    while (bytes.size() <= InputLimit) {
        const qsizetype kept = bytes.size();
        const qint64 want = qMin(Block, InputLimit + 1 - kept);
        bytes.resize(kept + qsizetype(want));
        const qint64 got = device.read(bytes.data() + kept, want);
        bytes.truncate(kept + qsizetype(qMax<qint64>(got, 0)));
        if (got < 0)
            return false;
        if (got == 0)
            break;
    }
    return true;
}

} // namespace

bool Operand::isText() const
{
    return nativePath(name) == native;
}

std::optional<Failure> Operand::open(QFile &file) const
{
    if (!isText())
        return openNativeFile(file, native, name);
    file.setFileName(name);
    if (!file.open(QIODevice::ReadOnly))
        return fileFailure(file, name);
    return std::nullopt;
}

std::optional<Failure> Operand::read(QByteArray &bytes) const
{
    QFile file;
    if (std::optional<Failure> failure = open(file))
        return failure;
    if (!file.isSequential() && file.size() > InputLimit)
        return Failure::of(FailureNumber::OutOfMemory, name);
    // Room for the byte the unscrambling appends: a test is then opened
    // in the same memory.
    if (!readWhole(file, bytes, 1) || file.error() != QFileDevice::NoError)
        return fileFailure(file, name);
    if (bytes.size() > InputLimit)
        return Failure::of(FailureNumber::OutOfMemory, name);
    return std::nullopt;
}

std::optional<Failure> Operand::writable() const
{
    if (isText())
        return std::nullopt;
    return Failure::of(FailureNumber::BadFileName, name);
}

} // namespace velmora::tool
