#pragma once

#include "platform/forms.h"

class QLabel;

namespace velmora {

class Program;

// "Подождите пожалуйста" while a chosen test is unscrambled and loaded.
class frmGdi final : public Form
{
    Q_OBJECT
public:
    // The controls of the window's design.
    enum class Control { Label1 };
    Q_ENUM(Control)

    explicit frmGdi(Program &program);

    QLabel *Label1 = nullptr;
};

} // namespace velmora
