// Arbitrary late-bound calls on the list control's model, as a host makes
// them through invoke: the member, the call kind and every argument come
// from the input, with mouse clicks in between and a host that calls back
// into the control from its OverSwap handler. Never a crash, never an
// exception, and the model's own rules hold after every call.
#include "dispatcher.h"
#include "linemodel.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <cstring>

using namespace tabulo;

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Reads the input front to back; past its end every read gives zeros.
class Input final
{
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    template <typename T>
    T value()
    {
        std::array<std::uint8_t, sizeof(T)> bytes{};
        for (std::uint8_t &b : bytes)
            b = byte();
        T v;
        std::memcpy(&v, bytes.data(), sizeof(T));
        return v;
    }

    QByteArray bytes(std::size_t count)
    {
        QByteArray out;
        while (count-- > 0 && !atEnd())
            out.append(char(byte()));
        return out;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

constexpr std::array Members = {DispId::Selection, DispId::txtData,        DispId::MaxLbl,
                                DispId::ClearSelection, DispId::Clear, DispId::Swap};

DispId member(Input &in)
{
    const std::uint8_t choice = in.byte();
    if (choice < 240)
        return Members.at(choice % Members.size());
    return DispId(in.value<qint32>()); // any identifier at all
}

CallKind kind(Input &in)
{
    const std::uint8_t choice = in.byte();
    switch (choice % 4) {
    case 0: return CallKind::Method;
    case 1: return CallKind::PropertyGet;
    case 2: return CallKind::PropertyPut;
    default: return CallKind(in.value<qint32>());
    }
}

// One argument of any form a host can pass. `variable` is the host's
// 16-bit variable a by-reference argument points to.
QVariant argument(Input &in, qint16 &variable)
{
    switch (in.byte() % 14) {
    case 0: return QVariant();
    case 1: return QVariant(bool(in.byte() & 1));
    case 2: return QVariant::fromValue(in.value<qint8>());
    case 3: return QVariant::fromValue(in.value<quint8>());
    case 4: return QVariant::fromValue(in.value<qint16>());
    case 5: return QVariant::fromValue(in.value<quint16>());
    case 6: return QVariant::fromValue(in.value<qint32>());
    case 7: return QVariant::fromValue(in.value<quint32>());
    case 8: return QVariant::fromValue(in.value<qint64>());
    case 9: return QVariant::fromValue(in.value<quint64>());
    case 10: return QVariant::fromValue(in.value<double>()); // NaN and infinities included
    case 11: return QVariant(QString::fromUtf8(in.bytes(in.byte() % 32)));
    case 12:
        variable = in.value<qint16>();
        return byRef(variable);
    default:
        return in.byte() & 1 ? QVariant::fromValue(Int16Ref{}) : QVariant(in.bytes(4)); // null reference, bytes
    }
}

bool knownFailure(qint32 number)
{
    switch (number) {
    case FailureNumber::Overflow:
    case FailureNumber::SubscriptOutOfRange:
    case FailureNumber::TypeMismatch:
    case FailureNumber::ControlArrayElementMissing:
    case FailureNumber::NotSupported:
    case FailureNumber::WrongArguments:
    case FailureNumber::BadLineCount: return true;
    default: return false;
    }
}

void checkModel(const LineModel &model)
{
    require(model.lineCount() >= 1 && model.lineCount() <= LineModel::Lines);
    require(model.PendingLine() >= 0 && model.PendingLine() <= LineModel::Lines);
    for (int i = 1; i <= LineModel::Lines; ++i)
        require(model.line(i).visible == (i <= model.lineCount()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    LineModel model;
    // The host's OverSwap handler reads the lines back, as the main window does.
    int depth = 0;
    QObject::connect(&model, &LineModel::OverSwap, &model, [&model, &depth] {
        if (depth++ < 2) {
            for (qint16 i = 1; i <= model.lineCount(); ++i)
                require(dispatch(model, DispId::txtData, CallKind::PropertyGet, {i}).ok());
            dispatch(model, DispId::ClearSelection, CallKind::Method, {});
        }
        --depth;
    });

    std::array<qint16, 4> variables{};
    for (int calls = 0; calls < 64 && !in.atEnd(); ++calls) {
        const std::uint8_t step = in.byte();
        if (step < 24) { // the mouse on a line (only a shown line takes a click), or a new size
            const auto index = qint16(in.byte() % (LineModel::Lines + 2));
            if (step < 8)
                model.lblData_MouseMove(index);
            else if (step < 16 && index <= model.lineCount())
                model.lblData_Click(index);
            else if (step >= 16)
                model.UserControl_Resize(in.value<double>(), in.value<double>());
            checkModel(model);
            continue;
        }
        const DispId dispid = member(in);
        const CallKind callKind = kind(in);
        QVariantList arguments;
        const int count = in.byte() % 4;
        for (int a = 0; a < count; ++a)
            arguments << argument(in, variables.at(std::size_t(a)));
        const Result result = dispatch(model, dispid, callKind, arguments);
        if (result.failure) {
            require(knownFailure(result.failure->number));
            require(!result.failure->description.isEmpty());
            require(!result.value.isValid());
        } else if (callKind == CallKind::PropertyGet) {
            require(result.value.isValid());
        }
        checkModel(model);
    }
    return 0;
}
