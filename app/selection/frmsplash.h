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

// "Подождите пожалуйста" while a chosen test is unscrambled and loaded.
class frmGdi final : public Form
{
    Q_OBJECT
public:
    explicit frmGdi(Program &program);

    QLabel *Label1 = nullptr;
};

} // namespace velmora
