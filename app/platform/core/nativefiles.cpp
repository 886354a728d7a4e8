#include "platform/core/nativefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {

#ifdef Q_OS_UNIX
namespace {

// Why an open failed, from the system's reason.
OpenRefusal refusalOf(int error)
{
    switch (error) {
    case ENOENT: return OpenRefusal::NothingThere;
    case ELOOP: return OpenRefusal::BrokenLink;
    case ENOTDIR: return OpenRefusal::NoFolder;
    case EACCES:
    case EPERM:
    case EROFS: return OpenRefusal::Refused;
    case ENOSPC:
    case EDQUOT: return OpenRefusal::DiskFull;
    default: return OpenRefusal::Other;
    }
}

Failure systemRefusal(int error, FileAccess access, const QString &shown)
{
    return Failure::of(openFailureNumber(refusalOf(error), access), shown);
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the name `path` still leads to the open file `fd` itself.
bool namesOpenFile(const QByteArray &path, int fd)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && sameFile(opened, named);
}

// The HeldFile that a signal ending the program removes: its name, set
// before the file is created, and once it is, the file's identity, so
// that a file someone else has put at that name since is left alone. The
// one static of the platform's: a signal handler reaches nothing else.
struct SignalledFile final
{
    enum class State {
        Free,    // nothing to remove
        Filling, // the name is being written: not to be read yet
        Named,   // the file is being created at the name
        Known,   // the file stands at the name: removed only while it is still there
    };
    std::atomic<State> state{State::Free};
    char path[PATH_MAX] = {};
    dev_t device = 0;
    ino_t inode = 0;
};
static_assert(std::atomic<SignalledFile::State>::is_always_lock_free, "read in a signal handler");

SignalledFile signalledFile;

// Takes the signal's file for `path`, unless another HeldFile has it.
bool claimSignalledFile(const QByteArray &path)
{
    auto expected = SignalledFile::State::Free;
    if (qsizetype(sizeof signalledFile.path) <= path.size()
        || !signalledFile.state.compare_exchange_strong(expected, SignalledFile::State::Filling))
        return false;
    std::memcpy(signalledFile.path, path.constData(), size_t(path.size()) + 1);
    signalledFile.state.store(SignalledFile::State::Named, std::memory_order_release);
    return true;
}

void knowSignalledFile(int fd)
{
    struct stat created = {};
    if (::fstat(fd, &created) != 0)
        return; // left Named: removed by its name
    signalledFile.device = created.st_dev;
    signalledFile.inode = created.st_ino;
    signalledFile.state.store(SignalledFile::State::Known, std::memory_order_release);
}

void releaseSignalledFile()
{
    signalledFile.state.store(SignalledFile::State::Free, std::memory_order_release);
}

// Only calls safe in a signal handler.
void removeSignalledFileAndEnd(int number)
{
    const int savedError = errno;
    const SignalledFile::State state = signalledFile.state.load(std::memory_order_acquire);
    struct stat named = {};
    if (state == SignalledFile::State::Named
        || (state == SignalledFile::State::Known && ::lstat(signalledFile.path, &named) == 0
            && named.st_dev == signalledFile.device && named.st_ino == signalledFile.inode))
        ::unlink(signalledFile.path);
    errno = savedError;
    // The handler was installed for one call (SA_RESETHAND): raised again,
    // the signal ends the program with its default action once this returns.
    ::raise(number);
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
        listing.failure = systemRefusal(errno, FileAccess::Write, shownPath(folder));
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
        return refused ? refused() : systemRefusal(errno, FileAccess::Read, shown);
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

std::optional<Failure> openNativeFile(QFile &file, const QByteArray &path, const QString &shown)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemRefusal(errno, FileAccess::Read, shown);
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(fd);
        return Failure::of(FailureNumber::PathFileAccessError, shown);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fileFailure(file, shown);
    }
    return std::nullopt;
}

HeldFile::~HeldFile()
{
    remove();
}

std::optional<Failure> HeldFile::create(const QByteArray &path, const QString &shown)
{
    remove();
    struct stat standing = {};
    if (::lstat(path.constData(), &standing) == 0
        && !(S_ISREG(standing.st_mode) ? removeUnheldFile(path) : ::unlink(path.constData()) == 0))
        return Failure::of(FailureNumber::FileAlreadyExists, shown);
    m_signalled = claimSignalledFile(path);
    // The mode is given to the create itself: the umask can only take bits
    // away. Exclusive, so nothing planted since is followed.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        const int error = errno;
        remove();
        if (error == EEXIST)
            return Failure::of(FailureNumber::FileAlreadyExists, shown);
        return systemRefusal(error, FileAccess::Write, shown);
    }
    if (m_signalled)
        knowSignalledFile(fd);
    // Another program that came upon the new file before it was held takes
    // it for a stale one and removes it: then the name is not ours. A file
    // system that keeps no locks leaves the file unheld.
    const bool heldElsewhere = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (heldElsewhere || !namesOpenFile(path, fd)) {
        ::close(fd);
        remove();
        return Failure::of(FailureNumber::FileAlreadyExists, shown);
    }
    if (!m_file.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::unlink(path.constData());
        ::close(fd);
        remove();
        return fileFailure(m_file, shown, FileAccess::Write);
    }
    m_path = path;
    return std::nullopt;
}

