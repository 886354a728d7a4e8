#include "run/frmoutrez.h"

#include "platform/design.h"
#include "platform/listview.h"
#include "platform/runtime.h"
#include "program/formnames.h"
#include "program/program.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// The window's design: its controls, their kinds and captions, their boxes
// in twips (left, top, width, height), tab indices and fonts.
constexpr FontDesign MessageFont{u"MS Sans Serif", 12, false};
using C = frmOutRez::Control;
constexpr ControlDesign<C> Design[] = {
    {ControlKind::Label, C::lblOut, u"Label1", 0, 45, 5370, 1590, 2, &MessageFont},
    {ControlKind::ListView, C::lswOut, u"", 0, 1620, 5370, 2760, 0},
    {ControlKind::Button, C::cmdOk, u"OK", 2070, 4455, 1320, 375, 1},
};

} // namespace

frmOutRez::frmOutRez(Program &program)
    : Form(program.forms())
    , m_program(program)
{
    setWindowTitle(u"Результаты"_s);
    // A fixed tool window with a close button: not in the taskbar.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setClientSizeTwips(5388, 4836);

    const auto controls = buildDesign(this, Design);
    lblOut = controls.get<QLabel>(C::lblOut);
    lswOut = controls.get<ListView>(C::lswOut);
    lswOut->setAccessibleName(u"Результаты"_s);
    lswOut->addColumn(u"Number"_s, u"Номер задания"_s, 1739);
    lswOut->addColumn(u"NumZad"_s, u"Номер задачи"_s, 1739);
    lswOut->addColumn(u"Ver"_s, u"Решено верно"_s, 1739);
    cmdOk = controls.get<QPushButton>(C::cmdOk);

    connect(cmdOk, &QPushButton::clicked, this, handler(this, &frmOutRez::cmdOk_Click));
}

void frmOutRez::addRow(const TestRun::Row &row)
{
    ListItem item = lswOut->add();
    item.setText(QString::number(row.number));
    item.setSubItem(1, QString::number(row.task));
    item.setSubItem(2, row.correct ? u"Да"_s : u"Нет"_s);
}

void frmOutRez::cmdOk_Click()
{
    unloadMe();
}

void frmOutRez::showEvent(QShowEvent *event)
{
    // Centred over the main window it reports on.
    if (Form *owner = m_program.forms().loaded<frmMain, Form>()) {
        QRect frame(QPoint(0, 0), frameGeometry().size());
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    } else {
        centreOnScreen();
    }
    Form::showEvent(event);
    cmdOk->setFocus();
}

} // namespace velmora
