#include "selection/frmsplash.h"

#include "assets/producticon.h"
#include "program/program.h"
#include "platform/design.h"
#include "version.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

// Sizes a label to its text, keeping the edge its alignment names: a
// right-aligned label grows to the left, so a wider font never pushes its
// text out past its right edge.
void fitToText(QLabel *label)
{
    const QSize size = label->sizeHint();
    const bool keepRight = label->alignment().testFlag(Qt::AlignRight);
    const QPoint topLeft = keepRight ? QPoint(label->geometry().right() + 1 - size.width(), label->y()) : label->pos();
    label->setGeometry(QRect(topLeft, size));
}

void setTextFitted(QLabel *label, const QString &text)
{
    label->setText(text);
    fitToText(label);
}

// A label that sizes itself to its text, again whenever its font changes.
class AutoSizeLabel final : public QLabel
{
public:
    AutoSizeLabel(QWidget *parent, Qt::Alignment alignment)
        : QLabel(parent)
    {
        setTextFormat(Qt::PlainText);
        setAlignment(alignment | Qt::AlignTop);
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange)
            fitToText(this);
    }
};

// The splash window's design. The controls inside the frame give their
// boxes in the window's coordinates.
constexpr FontDesign ProductNameFont{u"Times New Roman", 20.4, true};
constexpr FontDesign VersionFont{u"Arial", 12, true};
constexpr FontDesign PlatformFont{u"Arial", 15.6, true};
using C = frmSplash::Control;
constexpr ControlDesign<C> Design[] = {
    {ControlKind::Frame, C::Frame1, u"", 150, 60, 7080, 4050},
    {ControlKind::Picture, C::imgLogo, u"", 360, 795, 1815, 2385, -1, nullptr, C::Frame1},
    {ControlKind::Custom, C::lblProductName, u"", 2340, 1170, 4665, 465, -1, &ProductNameFont, C::Frame1},
    {ControlKind::Custom, C::lblVersion, u"", 5970, 2700, 885, 285, -1, &VersionFont, C::Frame1},
    {ControlKind::Custom, C::lblPlatform, u"", 3555, 2340, 3300, 360, -1, &PlatformFont, C::Frame1},
};

} // namespace

frmSplash::frmSplash(Program &program)
    : Form(program.forms())
{
    // No caption, no control box, not in the taskbar.
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setClientSizeTwips(7380, 4236);
    setKeyPreview(true);

    // The labels that size themselves: the product's name from the left,
    // the version and the platform from the right.
    const auto controls = buildDesign(this, Design, [](C control, QWidget *parent) {
        return new AutoSizeLabel(parent, control == C::lblProductName ? Qt::AlignLeft : Qt::AlignRight);
    });
    Frame1 = controls.get<QFrame>(C::Frame1);
    Frame1->installEventFilter(this);
    imgLogo = controls.get<QLabel>(C::imgLogo);
    // The 16-colour icon stretched to the picture's box, pixel by pixel:
    // smoothing would blur it into colours it does not have.
    imgLogo->setPixmap(productPixmap(32).scaled(imgLogo->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    imgLogo->setAccessibleName(AppTitle);
    lblProductName = controls.get<QLabel>(C::lblProductName);
    lblVersion = controls.get<QLabel>(C::lblVersion);
    lblPlatform = controls.get<QLabel>(C::lblPlatform);
    setTextFitted(lblPlatform, u"Platform: Windows 9x"_s);

    setWindowIcon(productIcon());
    centreOnScreen();
}

void frmSplash::Form_Load()
{
    setTextFitted(lblVersion, u"Version "_s + QString::number(VersionMajor) + u'.' + QString::number(VersionMinor)
                                  + u'.' + QString::number(VersionRevision));
    setTextFitted(lblProductName, AppTitle);
}

// Any key that types a character closes the splash; keys without one do not.
void frmSplash::Form_KeyPress(int & /*KeyAscii*/)
{
    unloadMe();
}

void frmSplash::Frame1_Click()
{
    unloadMe();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && Frame1->rect().contains(mouse->position().toPoint())) {
            Frame1_Click();
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

} // namespace velmora
