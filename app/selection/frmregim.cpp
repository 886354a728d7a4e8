#include "selection/frmregim.h"

#include "platform/runtime.h"
#include "platform/twips.h"
#include "program/formnames.h"
#include "program/modechoice.h"
#include "program/program.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// A button without a caption, in one colour: its accessible name says what
// it chooses, and a thick border shows when it has the keyboard focus.
QPushButton *colourButton(QWidget *parent, const QString &name, const QString &meaning, const QColor &colour)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(meaning);
    button->setToolTip(meaning);
    button->setAutoDefault(false); // Enter on the focused button: see Form
    button->setStyleSheet(u"QPushButton { background-color: %1; border: 1px solid black; }"
                          "QPushButton:focus { border: 3px solid black; }"_s.arg(colour.name()));
    return button;
}

} // namespace

frmRegim::frmRegim(Program &program)
    : Form(program.forms(), FormName::frmRegim)
    , m_program(program)
{
    setWindowTitle(u"Выбор режима"_s);
    // A fixed dialog without a control box: no close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setClientSizeTwips(4644, 1536);

    Label1 = designLabel(this, u"Label1"_s, u"Выберите режим работы"_s);
    Twips::place(Label1, 90, 0, 4425, 510);
    Label2 = designLabel(this, u"Label2"_s, u"С подсказками"_s);
    Twips::place(Label2, 90, 585, 2265, 465);
    Label3 = designLabel(this, u"Label3"_s, u"Без подсказок"_s);
    Twips::place(Label3, 2385, 585, 2220, 420);

    Command1 = colourButton(this, u"Command1"_s, u"С подсказками"_s, QColor(0, 192, 0));
    Twips::place(Command1, 23, 1035, 2265, 465);
    Command2 = colourButton(this, u"Command2"_s, u"Без подсказок"_s, QColor(255, 0, 0));
    Twips::place(Command2, 2363, 1035, 2265, 465);
    Label2->setBuddy(Command1);
    Label3->setBuddy(Command2);

    setTabOrder(Command1, Command2);
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
    Form *main = m_program.forms().loaded(FormName::frmMain);
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
    forms.unload(FormName::frmMain);
    if (Form *start = forms.load(FormName::frmStart))
        start->showModeless();
}

} // namespace velmora
