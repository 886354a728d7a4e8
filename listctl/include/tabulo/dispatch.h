#pragma once

// The late-bound calling convention of the Tabulo controls: dispatch
// identifiers, call kinds, event identifiers, failures and the by-reference
// argument. Header-only: a host includes it and never links the library.

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <optional>

namespace tabulo {

// Members of myControl's dispatch interface. The values are fixed: hosts
// compiled against any version of this header call the same members.
enum class DispId : qint32 {
    Selection = 0x68030000, // indexed property (Index) -> boolean
    txtData = 0x68030001, // indexed property (Index) -> string
    MaxLbl = 0x68030002, // property -> 16-bit line count, 1..20
    ClearSelection = 0x60030003, // method, no arguments
    Clear = 0x60030004, // method, no arguments
    Swap = 0x60030005, // method (from, inTo)
};

enum class CallKind : qint32 {
    Method = 1,
    PropertyGet = 2,
    PropertyPut = 4,
};

// Events of myControl, delivered to every registered EventSink.
enum class EventId : qint32 {
    StartSwap = 1, // arguments: from (qint16), the line clicked first
    lblMouseMove = 2, // arguments: Index (qint16), the line under the mouse
    OverSwap = 3, // no arguments; raised at the end of every Swap
};

// Failure numbers a call can return, in the standard run-time numbering.
namespace FailureNumber {
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 SubscriptOutOfRange = 9;
inline constexpr qint32 TypeMismatch = 13;
inline constexpr qint32 ControlArrayElementMissing = 340;
inline constexpr qint32 NotSupported = 438;
inline constexpr qint32 WrongArguments = 450;
inline constexpr qint32 BadLineCount = 666;
} // namespace FailureNumber

struct Failure final
{
    qint32 number = 0;
    QString description;

    friend bool operator==(const Failure &, const Failure &) = default;
};

// What invoke() answers: the member's value (invalid for methods and
// property writes) or the failure that stopped it.
struct Result final
{
    QVariant value;
    std::optional<Failure> failure;

    bool ok() const { return !failure.has_value(); }
    static Result of(QVariant v) { return Result{std::move(v), std::nullopt}; }
    static Result fail(qint32 number, QString description)
    {
        return Result{QVariant(), Failure{number, std::move(description)}};
    }
};

// An argument passed by reference to a 16-bit integer, the way hosts pass
// line numbers. The control reads through it and never writes;
// the referenced variable must outlive the call. A null target is refused
// with a type mismatch.
struct Int16Ref final
{
    qint16 *target = nullptr;
};

inline QVariant byRef(qint16 &variable)
{
    return QVariant::fromValue(Int16Ref{&variable});
}

} // namespace tabulo

Q_DECLARE_METATYPE(tabulo::Int16Ref)
