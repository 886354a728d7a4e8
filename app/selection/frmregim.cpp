#include "selection/frmregim.h"

#include "platform/design.h"
#include "platform/runtime.h"
#include "program/formnames.h"
#include "program/modechoice.h"
#include "program/program.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// The window's design: its controls, their kinds and captions, their boxes
// in twips (left, top, width, height) and tab indices.
using C = frmRegim::Control;
constexpr ControlDesign<C> Design[] = {
    {ControlKind::Label, C::Label1, u"Выберите режим работы", 90, 0, 4425, 510},
    {ControlKind::Label, C::Label2, u"С подсказками", 90, 585, 2265, 465},
    {ControlKind::Label, C::Label3, u"Без подсказок", 2385, 585, 2220, 420},
    {ControlKind::Button, C::Command1, u"", 23, 1035, 2265, 465, 2},
    {ControlKind::Button, C::Command2, u"", 2363, 1035, 2265, 465, 4},
};

// A button without a caption, in one colour: its accessible name says what
// it chooses, and a thick border shows when it has the keyboard focus.
void colourButton(QPushButton *button, const QString &meaning, const QColor &colour)
{
    button->setAccessibleName(meaning);
    button->setToolTip(meaning);
    button->setStyleSheet(u"QPushButton { background-color: %1; border: 1px solid black; }"
                          "QPushButton:focus { border: 3px solid black; }"_s.arg(colour.name()));
}

} // namespace

frmRegim::frmRegim(Program &program)
    : Form(program.forms())
    , m_program(program)
{
    setWindowTitle(u"Выбор режима"_s);
    // A fixed dialog without a control box: no close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setClientSizeTwips(4644, 1536);

    const auto controls = buildDesign(this, Design);
    Label1 = controls.get<QLabel>(C::Label1);
    Label2 = controls.get<QLabel>(C::Label2);
    Label3 = controls.get<QLabel>(C::Label3);
    Command1 = controls.get<QPushButton>(C::Command1);
    Command2 = controls.get<QPushButton>(C::Command2);
    colourButton(Command1, Label2->text(), QColor(0, 192, 0));
    colourButton(Command2, Label3->text(), QColor(255, 0, 0));
    Label2->setBuddy(Command1);
    Label3->setBuddy(Command2);

    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, handler(this, &frmRegim::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, handler(this, &frmRegim::Command2_Click));
    centreOnScreen();
}

void frmRegim::Command1_Click()
{
    choose(true);
}

void frmRegim::Command2_Click()
{
    choose(false);
}

void frmRegim::choose(bool hintsOn)
{
    Form *main = m_program.forms().loaded<frmMain, Form>();
    if (auto *mode = dynamic_cast<ModeChoice *>(main))
        mode->setRegim(hintsOn);
    m_chosen = true;
    unloadMe();
    if (main)
        main->showModeless();
}

void frmRegim::Form_Unload()
{
    if (m_chosen)
        return;
    // Closed without a choice (the system's close key): the main window,
    // loaded and hidden behind this one, goes too, and the pupil is back at
    // the choice of a test rather than left with nothing on screen.
    Forms &forms = m_program.forms();
    forms.unload<frmMain>();
    if (Form *start = forms.load<frmStart, Form>())
        start->showModeless();
}

} // namespace velmora
