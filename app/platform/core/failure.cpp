#include "platform/core/failure.h"

#include "platform/core/nativefiles.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#endif

namespace velmora {

QString standardDescription(int number)
{
    switch (number) {
    case FailureNumber::InvalidCall: return QStringLiteral("Invalid procedure call or argument");
    case FailureNumber::Overflow: return QStringLiteral("Overflow");
    case FailureNumber::OutOfMemory: return QStringLiteral("Out of memory");
    case FailureNumber::SubscriptOutOfRange: return QStringLiteral("Subscript out of range");
    case FailureNumber::TypeMismatch: return QStringLiteral("Type mismatch");
    case FailureNumber::BadFileName: return QStringLiteral("Bad file name or number");
    case FailureNumber::FileNotFound: return QStringLiteral("File not found");
    case FailureNumber::DeviceIoError: return QStringLiteral("Device I/O error");
    case FailureNumber::FileAlreadyExists: return QStringLiteral("File already exists");
    case FailureNumber::DiskFull: return QStringLiteral("Disk full");
    case FailureNumber::InputPastEnd: return QStringLiteral("Input past end of file");
    case FailureNumber::PermissionDenied: return QStringLiteral("Permission denied");
    case FailureNumber::PathFileAccessError: return QStringLiteral("Path/File access error");
    case FailureNumber::PathNotFound: return QStringLiteral("Path not found");
    case FailureNumber::NotSupported: return QStringLiteral("Object doesn't support this property or method");
    case FailureNumber::WrongArguments:
        return QStringLiteral("Wrong number of arguments or invalid property assignment");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

FailureError::FailureError(Failure failure)
    : std::runtime_error(failure.description.toStdString())
    , m_failure(std::move(failure))
{
}

int openFailureNumber(OpenRefusal why, FileAccess access)
{
    switch (why) {
    case OpenRefusal::NothingThere:
        return access == FileAccess::Read ? FailureNumber::FileNotFound : FailureNumber::PathNotFound;
    case OpenRefusal::BrokenLink: return FailureNumber::FileNotFound;
    case OpenRefusal::NoFolder: return FailureNumber::PathNotFound;
    case OpenRefusal::Refused: return FailureNumber::PermissionDenied;
    case OpenRefusal::DiskFull: return FailureNumber::DiskFull;
    case OpenRefusal::Other: break;
    }
    return FailureNumber::PathFileAccessError;
}

namespace {

// Why an open failed, told from what the file system shows now: Qt keeps
// the reason only as text.
OpenRefusal refusalAt(const QString &path, FileAccess access)
{
    if (path.isEmpty())
        return OpenRefusal::Other;
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists() || !folder.isDir())
        return OpenRefusal::NoFolder;
    if (info.isDir())
        return OpenRefusal::Other;
    if (access == FileAccess::Read) // a link that leads nowhere names no file
        return info.exists() ? OpenRefusal::Refused : OpenRefusal::NothingThere;
    if (info.exists() || info.isSymLink() || !folder.isWritable())
        return OpenRefusal::Refused;
    return OpenRefusal::Other;
}

// Qt calls only a full disk on Unix a resource error. A write refused by
// the user's disk quota, or by a full disk on Windows, is a plain write
// error that only its text, the system's own, tells apart.
bool noRoomLeft(const QFileDevice &file)
{
#ifdef Q_OS_WIN
    constexpr int QuotaExceeded = 1295; // ERROR_DISK_QUOTA_EXCEEDED, missing from MinGW's headers
#endif
    static constexpr int NoRoom[] = {
#ifdef Q_OS_WIN
        ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, QuotaExceeded,
#else
        ENOSPC,
#ifdef EDQUOT
        EDQUOT,
#endif
#endif
    };
    const QString said = file.errorString();
    return !said.isEmpty()
           && std::any_of(std::begin(NoRoom), std::end(NoRoom), [&said](int code) { return said == qt_error_string(code); });
}

} // namespace

Failure openFailure(const QString &path, FileAccess access)
{
    return Failure::of(openFailureNumber(refusalAt(path, access), access), path);
}

Failure fileFailure(const QFileDevice &file, const QString &path, FileAccess access)
{
    switch (file.error()) {
    case QFileDevice::ResourceError: return Failure::of(FailureNumber::DiskFull, path);
    case QFileDevice::WriteError:
        if (noRoomLeft(file))
            return Failure::of(FailureNumber::DiskFull, path);
        return Failure::of(FailureNumber::DeviceIoError, path);
    case QFileDevice::ReadError: return Failure::of(FailureNumber::DeviceIoError, path);
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError: return openFailure(path, access);
    default:
        // Some open failures leave no error code at all (no file name given).
        if (!file.isOpen())
            return openFailure(path, access);
        return Failure::of(FailureNumber::PathFileAccessError, path);
    }
}

std::optional<Failure> openRegularFile(QFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    if (path.isEmpty())
        return Failure::of(FailureNumber::PathFileAccessError);
    // A refused name is numbered by what stands at the path.
    return openRegularNative(file, QFile::encodeName(path), path, [&path] { return openFailure(path); });
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Failure::of(FailureNumber::PathFileAccessError, path);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fileFailure(file, path);
    return std::nullopt;
#endif
}

} // namespace velmora
