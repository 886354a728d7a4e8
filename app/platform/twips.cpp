#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace velmora {
namespace {

// The application's scale, a child of the application object: it goes
// with it, and a new application takes the screen's anew.
class ScaleHolder final : public QObject
{
    Q_OBJECT

public:
    ScaleHolder(QObject *application, TwipScale scale)
        : QObject(application)
        , m_scale(scale)
    {
    }
    TwipScale m_scale;
};

TwipScale fromPrimaryScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return TwipScale{};
    return TwipScale::fromDpi(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

ScaleHolder *holder()
{
    QObject *application = QCoreApplication::instance();
    if (!application)
        return nullptr;
    auto *held = application->findChild<ScaleHolder *>(QString(), Qt::FindDirectChildrenOnly);
    return held ? held : new ScaleHolder(application, fromPrimaryScreen());
}

} // namespace

namespace Twips {

TwipScale scale()
{
    const ScaleHolder *held = holder();
    return held ? held->m_scale : TwipScale{};
}

void setScale(TwipScale scale)
{
    if (ScaleHolder *held = holder())
        held->m_scale = scale;
}

double perPixelX() { return scale().x; }
double perPixelY() { return scale().y; }
int toPixelsX(int twips) { return screenrules::twipsToPixels(twips, perPixelX()); }
int toPixelsY(int twips) { return screenrules::twipsToPixels(twips, perPixelY()); }
int fromPixelsX(int pixels) { return screenrules::pixelsToTwips(pixels, perPixelX()); }
int fromPixelsY(int pixels) { return screenrules::pixelsToTwips(pixels, perPixelY()); }

QRect toPixels(int left, int top, int width, int height)
{
    return screenrules::twipsToPixelRect(left, top, width, height, scale());
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(toPixels(left, top, width, height));
}

} // namespace Twips

} // namespace velmora

#include "twips.moc"
