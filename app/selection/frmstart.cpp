#include "selection/frmstart.h"

#include "platform/core/nativefiles.h"
#include "platform/design.h"
#include "platform/runtime.h"
#include "program/formnames.h"
#include "program/program.h"
#include "selection/testcatalog.h"
#include "testdata/temporarycopy.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// The window's design: its controls, their kinds and captions, their boxes
// in twips (left, top, width, height) and tab indices.
using C = frmStart::Control;
constexpr ControlDesign<C> Design[] = {
    {ControlKind::Label, C::Label1, u"Выберите тест из списка и нажмиете ок", 90, 45, 3210, 465},
    {ControlKind::ListBox, C::List1, u"", 45, 585, 3255, 2352, 1},
    {ControlKind::Button, C::Command1, u"OK", 3375, 45, 1230, 465, 2},
    {ControlKind::Button, C::Command2, u"Отмена", 3375, 540, 1230, 465, 3},
};

} // namespace

frmStart::frmStart(Program &program, Purpose purpose)
    : Form(program.forms())
    , m_program(program)
    , m_purpose(purpose)
{
    setWindowTitle(u"Выбор теста"_s);
    // A fixed tool window: no minimise or maximise button, not resizable.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setClientSizeTwips(4680, 3192);

    const auto controls = buildDesign(this, Design);
    Label1 = controls.get<QLabel>(C::Label1);
    List1 = controls.get<QListWidget>(C::List1);
    List1->setAccessibleName(Label1->text()); // a screen reader names the list by the caption above it
    // OK is the default button: Enter in the list presses it. A focused
    // button takes Enter itself (see Form).
    Command1 = controls.get<QPushButton>(C::Command1);
    Command1->setAutoDefault(true);
    Command1->setDefault(true);
    setDefaultButton(Command1);
    Command2 = controls.get<QPushButton>(C::Command2);
    setCancelButton(Command2);
    List1->setFocus();

    connect(Command1, &QPushButton::clicked, this, handler(this, &frmStart::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, handler(this, &frmStart::Command2_Click));
    connect(List1, &QListWidget::itemDoubleClicked, this, handler(this, &frmStart::List1_DblClick));

    centreOnScreen();
}

void frmStart::Form_Load()
{
    List1->clear();
    m_testFileNames.clear();
    m_nativeNames.clear();

    // Relative paths resolve in the program's folder from here on.
    QDir::setCurrent(m_program.folder());
    const TestListing listing = listTests(m_program.folder());
    for (const TestEntry &entry : listing.entries) {
        m_testFileNames << entry.fileName;
        m_nativeNames << entry.nativeName;
        List1->addItem(entry.title);
    }
    if (listing.failure) {
        m_program.msgBox(u"Error: "_s + QString::number(listing.failure->number) + u"    "_s
                         + listing.failure->description);
        return;
    }
    if (!listing.entries.isEmpty()) {
        List1->setCurrentRow(0);
        return;
    }
    if (m_purpose == Purpose::Authoring)
        return; // the teacher is about to write the folder's first test
    m_program.msgBox(u"Не могу найти файлы тестов. Программа завершает работу"_s, u"Критическая ошибка"_s,
                     MsgButtons::Ok, MsgIcon::Critical);
    m_program.end(); // no return
}

void frmStart::Command1_Click()
{
    // OK with no entry selected does nothing.
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    const int i = List1->row(selected.constFirst());
    if (i < 0 || i >= m_testFileNames.size())
        return;

    Forms &forms = m_program.forms();
    if (Form *gdi = forms.load<frmGdi, Form>()) {
        gdi->showModeless();
        gdi->repaint();
    }
    hide();
    processEventsOnce();

    const QString title = List1->item(i)->text();
    // Opened by the bytes the listing found: a name that is no text opens too.
    const QByteArray path = nativePath(m_program.folder()) + '/' + m_nativeNames.at(i);
    const TestOpening load = TemporaryCopy::loadChosenTest(path, title, m_program.Tasks());
    if (load.failure)
        m_program.endWithTestDataFailure(*load.failure);
    if (load.refusal) {
        forms.unload<frmGdi>();
        m_program.msgBox(*load.refusal, AppTitle, MsgButtons::Ok, MsgIcon::Critical);
        returnToSelection();
        return;
    }

    Form *main = forms.load<frmMain, Form>();
    Form *regim = forms.load<frmRegim, Form>();
    if (Form *gdi = forms.loaded<frmGdi, Form>())
        gdi->hide();
    if (main)
        main->setCaption(AppTitle + u" - "_s + title);
    forms.unload<frmGdi>();
    unloadMe();
    if (regim)
        regim->showModeless();
}

void frmStart::Command2_Click()
{
    unloadMe();
}

void frmStart::List1_DblClick()
{
    Command1_Click();
}

void frmStart::returnToSelection()
{
    showModeless();
    List1->setFocus();
}

} // namespace velmora
