#pragma once

#include "platform/forms.h"
#include "run/testrun.h"

class QLabel;
class QPushButton;

namespace velmora {

class ListView;
class Program;

// The results of a test: the end message and one row per task. Loaded
// hidden by the first row and filled while the pupil works; shown modally
// at the end.
class frmOutRez final : public Form
{
    Q_OBJECT
public:
    // The controls of the window's design.
    enum class Control { lblOut, lswOut, cmdOk };
    Q_ENUM(Control)

    explicit frmOutRez(Program &program);

    // A row of lswOut: the task's position in the run, its number in the
    // test, "Да" or "Нет".
    void addRow(const TestRun::Row &row);
    void cmdOk_Click();

    QLabel *lblOut = nullptr;
    ListView *lswOut = nullptr;
    QPushButton *cmdOk = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Program &m_program;
};

} // namespace velmora
