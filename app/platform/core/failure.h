#pragma once

#include <QString>

class QFileDevice;

namespace velmora {

// The run-time failure numbers the program knows, with the classic
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

// A failure as a value: what the old runtime raised, the routines here return.
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

// What a file was opened for: an open that failed leaves no mode behind,
// and a missing file means something else when it was to be created.
enum class FileAccess { Read, Write };

// The failure a file operation on `file` met, in the old runtime's numbering:
// 53 when the file to read does not exist, 76 when its folder does not,
// 70 when access is refused (or the folder of a file to create cannot be
// written), 75 for a folder where a file was expected, 61 when the disk
// is full, 57 for other read or write errors, else 75. `path` is kept in
// the failure.
Failure fileFailure(const QFileDevice &file, const QString &path, FileAccess access = FileAccess::Read);

} // namespace velmora
