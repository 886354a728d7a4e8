#include "selection/frmsplash.h"

#include "program/formnames.h"
#include "assets/producticon.h"
#include "program/program.h"
#include "platform/twips.h"
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
    AutoSizeLabel(QWidget *parent, const QString &name, const QFont &font, Qt::Alignment alignment)
        : QLabel(parent)
    {
        setObjectName(name);
        setAlignment(alignment | Qt::AlignTop);
        setFont(font);
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange)
            fitToText(this);
    }
};

} // namespace

frmSplash::frmSplash(Program &program)
    : Form(program.forms(), FormName::frmSplash)
{
    // No caption, no control box, not in the taskbar.
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setClientSizeTwips(7380, 4236);
    setKeyPreview(true);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(u"Frame1"_s);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    Twips::place(Frame1, 150, 60, 7080, 4050);
    Frame1->installEventFilter(this);

    // The children below sit in the frame; their design boxes are given in
    // the window's coordinates, so they are placed relative to the frame.
    const QPoint frameOrigin = Frame1->pos();
    auto placeInFrame = [frameOrigin](QWidget *widget, int left, int top, int width, int height) {
        Twips::place(widget, left, top, width, height);
        widget->move(widget->pos() - frameOrigin);
    };

    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(u"imgLogo"_s);
    placeInFrame(imgLogo, 360, 795, 1815, 2385);
    // The 16-colour icon stretched to the picture's box, pixel by pixel:
    // smoothing would blur it into colours it does not have.
    imgLogo->setPixmap(productPixmap(32).scaled(imgLogo->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    imgLogo->setAccessibleName(QString::fromLatin1(AppTitle));

    lblProductName = new AutoSizeLabel(Frame1, u"lblProductName"_s, designFont(u"Times New Roman"_s, 20.4, true),
                                       Qt::AlignLeft);
    placeInFrame(lblProductName, 2340, 1170, 4665, 465);

    lblVersion = new AutoSizeLabel(Frame1, u"lblVersion"_s, designFont(u"Arial"_s, 12, true), Qt::AlignRight);
    placeInFrame(lblVersion, 5970, 2700, 885, 285);

    lblPlatform = new AutoSizeLabel(Frame1, u"lblPlatform"_s, designFont(u"Arial"_s, 15.6, true), Qt::AlignRight);
    placeInFrame(lblPlatform, 3555, 2340, 3300, 360);
    setTextFitted(lblPlatform, u"Platform: Windows 9x"_s);

    setWindowIcon(productIcon());
    centreOnScreen();
}

void frmSplash::Form_Load()
{
    setTextFitted(lblVersion, u"Version "_s + QString::number(VersionMajor) + u'.' + QString::number(VersionMinor)
                                  + u'.' + QString::number(VersionRevision));
    setTextFitted(lblProductName, QString::fromLatin1(AppTitle));
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

frmGdi::frmGdi(Program &program)
    : Form(program.forms(), FormName::frmGdi)
{
    // A tool window without caption or control box, not in the taskbar.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setClientSizeTwips(2556, 1236);
    setCursor(Qt::WaitCursor);

    auto *border = new QFrame(this);
    border->setFrameShape(QFrame::Box);
    border->setGeometry(rect());

    Label1 = new QLabel(u"Подождите пожалуйста"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Twips::place(Label1, 90, 450, 2400, 690);

    centreOnScreen();
}

} // namespace velmora
