#pragma once

#include "platform/forms.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace velmora {

class Program;

// The window in which the pupil picks a test from the titles of the tests
// in the program's folder.
class frmStart final : public Form
{
    Q_OBJECT
public:
    // Why the window is loaded: for the pupil to choose a test, or only
    // along the teacher's authoring path, where a folder without any test
    // yet is where the first one is written.
    enum class Purpose { Choosing, Authoring };
    // The controls of the window's design.
    enum class Control { Label1, List1, Command1, Command2 };
    Q_ENUM(Control)

    explicit frmStart(Program &program, Purpose purpose = Purpose::Choosing);

    void Form_Load() override;
    void Command1_Click(); // OK
    void Command2_Click(); // Отмена
    void List1_DblClick();

    // Entry i of List1 shows the title of the file TestFileNames()[i].
    const QStringList &TestFileNames() const { return m_testFileNames; }

    QLabel *Label1 = nullptr;
    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

private:
    void returnToSelection();

    Program &m_program;
    Purpose m_purpose;
    QStringList m_testFileNames;
    QList<QByteArray> m_nativeNames; // the same names as the system has them: OK opens these
};

} // namespace velmora
