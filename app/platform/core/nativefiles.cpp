#include "platform/core/nativefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {

#ifdef Q_OS_UNIX
namespace {

// The program's number for a failed open, from the system's reason.
int openFailureNumber(int error, FileAccess access)
{
    switch (error) {
    case ENOENT: return access == FileAccess::Read ? FailureNumber::FileNotFound : FailureNumber::PathNotFound;
    case ELOOP: return FailureNumber::FileNotFound;
    case ENOTDIR: return FailureNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return FailureNumber::PermissionDenied;
    case ENOSPC:
    case EDQUOT: return FailureNumber::DiskFull;
    default: return FailureNumber::PathFileAccessError;
    }
}

} // namespace

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString shownPath(const QByteArray &nativePath)
{
    return QFile::decodeName(nativePath);
}

NativeListing listFolder(const QByteArray &folder)
{
    NativeListing listing;
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        listing.failure = Failure::of(openFailureNumber(errno, FileAccess::Write), shownPath(folder));
        return listing;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                listing.failure = Failure::of(FailureNumber::DeviceIoError, shownPath(folder));
            break;
        }
        if (entry->d_name[0] != '.') // ".", ".." and hidden names
            listing.names << QByteArray(entry->d_name);
    }
    ::closedir(dir);
    return listing;
}

std::optional<Failure> openRegularNative(QFile &file, const QByteArray &path, const QString &shown,
                                         const std::function<Failure()> &refused)
{
    // Opened without waiting (a pipe's open waits for a writer), checked,
    // then made an ordinary blocking descriptor for the reads.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refused ? refused() : Failure::of(openFailureNumber(errno, FileAccess::Read), shown);
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return Failure::of(FailureNumber::PathFileAccessError, shown);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fileFailure(file, shown);
    }
    return std::nullopt;
}

std::optional<Failure> createPrivateFile(QFile &file, const QByteArray &path, const QString &shown)
{
    ::unlink(path.constData());
    // The mode is given to the create itself: the umask can only take bits away.
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return Failure::of(openFailureNumber(errno, FileAccess::Write), shown);
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(path.constData());
        return fileFailure(file, shown, FileAccess::Write);
    }
    return std::nullopt;
}

bool isPlainFile(const QByteArray &path)
{
    struct stat status = {};
    return ::lstat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isRegularFile(const QByteArray &path)
{
    struct stat status = {};
    return ::stat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool removeFile(const QByteArray &path)
{
    return ::unlink(path.constData()) == 0;
}

bool namesSameFile(const QByteArray &original, const QByteArray &copy)
{
    struct stat a = {};
    struct stat b = {};
    return ::stat(original.constData(), &a) == 0 && ::lstat(copy.constData(), &b) == 0 && !S_ISLNK(b.st_mode)
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

qsizetype nameLimit(const QByteArray &folder)
{
    const long limit = ::pathconf(folder.constData(), _PC_NAME_MAX);
    return limit > 0 ? qsizetype(limit) : 255;
}

std::optional<QByteArray> ownPrivateFolder(const QByteArray &parent, const QByteArray &stem)
{
    const QByteArray path = parent + '/' + stem + '-' + QByteArray::number(qulonglong(::geteuid()));
    if (::mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return std::nullopt;
    // Another account may have made that name first, in a shared
    // temporary folder: only our own folder, closed to others, will do.
    struct stat status = {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()
        || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return std::nullopt;
    return path;
}

#else // names are text where the system keeps them as text

QByteArray nativePath(const QString &path)
{
    return path.toUtf8();
}

QString shownPath(const QByteArray &nativePath)
{
    return QString::fromUtf8(nativePath);
}

NativeListing listFolder(const QByteArray &folder)
{
    NativeListing listing;
    const QDir dir(shownPath(folder));
    if (!dir.exists()) {
        listing.failure = Failure::of(FailureNumber::PathNotFound, shownPath(folder));
        return listing;
    }
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted))
        listing.names << nativePath(name);
    return listing;
}

std::optional<Failure> openRegularNative(QFile &file, const QByteArray &path, const QString &shown,
                                         const std::function<Failure()> & /*refused: the path tells*/)
{
    if (std::optional<Failure> failure = openRegularFile(file, shownPath(path))) {
        failure->path = shown;
        return failure;
    }
    return std::nullopt;
}

std::optional<Failure> createPrivateFile(QFile &file, const QByteArray &path, const QString &shown)
{
    QFile::remove(shownPath(path));
    file.setFileName(shownPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return fileFailure(file, shown, FileAccess::Write);
    return std::nullopt;
}

bool isPlainFile(const QByteArray &path)
{
    const QFileInfo info(shownPath(path));
    return info.isFile() && !info.isSymLink();
}

bool isRegularFile(const QByteArray &path)
{
    return QFileInfo(shownPath(path)).isFile();
}

bool removeFile(const QByteArray &path)
{
    return QFile::remove(shownPath(path));
}

bool namesSameFile(const QByteArray &original, const QByteArray &copy)
{
    const QFileInfo copied(shownPath(copy));
    return copied.exists() && !copied.isSymLink()
           && QFileInfo(shownPath(original)).canonicalFilePath() == copied.canonicalFilePath();
}

qsizetype nameLimit(const QByteArray &)
{
    return 255;
}

std::optional<QByteArray> ownPrivateFolder(const QByteArray &parent, const QByteArray &stem)
{
    // The temporary folder is the account's own here.
    const QByteArray path = parent + '/' + stem;
    if (!QDir().mkpath(shownPath(path)))
        return std::nullopt;
    return path;
}

#endif

} // namespace velmora
