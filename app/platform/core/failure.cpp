#include "platform/core/failure.h"

#include "platform/core/nativefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

namespace {

// Why an open failed, told from what the file system shows now: Qt keeps
// the reason only as text.
int openFailureNumber(const QString &path, FileAccess access)
{
    if (path.isEmpty())
        return FailureNumber::PathFileAccessError;
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists() || !folder.isDir())
        return FailureNumber::PathNotFound;
    if (info.isDir())
        return FailureNumber::PathFileAccessError;
    const bool present = info.exists() || info.isSymLink();
    if (access == FileAccess::Read) // a link that leads nowhere names no file
        return info.exists() ? FailureNumber::PermissionDenied : FailureNumber::FileNotFound;
    if (present || !folder.isWritable())
        return FailureNumber::PermissionDenied;
    return FailureNumber::PathFileAccessError;
}

} // namespace

Failure fileFailure(const QFileDevice &file, const QString &path, FileAccess access)
{
    switch (file.error()) {
    case QFileDevice::ResourceError: return Failure::of(FailureNumber::DiskFull, path);
    case QFileDevice::ReadError:
    case QFileDevice::WriteError: return Failure::of(FailureNumber::DeviceIoError, path);
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError: return Failure::of(openFailureNumber(path, access), path);
    default:
        // Some open failures leave no error code at all (no file name given).
        if (!file.isOpen())
            return Failure::of(openFailureNumber(path, access), path);
        return Failure::of(FailureNumber::PathFileAccessError, path);
    }
}

Failure openFailure(const QString &path, FileAccess access)
{
    return Failure::of(openFailureNumber(path, access), path);
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

std::optional<Failure> openNativeFile(QFile &file, const QByteArray &nativePath, const QString &shownPath)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
        case ENOENT:
        case ELOOP: return Failure::of(FailureNumber::FileNotFound, shownPath);
        case ENOTDIR: return Failure::of(FailureNumber::PathNotFound, shownPath);
        case EACCES:
        case EPERM: return Failure::of(FailureNumber::PermissionDenied, shownPath);
        default: return Failure::of(FailureNumber::PathFileAccessError, shownPath);
        }
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(fd);
        return Failure::of(FailureNumber::PathFileAccessError, shownPath);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fileFailure(file, shownPath);
    }
    return std::nullopt;
#else
    file.setFileName(velmora::shownPath(nativePath));
    if (!file.open(QIODevice::ReadOnly))
        return fileFailure(file, shownPath);
    return std::nullopt;
#endif
}

} // namespace velmora
