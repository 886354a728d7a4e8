#include "selection/frmgdi.h"

#include "platform/design.h"
#include "program/program.h"

#include <QFrame>
#include <QLabel>

namespace velmora {

namespace {

// The wait window's design.
using C = frmGdi::Control;
constexpr ControlDesign<C> Design[] = {
    {ControlKind::Label, C::Label1, u"Подождите пожалуйста", 90, 450, 2400, 690},
};

} // namespace

frmGdi::frmGdi(Program &program)
    : Form(program.forms())
{
    // A tool window without caption or control box, not in the taskbar.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setClientSizeTwips(2556, 1236);
    setCursor(Qt::WaitCursor);

    auto *border = new QFrame(this);
    border->setFrameShape(QFrame::Box);
    border->setGeometry(rect());

    Label1 = buildDesign(this, Design).get<QLabel>(C::Label1);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    centreOnScreen();
}

} // namespace velmora
