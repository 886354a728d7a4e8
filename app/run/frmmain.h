#pragma once

#include "platform/forms.h"
#include "platform/imagelist.h"
#include "program/modechoice.h"
#include "run/mainlayout.h"
#include "run/moveentry.h"
#include "run/testrun.h"

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class Program;
class StatusBar;
class TabuloList;

// The window in which the pupil works through a test: the task's text, its
// lines in the list control, the move box, the Done button and the status
// bar. The rules live in TestRun, MoveEntry and the layout pass; this window
// wires its controls to them.
class frmMain final : public Form, public ModeChoice
{
    Q_OBJECT
public:
    explicit frmMain(Program &program);
    ~frmMain() override;

    // The teacher keys, with exactly Shift and Alt held: the correct order
    // into the list, and one more point.
    static constexpr int AnswerKey = 'O';
    static constexpr int PointKey = 'B';

    void setRegim(bool hintsOn) override { m_run.Regim = hintsOn; }
    bool Regim() const { return m_run.Regim; }
    const TestRun &run() const { return m_run; }
    const MoveEntry &entry() const { return *m_entry; }

    void Form_Load() override;
    void Form_Activate() override;
    bool Form_QueryUnload(UnloadMode mode) override;
    void Form_Unload() override;
    void Form_Resize() override;
    void Form_KeyUp(int KeyCode, int Shift) override;

    void cmdGotovo_Click();
    void cmdChangeTest_Click();
    void cmdExit_Click();
    void cmdHelp_Click();
    void txtChange_KeyPress(int &KeyAscii);
    void myControl1_StartSwap(qint16 from);
    void myControl1_lblMouseMove(qint16 Index);
    void myControl1_OverSwap();

    QLabel *lblZadZ = nullptr;
    QLabel *lblZad = nullptr;
    QPushButton *cmdGotovo = nullptr;
    QPushButton *cmdChangeTest = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdHelp = nullptr;
    QLineEdit *txtChange = nullptr;
    QLabel *lblChange = nullptr;
    TabuloList *myControl1 = nullptr;
    StatusBar *sbr = nullptr;
    velmora::ImageList ImageList; // "Red" and "Green", the mode pictures

private:
    // The controls of the design that the window makes itself: the move
    // box, the list control, the status bar.
    QWidget *makeControl(MainControl control, QWidget *parent);
    void ShowTask();
    // The correct order of the task on screen, into the list.
    void showCorrectOrder();
    bool answerIsCorrect();
    void setPanelText(const QString &key, const QString &text);
    void dockStatusBar();

    // The window as its layout pass, and the move box and list as the move
    // entry, see them.
    class Layout;
    class EntryBox;
    class EntryTarget;
    friend class Layout;
    friend class EntryBox;
    friend class EntryTarget;

    Program &m_program;
    TestRun m_run;
    std::unique_ptr<Layout> m_layout;
    std::unique_ptr<EntryBox> m_box;
    std::unique_ptr<EntryTarget> m_target;
    std::unique_ptr<MoveEntry> m_entry;
};

} // namespace velmora
