#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QFileDevice;

namespace velmora {

// File names as the system gives them. On Linux a name is bytes and not
// always text: a name made on another system (Windows-1251 bytes, say)
// does not survive a trip through QString. These functions keep the bytes;
// the text is only what messages and lists show.

// A path given as text in the system's own bytes, and the text shown for
// such bytes (bytes that are no text show as replacement characters).
QByteArray nativePath(const QString &path);
QString shownPath(const QByteArray &nativePath);

struct NativeListing final
{
    QList<QByteArray> names;        // in the order the file system gives them
    std::optional<Failure> failure; // the folder could not be read
};

// The names in `folder`, less "." and "..", and less hidden names.
NativeListing listFolder(const QByteArray &folder);

// Opens for reading only a regular file (links followed); a folder, a pipe
// or a device is failure 75. The open never waits at a pipe. Failures name
// `shown`; a name the system refuses is numbered by `refused` when given,
// else by the system's reason.
std::optional<Failure> openRegularNative(QFile &file, const QByteArray &path, const QString &shown,
                                         const std::function<Failure()> &refused = {});

// Opens for reading whatever `path` names but a folder (a file, a pipe),
// by the bytes the system gave (a command-line argument), also when they
// are no text a QString can hold. Failures name `shown`.
std::optional<Failure> openNativeFile(QFile &file, const QByteArray &path, const QString &shown);

// A file of this program's own, such as a test's plain copy while it
// loads: created afresh for its owner alone from its first byte, open for
// writing and reading back, and held while it stands (a lock of the
// system's on Unix; on Windows the open file itself, which no one can
// delete), so that another program of ours tells it from a stale one that
// a program ended meanwhile left behind, and leaves it alone. Removed when
// it goes; the one the program is writing also when a signal ends the
// program (removeHeldFileOnSignals).
class HeldFile final
{
public:
    HeldFile() = default;
    ~HeldFile();
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

    // Creates the file at `path`. What stands there goes first when no
    // program holds it: a stale file, a link (itself, never what it points
    // to). Failure 58 when the name is taken: another program holds the
    // file there, or what stands there cannot go (a folder). Failures name
    // `shown`.
    std::optional<Failure> create(const QByteArray &path, const QString &shown);

    QFile &file() { return m_file; }
    const QByteArray &path() const { return m_path; }
    // Removes the file from its name, while the name is still its own, and
    // closes it: the lock goes with it.
    void remove();

private:
    QFile m_file;
    QByteArray m_path;
    bool m_signalled = false; // the file a signal removes is this one
};

// Removes the regular file at `path` (a link there is not followed) unless
// a running program holds it (HeldFile): whether it went.
bool removeUnheldFile(const QByteArray &path);

// From here on SIGTERM, SIGHUP and SIGINT end the program as they would
// anyway, but first remove the HeldFile being written: a test's answers in
// plain text never outlive the program. A signal the program ignores stays
// ignored. Nothing to do where the system ends programs without signals.
void removeHeldFileOnSignals();

// Whether the open `file`, reached by the name `path`, is one its folder
// offers of its own: the name is the file itself, or a link whose owner
// could read the file anyway (it is the link owner's, or every account may
// read it). A link planted to another account's private file is not.
bool offeredByItsFolder(const QFileDevice &file, const QByteArray &path);

// Whether the name leads to a regular file (links followed): never opened
// to find out, since opening some devices already does something.
bool isRegularFile(const QByteArray &path);

// Whether `copy` names the file `original` itself (links at `copy` are not
// followed: removing one leaves the file alone).
bool namesSameFile(const QByteArray &original, const QByteArray &copy);

// The longest file name, in bytes, that the file system of `folder` takes
// (255 where it cannot be asked); an empty `folder` is the current one.
qsizetype nameLimit(const QByteArray &folder);

// A folder `stem` + "-" + the user's id under `parent`, made for this
// account alone; nullopt when it cannot be made, or when what stands at
// that name is not a folder of this account's that no other can enter.
std::optional<QByteArray> ownPrivateFolder(const QByteArray &parent, const QByteArray &stem);

} // namespace velmora
