#include "platform/statusbar.h"

#include "platform/twips.h"

#include <QPaintEvent>
#include <QPainter>
#include <QtMath>
#include <QTimer>

namespace velmora {
namespace {

QFrame::Shape shapeOf(PanelBevel bevel)
{
    return bevel == PanelBevel::None ? QFrame::NoFrame : QFrame::Panel;
}

QFrame::Shadow shadowOf(PanelBevel bevel)
{
    return bevel == PanelBevel::Raised ? QFrame::Raised : QFrame::Sunken;
}

constexpr int PictureGap = 2; // pixels between a panel's picture and its text
constexpr int MsecsPerMinute = 60 * 1000;

} // namespace

Panel::Panel(const PanelDesign &design, QWidget *parent)
    : QLabel(parent)
    , m_design(design)
    , m_clock(&QTime::currentTime)
{
    setObjectName(design.key);
    setFrameShape(shapeOf(design.bevel));
    setFrameShadow(shadowOf(design.bevel));
    setAlignment(design.alignment | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
    setMargin(1);

    const int minWidth = Twips::toPixelsX(design.minWidthTwips);
    switch (design.autoSize) {
    case PanelAutoSize::None:
        setFixedWidth(Twips::toPixelsX(design.widthTwips));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        break;
    case PanelAutoSize::Spring:
        // The text never widens a spring panel: only the bar's width does.
        setMinimumWidth(minWidth);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        break;
    case PanelAutoSize::Contents:
        // The layout gives a fixed-policy label its text's width, held at
        // the minimum.
        setMinimumWidth(minWidth);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        break;
    }

    if (design.style == PanelStyle::Time) {
        m_minuteTimer = new QTimer(this);
        m_minuteTimer->setSingleShot(true);
        m_minuteTimer->setTimerType(Qt::PreciseTimer);
        connect(m_minuteTimer, &QTimer::timeout, this, &Panel::showTime);
        showTime();
    }
}

QString Panel::clockText(QTime time)
{
    return time.isValid() ? time.toString(QStringLiteral("h:mm")) : QString();
}

void Panel::setClock(std::function<QTime()> clock)
{
    m_clock = clock ? std::move(clock) : std::function<QTime()>(&QTime::currentTime);
    if (m_design.style == PanelStyle::Time)
        showTime();
}

void Panel::showTime()
{
    const QTime now = m_clock();
    setText(clockText(now));
    // Wake just after the next minute begins.
    const int intoMinute = now.isValid() ? now.second() * 1000 + now.msec() : 0;
    m_minuteTimer->start(MsecsPerMinute - intoMinute + 50);
}

void Panel::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    setIndent(m_picture.isNull() ? -1 : pictureRect().width() + PictureGap);
    update();
}

double Panel::pictureScale() const
{
    // At its own size, scaled down to the panel's height.
    const int height = m_picture.height();
    return height > contentsRect().height() ? contentsRect().height() / double(height) : 1.0;
}

QRect Panel::pictureRect() const
{
    if (m_picture.isNull())
        return {};
    const QRect area = contentsRect();
    const double scale = pictureScale();
    // Cut at the panel's width, centred in its height.
    QRect rect(0, 0, qMin(qRound(m_picture.width() * scale), area.width()), qRound(m_picture.height() * scale));
    rect.moveCenter(area.center());
    rect.moveLeft(area.left());
    return rect;
}

void Panel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    if (!m_picture.isNull())
        setIndent(pictureRect().width() + PictureGap);
}

void Panel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (m_picture.isNull())
        return;
    const QRect target = pictureRect();
    if (target.isEmpty())
        return;
    // Scaled here and drawn pixel for pixel, within what the event asks
    // for: the painter's own scaling overflows far down a window tens of
    // thousands of pixels tall.
    const double scale = pictureScale();
    const QRect source(0, 0, qMin(m_picture.width(), qCeil(target.width() / scale)),
                       qMin(m_picture.height(), qCeil(target.height() / scale)));
    const qreal ratio = devicePixelRatioF();
    QPixmap shown = m_picture.copy(source).scaled((QSizeF(target.size()) * ratio).toSize());
    shown.setDevicePixelRatio(ratio);
    QPainter painter(this);
    painter.setClipRect(event->rect() & contentsRect());
    painter.drawPixmap(target.topLeft(), shown);
}

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("sbr"));
}

Panel *StatusBar::addPanel(const PanelDesign &design)
{
    auto *added = new Panel(design, this);
    addWidget(added, design.autoSize == PanelAutoSize::Spring ? 1 : 0);
    m_panels.append(added);
    return added;
}

Panel *StatusBar::panel(const QString &key) const
{
    for (Panel *each : m_panels)
        if (each->key() == key)
            return each;
    return nullptr;
}

int StatusBar::heightTwips() const
{
    return Twips::fromPixelsY(isVisible() ? height() : sizeHint().height());
}

} // namespace velmora