void HeldFile::remove()
{
    // Removed from its name while the name is still its own; the name goes
    // before the signal's record of it, and the lock only after both.
    if (m_file.isOpen() && namesOpenFile(m_path, m_file.handle()))
        ::unlink(m_path.constData());
    if (m_signalled)
        releaseSignalledFile();
    m_signalled = false;
    m_file.close();
    m_path.clear();
}

bool removeUnheldFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened = {};
    // A shared lock is refused while a program holds the file, and needs
    // no more than reading it (on network file systems as well).
    const bool removed = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)
                         && (::flock(fd, LOCK_SH | LOCK_NB) == 0 || errno != EWOULDBLOCK) && namesOpenFile(path, fd)
                         && ::unlink(path.constData()) == 0;
    ::close(fd);
    return removed;
}

void removeHeldFileOnSignals()
{
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction current = {};
        if (::sigaction(number, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0
            || current.sa_handler != SIG_DFL)
            continue; // ignored, or someone else's
        struct sigaction action = {};
        action.sa_handler = removeSignalledFileAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(number, &action, nullptr);
    }
}

bool offeredByItsFolder(const QFileDevice &file, const QByteArray &path)
{
    struct stat name = {};
    struct stat target = {};
    if (::lstat(path.constData(), &name) != 0 || ::fstat(file.handle(), &target) != 0)
        return false;
    return !S_ISLNK(name.st_mode) || target.st_uid == name.st_uid || (target.st_mode & S_IROTH) != 0;
}

bool isRegularFile(const QByteArray &path)
{
    struct stat status = {};
    return ::stat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool namesSameFile(const QByteArray &original, const QByteArray &copy)
{
    struct stat a = {};
    struct stat b = {};
    return ::stat(original.constData(), &a) == 0 && ::lstat(copy.constData(), &b) == 0 && !S_ISLNK(b.st_mode)
           && sameFile(a, b);
}

qsizetype nameLimit(const QByteArray &folder)
{
    const long limit = ::pathconf(folder.isEmpty() ? "." : folder.constData(), _PC_NAME_MAX);
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

std::optional<Failure> openNativeFile(QFile &file, const QByteArray &path, const QString &shown)
{
    file.setFileName(shownPath(path));
    if (!file.open(QIODevice::ReadOnly))
        return fileFailure(file, shown);
    return std::nullopt;
}

HeldFile::~HeldFile()
{
    remove();
}

std::optional<Failure> HeldFile::create(const QByteArray &path, const QString &shown)
{
    remove();
    // A file another program holds open cannot be removed here, nor can a
    // folder: the name is taken.
    const QString name = shownPath(path);
    const QFileInfo standing(name);
    if ((standing.exists() || standing.isSymLink()) && !QFile::remove(name))
        return Failure::of(FailureNumber::FileAlreadyExists, shown);
    m_file.setFileName(name);
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (QFileInfo::exists(name))
            return Failure::of(FailureNumber::FileAlreadyExists, shown);
        return fileFailure(m_file, shown, FileAccess::Write);
    }
    m_path = path;
    return std::nullopt;
}

void HeldFile::remove()
{
    // Open, the file cannot be removed, by this program either.
    if (m_file.isOpen()) {
        m_file.close();
        QFile::remove(m_file.fileName());
    }
    m_path.clear();
}

bool removeUnheldFile(const QByteArray &path)
{
    // A file a running program holds open refuses to go.
    const QFileInfo info(shownPath(path));
    return info.isFile() && !info.isSymLink() && QFile::remove(info.filePath());
}

void removeHeldFileOnSignals()
{
    // Ending a program from outside gives it no say here; a copy left so is
    // removed at the next start.
}

bool offeredByItsFolder(const QFileDevice &, const QByteArray &)
{
    // Making a link takes an administrator here (or a developer's setting):
    // what a link in the folder leads to is the folder's own.
    return true;
}

bool isRegularFile(const QByteArray &path)
{
    return QFileInfo(shownPath(path)).isFile();
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
