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

// A label that sizes itself to its text from its design position.
QLabel *autoSizeLabel(QWidget *parent, const QString &name, const QFont &font, Qt::Alignment alignment)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignTop);
    return label;
}

void fitToText(QLabel *label)
{
    label->resize(label->sizeHint());
}

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
    imgLogo->setScaledContents(true);
    imgLogo->setPixmap(productPixmap(32));
    placeInFrame(imgLogo, 360, 795, 1815, 2385);

    lblProductName = autoSizeLabel(Frame1, u"lblProductName"_s, designFont(u"Times New Roman"_s, 20.4, true),
                                   Qt::AlignLeft);
    placeInFrame(lblProductName, 2340, 1170, 4665, 465);

    lblVersion = autoSizeLabel(Frame1, u"lblVersion"_s, designFont(u"Arial"_s, 12, true), Qt::AlignRight);
    placeInFrame(lblVersion, 5970, 2700, 885, 285);

    lblPlatform = autoSizeLabel(Frame1, u"lblPlatform"_s, designFont(u"Arial"_s, 15.6, true), Qt::AlignRight);
    lblPlatform->setText(u"Platform: Windows 9x"_s);
    placeInFrame(lblPlatform, 3555, 2340, 3300, 360);
    fitToText(lblPlatform);

    setWindowIcon(productIcon());
    centreOnScreen();
}

void frmSplash::Form_Load()
{
    lblVersion->setText(u"Version "_s + QString::number(VersionMajor) + u'.' + QString::number(VersionMinor) + u'.'
                        + QString::number(VersionRevision));
    fitToText(lblVersion);
    lblProductName->setText(QString::fromLatin1(AppTitle));
    fitToText(lblProductName);
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
