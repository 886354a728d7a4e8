#pragma once

#include "platform/forms.h"

class QFrame;
class QLabel;

namespace velmora {

class Program;

// Shows the product's name and version while the program starts.
class frmSplash final : public Form
{
    Q_OBJECT
public:
    // The controls of the window's design.
    enum class Control { Frame1, imgLogo, lblProductName, lblVersion, lblPlatform };
    Q_ENUM(Control)

    explicit frmSplash(Program &program);

    void Form_Load() override;
    void Form_KeyPress(int &KeyAscii) override;
    void Frame1_Click();

    QFrame *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblPlatform = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace velmora
