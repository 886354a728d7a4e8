#pragma once

#include "platform/core/nativefiles.h"

#include <QByteArray>
#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace velmora::test {

// Files the tests make and remove by the system's bytes (names that are no
// text a QString can hold).

#ifdef Q_OS_UNIX

// Writes `bytes` as a fresh file at `path`, whatever stood there before:
// whether every byte was written.
inline bool writeNative(const QByteArray &path, const QByteArray &bytes)
{
    ::unlink(path.constData());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return file.write(bytes) == bytes.size();
}

// Removes whatever file stands at `path` (a link itself): whether it went.
inline bool removeFile(const QByteArray &path)
{
    return ::unlink(path.constData()) == 0;
}

#else // names are text where the system keeps them as text

inline bool writeNative(const QByteArray &path, const QByteArray &bytes)
{
    QFile::remove(shownPath(path));
    QFile file(shownPath(path));
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(bytes) == bytes.size();
}

inline bool removeFile(const QByteArray &path)
{
    return QFile::remove(shownPath(path));
}

#endif

} // namespace velmora::test
