#pragma once

#include "platform/forms.h"

class QLabel;
class QPushButton;

namespace velmora {

class Program;

// The help page: one picture of instructions and OK. Opened modally by
// the main window's "Помощь"; OK, Esc or Enter unload it.
class frmHelp final : public Form
{
    Q_OBJECT
public:
    // The controls of the window's design.
    enum class Control { Image1, cmdOk };
    Q_ENUM(Control)

    explicit frmHelp(Program &program);

    void Form_Load() override;
    void cmdOk_Click();

    QLabel *Image1 = nullptr;
    QPushButton *cmdOk = nullptr;
};

} // namespace velmora
