#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

class QFile;
class QFileDevice;

namespace velmora {

// The run-time failure numbers the program knows, with the standard
// English descriptions that its messages show after the number.
namespace FailureNumber {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIoError = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEnd = 62;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccessError = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int ControlArrayElementMissing = 340;
inline constexpr int NotSupported = 438;
inline constexpr int WrongArguments = 450;
}

// The standard description of a failure number ("Overflow" for 6);
// "Application-defined or object-defined error" for numbers it does not know.
QString standardDescription(int number);

// A failure as a value: the routines here return it rather than end the program.
struct Failure final
{
    int number = 0;
    QString description;
    QString path; // the path the failing routine held, where a message names a file

    static Failure of(int number, const QString &path = {})
    {
        return Failure{number, standardDescription(number), path};
    }
};

// A failure raised where a routine cannot go on (a subscript out of range);
// the windows' event dispatch turns it back into its failure.
class FailureError : public std::runtime_error
{
public:
    explicit FailureError(Failure failure);
    const Failure &failure() const { return m_failure; }

private:
    Failure m_failure;
};

// What a file was opened for: an open that failed leaves no mode behind,
// and a missing file means something else when it was to be created.
enum class FileAccess { Read, Write };

// Why an open failed, as the program tells the causes apart, whether the
// system names the cause or the file system shows it afterwards.
enum class OpenRefusal {
    NothingThere, // no file at the name
    BrokenLink,   // a link that leads nowhere, or links in a loop
    NoFolder,     // the name's folder is missing, or a part of the path is no folder
    Refused,      // access refused, or a file system that takes no writes
    DiskFull,     // no room left for a file to create
    Other,        // a folder where a file was expected, a name the system refuses
};

// The program's number for an open refused so: FailureNumber::FileNotFound
// for nothing there to read (FailureNumber::PathNotFound when creating)
// and for a broken link, FailureNumber::PathNotFound for a missing folder,
// FailureNumber::PermissionDenied, FailureNumber::DiskFull, else
// FailureNumber::PathFileAccessError.
int openFailureNumber(OpenRefusal why, FileAccess access);

// The failure a file operation on `file` met, in the program's numbering:
// 53 when the file to read does not exist, 76 when its folder does not,
// 70 when access is refused (or the folder of a file to create cannot be
// written), 75 for a folder where a file was expected, 61 when the disk
// is full or the user's disk quota spent, 57 for other read or write
// errors, else 75. `path` is kept in the failure.
Failure fileFailure(const QFileDevice &file, const QString &path, FileAccess access = FileAccess::Read);

// The failure an open of `path` met, told from what the file system shows
// now: a dangling link or a loop of links is a file not found (53).
Failure openFailure(const QString &path, FileAccess access = FileAccess::Read);

// Opens `path` for reading only when it is a regular file (links
// followed): a folder, a pipe or a device is failure 75. The open itself
// never waits, so a pipe without a writer cannot hang the caller.
std::optional<Failure> openRegularFile(QFile &file, const QString &path);

} // namespace velmora
