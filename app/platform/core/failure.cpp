#include "failure.h"

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

} // namespace velmora
