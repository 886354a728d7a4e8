#pragma once

#include "platform/forms.h"

class QLabel;
class QPushButton;

namespace velmora {

class Program;

// Asks the pupil, once a test has loaded, to work with hints (the green
// button) or without (the red one), and hands over to the main window.
class frmRegim final : public Form
{
    Q_OBJECT
public:
    // The controls of the window's design.
    enum class Control { Label1, Label2, Label3, Command1, Command2 };
    Q_ENUM(Control)

    explicit frmRegim(Program &program);

    void Command1_Click(); // green: hints on
    void Command2_Click(); // red: hints off
    void Form_Unload() override;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

private:
    void choose(bool hintsOn);

    Program &m_program;
    bool m_chosen = false;
};

} // namespace velmora
