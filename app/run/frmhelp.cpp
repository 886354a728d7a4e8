#include "run/frmhelp.h"

#include "assets/helppage.h"
#include "platform/design.h"
#include "platform/runtime.h"
#include "platform/twips.h"
#include "program/program.h"
#include "run/mainlayout.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// The window's design. The picture takes the page's size and OK its place
// when the window loads.
using C = frmHelp::Control;
constexpr ControlDesign<C> Design[] = {
    {ControlKind::Picture, C::Image1, u"", 0, 0, 0, 0},
    {ControlKind::Button, C::cmdOk, u"OK", 0, 0, 1320, 420, 0},
};

} // namespace

frmHelp::frmHelp(Program &program)
    : Form(program.forms())
{
    setWindowTitle(u"Помощь"_s);
    // A fixed tool window without close, minimize or maximize buttons: OK
    // is the way out. Not in the taskbar.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setClientSizeTwips(7908, 6732);

    const auto controls = buildDesign(this, Design);
    // The page at its natural pixel size, never stretched.
    Image1 = controls.get<QLabel>(C::Image1);
    const QPixmap page = helpPagePixmap();
    Image1->setPixmap(page);
    Image1->resize(page.size());
    // A screen reader reads the page the picture shows.
    Image1->setAccessibleName(helpPageText());
    Image1->setAccessibleDescription(helpPageLines().join(u'\n'));

    cmdOk = controls.get<QPushButton>(C::cmdOk);
    cmdOk->setDefault(true);
    setDefaultButton(cmdOk);
    setCancelButton(cmdOk);
    connect(cmdOk, &QPushButton::clicked, this, handler(this, &frmHelp::cmdOk_Click));
}

void frmHelp::Form_Load()
{
    // The outer size changes by picture − client, the borders stay: the
    // client area takes the picture's size. The picture keeps its pixel
    // size at every resolution, so this is done in pixels.
    setFixedSize(Image1->size());

    // OK centred, 500 twips above the bottom edge.
    const int scaleWidth = Twips::fromPixelsX(width());
    const int scaleHeight = Twips::fromPixelsY(height());
    const int okWidth = Twips::fromPixelsX(cmdOk->width());
    const int okHeight = Twips::fromPixelsY(cmdOk->height());
    const int left = int(roundHalfEven(scaleWidth - okWidth)) / 2;
    const int top = scaleHeight - okHeight - 500;
    cmdOk->move(Twips::toPixelsX(left), Twips::toPixelsY(top));
    cmdOk->setFocus();
    centreOnScreen();
}

void frmHelp::cmdOk_Click()
{
    unloadMe();
}

} // namespace velmora
