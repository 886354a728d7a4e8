#include "dispatcher.h"

#include "linemodel.h"

#include <cmath>
#include <limits>

namespace tabulo {

namespace {

Result failed(qint32 number)
{
    const Failure f = standardFailure(number);
    return Result::fail(f.number, f.description);
}

Result failed(const Failure &f)
{
    return Result::fail(f.number, f.description);
}

std::optional<Failure> fromWide(long double value, qint16 &out)
{
    if (std::isnan(value))
        return standardFailure(FailureNumber::TypeMismatch);
    if (!std::isfinite(value))
        return standardFailure(FailureNumber::Overflow);
    const long double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return standardFailure(FailureNumber::Overflow);
    out = static_cast<qint16>(rounded);
    return std::nullopt;
}

std::optional<Failure> fromText(const QString &text, qint16 &out)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong whole = trimmed.toLongLong(&ok);
    if (ok)
        return fromWide(static_cast<long double>(whole), out);
    const double real = trimmed.toDouble(&ok);
    if (ok)
        return fromWide(real, out);
    return standardFailure(FailureNumber::TypeMismatch);
}

bool isInt16Ref(const QVariant &argument)
{
    return argument.metaType() == QMetaType::fromType<Int16Ref>();
}

bool isSigned(int type)
{
    switch (type) {
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong: return true;
    default: return false;
    }
}

bool isUnsigned(int type)
{
    switch (type) {
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return true;
    default: return false;
    }
}

bool isReal(int type)
{
    return type == QMetaType::Double || type == QMetaType::Float;
}

// Every number an argument can carry, widened; nothing for non-numbers.
std::optional<long double> numberOf(const QVariant &argument)
{
    const int type = argument.metaType().id();
    if (isSigned(type))
        return static_cast<long double>(argument.toLongLong());
    if (isUnsigned(type))
        return static_cast<long double>(argument.toULongLong());
    if (isReal(type))
        return static_cast<long double>(argument.toDouble());
    return std::nullopt;
}

} // namespace

std::optional<Failure> toInt16(const QVariant &argument, qint16 &out)
{
    if (isInt16Ref(argument)) {
        const Int16Ref ref = argument.value<Int16Ref>();
        if (!ref.target)
            return standardFailure(FailureNumber::TypeMismatch);
        out = *ref.target;
        return std::nullopt;
    }
    const int type = argument.metaType().id();
    if (type == QMetaType::Bool) {
        out = argument.toBool() ? -1 : 0;
        return std::nullopt;
    }
    if (type == QMetaType::QString)
        return fromText(argument.toString(), out);
    if (const auto number = numberOf(argument))
        return fromWide(*number, out);
    return standardFailure(FailureNumber::TypeMismatch);
}

std::optional<Failure> toBoolean(const QVariant &argument, bool &out)
{
    const int type = argument.metaType().id();
    if (type == QMetaType::Bool) {
        out = argument.toBool();
        return std::nullopt;
    }
    if (type == QMetaType::QString) {
        const QString text = argument.toString().trimmed();
        if (text.compare(u"True", Qt::CaseInsensitive) == 0) {
            out = true;
            return std::nullopt;
        }
        if (text.compare(u"False", Qt::CaseInsensitive) == 0) {
            out = false;
            return std::nullopt;
        }
        bool ok = false;
        const double real = text.toDouble(&ok);
        if (!ok || std::isnan(real))
            return standardFailure(FailureNumber::TypeMismatch);
        out = real != 0;
        return std::nullopt;
    }
    if (isInt16Ref(argument)) {
        qint16 value = 0;
        if (auto f = toInt16(argument, value))
            return f;
        out = value != 0;
        return std::nullopt;
    }
    if (const auto number = numberOf(argument)) {
        if (std::isnan(*number))
            return standardFailure(FailureNumber::TypeMismatch);
        out = *number != 0;
        return std::nullopt;
    }
    return standardFailure(FailureNumber::TypeMismatch);
}

std::optional<Failure> toText(const QVariant &argument, QString &out)
{
    const int type = argument.metaType().id();
    if (type == QMetaType::QString) {
        out = argument.toString();
        return std::nullopt;
    }
    if (type == QMetaType::Bool) {
        out = argument.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return std::nullopt;
    }
    if (isInt16Ref(argument)) {
        qint16 value = 0;
        if (auto f = toInt16(argument, value))
            return f;
        out = QString::number(value);
        return std::nullopt;
    }
    if (isSigned(type)) {
        out = QString::number(argument.toLongLong());
        return std::nullopt;
    }
    if (isUnsigned(type)) {
        out = QString::number(argument.toULongLong());
        return std::nullopt;
    }
    if (isReal(type)) {
        out = QString::number(argument.toDouble(), 'g', 15);
        return std::nullopt;
    }
    return standardFailure(FailureNumber::TypeMismatch);
}

Result dispatch(LineModel &model, DispId dispid, CallKind kind, const QVariantList &arguments)
{
    const auto count = arguments.size();
    qint16 index = 0;
    switch (dispid) {
    case DispId::ClearSelection:
    case DispId::Clear:
        if (kind != CallKind::Method)
            return failed(FailureNumber::NotSupported);
        if (count != 0)
            return failed(FailureNumber::WrongArguments);
        if (dispid == DispId::Clear)
            model.Clear();
        else
            model.ClearSelection();
        return {};
    case DispId::Swap: {
        if (kind != CallKind::Method)
            return failed(FailureNumber::NotSupported);
        if (count != 2)
            return failed(FailureNumber::WrongArguments);
        qint16 from = 0;
        qint16 inTo = 0;
        if (auto f = toInt16(arguments.at(0), from))
            return failed(*f);
        if (auto f = toInt16(arguments.at(1), inTo))
            return failed(*f);
        return model.Swap(from, inTo);
    }
    case DispId::MaxLbl:
        if (kind == CallKind::PropertyGet) {
            if (count != 0)
                return failed(FailureNumber::WrongArguments);
            return model.MaxLbl();
        }
        if (kind == CallKind::PropertyPut) {
            if (count != 1)
                return failed(FailureNumber::WrongArguments);
            qint16 n = 0;
            if (auto f = toInt16(arguments.at(0), n))
                return failed(*f);
            return model.setMaxLbl(n);
        }
        return failed(FailureNumber::NotSupported);
    case DispId::txtData:
    case DispId::Selection:
        if (kind != CallKind::PropertyGet && kind != CallKind::PropertyPut)
            return failed(FailureNumber::NotSupported);
        if (count != (kind == CallKind::PropertyGet ? 1 : 2))
            return failed(FailureNumber::WrongArguments);
        if (auto f = toInt16(arguments.at(0), index))
            return failed(*f);
        if (kind == CallKind::PropertyGet)
            return dispid == DispId::txtData ? model.txtData(index) : model.Selection(index);
        if (dispid == DispId::txtData) {
            QString text;
            if (auto f = toText(arguments.at(1), text))
                return failed(*f);
            return model.setTxtData(index, text);
        } else {
            bool flag = false;
            if (auto f = toBoolean(arguments.at(1), flag))
                return failed(*f);
            return model.setSelection(index, flag);
        }
    }
    return failed(FailureNumber::NotSupported);
}

} // namespace tabulo
