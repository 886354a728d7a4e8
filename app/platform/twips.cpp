#include "platform/twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <cmath>

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
int toPixelsX(int twips) { return int(std::lround(twips / perPixelX())); }
int toPixelsY(int twips) { return int(std::lround(twips / perPixelY())); }
int fromPixelsX(int pixels) { return int(std::lround(pixels * perPixelX())); }
int fromPixelsY(int pixels) { return int(std::lround(pixels * perPixelY())); }

QRect toPixels(int left, int top, int width, int height)
{
    const TwipScale s = scale();
    return QRect(int(std::lround(left / s.x)), int(std::lround(top / s.y)), int(std::lround(width / s.x)),
                 int(std::lround(height / s.y)));
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(toPixels(left, top, width, height));
}

} // namespace Twips

QFont designFont(const QString &family, double pointSize, bool bold)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QLabel *designLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(parent);
    // A caption may carry a teacher's text: shown as written, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace velmora

#include "twips.moc"
