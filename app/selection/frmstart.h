#pragma once

#include "platform/forms.h"

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
    explicit frmStart(Program &program);

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
    QStringList m_testFileNames;
};

} // namespace velmora
