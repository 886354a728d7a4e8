#include "linemodel.h"

#include "screenrules/colourcodes.h"

#include <algorithm>
#include <cmath>

namespace tabulo {

namespace ColourCode = screenrules::ColourCode;
using screenrules::snapTwips;
using screenrules::snapTwipsDown;

namespace {

// Member 1 of each label array as designed; the others are made from it.
Line designLine(TwipScale scale)
{
    auto snapBox = [scale](double left, double top, double width, double height) {
        return Box{snapTwips(left, scale.x), snapTwips(top, scale.y), snapTwips(width, scale.x),
                   snapTwips(height, scale.y)};
    };
    Line line;
    line.number = QStringLiteral("1.");
    line.text = QStringLiteral("Еуче1");
    line.backColour = ColourCode::CaptionText;
    line.foreColour = ColourCode::ButtonText;
    line.visible = true;
    line.numberBox = snapBox(90, 135, 540, 405);
    line.dataBox = snapBox(720, 90, 690, 300);
    return line;
}

// The next row's top: the sum taken in single precision and rounded to
// whole twips, halves to even.
qint32 nextTop(qint32 top, double rowHeight)
{
    return static_cast<qint32>(std::nearbyint(static_cast<float>(top) + static_cast<float>(rowHeight)));
}

} // namespace

Failure standardFailure(qint32 number)
{
    switch (number) {
    case FailureNumber::Overflow: return Failure{number, QStringLiteral("Overflow")};
    case FailureNumber::SubscriptOutOfRange:
        return Failure{number, QStringLiteral("Subscript out of range")};
    case FailureNumber::TypeMismatch: return Failure{number, QStringLiteral("Type mismatch")};
    case FailureNumber::NotSupported:
        return Failure{number, QStringLiteral("Object doesn't support this property or method")};
    case FailureNumber::WrongArguments:
        return Failure{number,
                       QStringLiteral("Wrong number of arguments or invalid property assignment")};
    case FailureNumber::BadLineCount:
        return Failure{number, QStringLiteral("Типа оно должно быть от 1 до %1").arg(LineModel::Lines)};
    default: return Failure{number, QStringLiteral("Application-defined or object-defined error")};
    }
}

Failure missingElement(qint16 index)
{
    return Failure{FailureNumber::ControlArrayElementMissing,
                   QStringLiteral("Control array element '%1' doesn't exist").arg(index)};
}

// Lines 2 to 20 are made from the design of line 1 and shown at once;
// the first layout numbers them.
LineModel::LineModel(TwipScale scale, QObject *parent)
    : QObject(parent)
    , m_scale(scale)
{
    m_lines.fill(designLine(scale));
}

LineModel::~LineModel() = default;

Result LineModel::setMaxLbl(qint16 n)
{
    if (n < 1 || n > Lines) {
        const Failure f = standardFailure(FailureNumber::BadLineCount);
        return Result::fail(f.number, f.description);
    }
    m_count = n;
    for (int i = 1; i <= Lines; ++i) {
        Line &l = at(i);
        if (i > n) {
            l.text.clear();
            l.backColour = ColourCode::InactiveCaptionText;
        } else if (m_lineSelected.at(slot(i))) {
            l.backColour = ColourCode::Highlight;
            l.foreColour = ColourCode::HighlightText;
        } else {
            l.backColour = ColourCode::CaptionText;
            l.foreColour = ColourCode::WindowText;
        }
        l.visible = i <= n;
        Q_EMIT lineChanged(i);
    }
    layout();
    return {};
}

Result LineModel::MaxLbl() const
{
    return Result::of(QVariant::fromValue(m_count));
}

Result LineModel::setTxtData(qint16 Index, const QString &strData)
{
    if (!exists(Index)) {
        const Failure f = missingElement(Index);
        return Result::fail(f.number, f.description);
    }
    at(Index).text = strData;
    Q_EMIT lineChanged(Index);
    return {};
}

Result LineModel::txtData(qint16 Index) const
{
    if (!exists(Index)) {
        const Failure f = missingElement(Index);
        return Result::fail(f.number, f.description);
    }
    return Result::of(line(Index).text);
}

Result LineModel::setSelection(qint16 Index, bool flag)
{
    if (!exists(Index)) {
        const Failure f = standardFailure(FailureNumber::SubscriptOutOfRange);
        return Result::fail(f.number, f.description);
    }
    m_lineSelected.at(slot(Index)) = flag;
    m_pendingLine = Index;
    highlight(Index, flag);
    return {};
}

Result LineModel::Selection(qint16 Index) const
{
    if (!exists(Index)) {
        const Failure f = standardFailure(FailureNumber::SubscriptOutOfRange);
        return Result::fail(f.number, f.description);
    }
    return Result::of(m_lineSelected.at(slot(Index)));
}

// Resets the colours of every line; the pending line stays, so the next
// click still completes the exchange.
void LineModel::ClearSelection()
{
    for (int i = 1; i <= Lines; ++i) {
        m_lineSelected.at(slot(i)) = false;
        Line &l = at(i);
        l.backColour = ColourCode::CaptionText;
        l.foreColour = ColourCode::WindowText;
        Q_EMIT lineChanged(i);
    }
}

void LineModel::Clear()
{
    for (int i = 1; i <= Lines; ++i) {
        Line &l = at(i);
        l.text.clear();
        m_lineSelected.at(slot(i)) = false;
        l.backColour = ColourCode::CaptionText;
        l.foreColour = ColourCode::WindowText;
        l.visible = i <= m_count;
        Q_EMIT lineChanged(i);
    }
    layout();
}

Result LineModel::Swap(qint16 from, qint16 inTo)
{
    // Both labels are fetched before anything is written.
    for (const qint16 index : {from, inTo}) {
        if (!exists(index)) {
            const Failure f = missingElement(index);
            return Result::fail(f.number, f.description);
        }
    }
    const QString t = line(from).text;
    const QString u = line(inTo).text;
    at(from).text = u;
    Q_EMIT lineChanged(from);
    at(inTo).text = t;
    Q_EMIT lineChanged(inTo);
    for (qint16 i = 1; i <= m_count; ++i)
        setSelection(i, false);
    m_pendingLine = 0;
    // The host's handler runs here and may call back into the control;
    // nothing of ours is touched after it.
    Q_EMIT OverSwap();
    return {};
}

void LineModel::lblData_Click(qint16 Index)
{
    if (!exists(Index))
        return;
    if (m_pendingLine < 1) {
        setSelection(Index, true);
        m_pendingLine = Index;
        Q_EMIT StartSwap(Index);
        return;
    }
    const qint16 p = m_pendingLine;
    setSelection(p, false);
    Swap(p, Index);
}

void LineModel::lblData_MouseMove(qint16 Index)
{
    if (m_pendingLine >= 1 && exists(Index))
        Q_EMIT lblMouseMove(Index);
}

void LineModel::UserControl_Resize(double width, double height)
{
    // Keeps the row arithmetic inside 32 bits whatever a caller passes.
    constexpr double Largest = 1 << 30;
    m_width = std::isfinite(width) ? std::clamp(width, 0.0, Largest) : 0.0;
    m_height = std::isfinite(height) ? std::clamp(height, 0.0, Largest) : 0.0;
    layout();
}

QString LineModel::accessibleName(int index) const
{
    if (index < 1 || index > Lines || !line(index).visible)
        return {};
    return QStringLiteral("Строка %1 из %2: %3").arg(index).arg(m_count).arg(line(index).text);
}

void LineModel::highlight(int index, bool on)
{
    Line &l = at(index);
    l.backColour = on ? ColourCode::Highlight : ColourCode::WindowBackground;
    l.foreColour = on ? ColourCode::HighlightText : ColourCode::WindowText;
    Q_EMIT lineChanged(index);
}

// Rows of equal height from the top; each row advances by the height the
// text label really took after snapping to pixels, so rows never overlap
// or leave gaps. Sizes snap down to whole pixels, and since the whole-twip
// tops can drift by up to half a twip a row, the rows are a pixel lower
// still when the last one would reach into the bottom strip: a strip of at
// least 40 twips stays free at the right and at the bottom. A control too
// small for the strip gets empty labels rather than negative sizes.
void LineModel::layout()
{
    const qint16 n = m_count;
    const float asked = std::max(0.0f, static_cast<float>(m_height - FreeStrip) / n);
    double rowHeight = snapTwipsDown(asked, m_scale.y);
    auto lastBottom = [this, n](double height) {
        qint32 top = 0;
        for (int i = 1; i < n; ++i)
            top = nextTop(top, height);
        return snapTwips(top, m_scale.y) + height;
    };
    while (rowHeight > 0 && lastBottom(rowHeight) > m_height - FreeStrip + 1e-6)
        rowHeight = std::max(0.0, rowHeight - m_scale.y);

    qint32 top = 0;
    for (int i = 1; i <= n; ++i) {
        Line &l = at(i);
        l.number = QString::number(i) + u'.';
        l.numberBox.left = 0;
        l.numberBox.top = snapTwips(top, m_scale.y);
        const double numberWidth = l.numberBox.width;
        l.dataBox.left = snapTwips(numberWidth, m_scale.x);
        l.dataBox.top = snapTwips(top, m_scale.y);
        l.dataBox.width = snapTwipsDown(std::max(0.0, m_width - numberWidth - FreeStrip), m_scale.x);
        l.dataBox.height = rowHeight;
        top = nextTop(top, at(1).dataBox.height);
        Q_EMIT lineChanged(i);
    }
    Q_EMIT laidOut();
}

} // namespace tabulo
