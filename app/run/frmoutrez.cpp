#include "run/frmoutrez.h"

#include "platform/listview.h"
#include "platform/runtime.h"
#include "platform/twips.h"
#include "program/formnames.h"
#include "program/program.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmora {

frmOutRez::frmOutRez(Program &program)
    : Form(program.forms(), FormName::frmOutRez)
    , m_program(program)
{
    setWindowTitle(u"Результаты"_s);
    // A fixed tool window with a close button: not in the taskbar.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setClientSizeTwips(5388, 4836);

    lblOut = designLabel(this, u"lblOut"_s, u"Label1"_s);
    lblOut->setFont(designFont(u"MS Sans Serif"_s, 12, false));
    Twips::place(lblOut, 0, 45, 5370, 1590);

    lswOut = new ListView(this);
    lswOut->setObjectName(u"lswOut"_s);
    lswOut->setAccessibleName(u"Результаты"_s);
    lswOut->addColumn(u"Number"_s, u"Номер задания"_s, 1739);
    lswOut->addColumn(u"NumZad"_s, u"Номер задачи"_s, 1739);
    lswOut->addColumn(u"Ver"_s, u"Решено верно"_s, 1739);
    Twips::place(lswOut, 0, 1620, 5370, 2760);

    cmdOk = new QPushButton(u"OK"_s, this);
    cmdOk->setObjectName(u"cmdOk"_s);
    cmdOk->setAutoDefault(false); // Enter on the focused button: see Form
    Twips::place(cmdOk, 2070, 4455, 1320, 375);

    setTabOrder(lswOut, cmdOk);
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
    if (Form *owner = m_program.forms().loaded(FormName::frmMain)) {
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
