#pragma once

#include <tabulo/dispatch.h>

#include <QVariantList>

#include <optional>

namespace tabulo {

class LineModel;

// Conversions of late-bound arguments to the types the members declare,
// by the control's rules: numbers round half to even, true is -1, a number
// outside 16 bits overflows (6), anything else unconvertible is a type
// mismatch (13).
std::optional<Failure> toInt16(const QVariant &argument, qint16 &out);
std::optional<Failure> toBoolean(const QVariant &argument, bool &out);
std::optional<Failure> toText(const QVariant &argument, QString &out);

// Calls the member `dispid` of `model`: checks the call kind (438), the
// argument count (450) and the arguments (13, 6), then runs the member.
Result dispatch(LineModel &model, DispId dispid, CallKind kind, const QVariantList &arguments);

} // namespace tabulo
