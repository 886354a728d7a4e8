#include "selection/frmstart.h"

#include "program/formnames.h"
#include "program/program.h"
#include "platform/core/nativefiles.h"
#include "platform/runtime.h"
#include "selection/testcatalog.h"
#include "platform/twips.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace velmora {

frmStart::frmStart(Program &program, Purpose purpose)
    : Form(program.forms(), FormName::frmStart)
    , m_program(program)
    , m_purpose(purpose)
{
    setWindowTitle(u"Выбор теста"_s);
    // A fixed tool window: no minimise or maximise button, not resizable.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint);
    setClientSizeTwips(4680, 3192);

    Label1 = designLabel(this, u"Label1"_s, u"Выберите тест из списка и нажмиете ок"_s);
    Twips::place(Label1, 90, 45, 3210, 465);

    List1 = new QListWidget(this);
    List1->setObjectName(u"List1"_s);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    Twips::place(List1, 45, 585, 3255, 2352);
    List1->setAccessibleName(Label1->text()); // a screen reader names the list by the caption above it

    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setDefault(true);
    setDefaultButton(Command1);
    Twips::place(Command1, 3375, 45, 1230, 465);

    Command2 = new QPushButton(u"Отмена"_s, this);
    Command2->setObjectName(u"Command2"_s);
    // A focused button takes Enter itself; OK stays the default for the list.
    Command2->setAutoDefault(false); // Enter on the focused button: see Form
    Twips::place(Command2, 3375, 540, 1230, 465);
    setCancelButton(Command2);

    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command2);
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
    if (Form *gdi = forms.load(FormName::frmGdi)) {
        gdi->showModeless();
        gdi->repaint();
    }
    hide();
    processEventsOnce();

    const QString title = List1->item(i)->text();
    // Opened by the bytes the listing found: a name that is no text opens too.
    const QByteArray path = nativePath(m_program.folder()) + '/' + m_nativeNames.at(i);
    const ChosenTestLoad load = loadChosenTest(path, title, m_program.Tasks());
    if (load.failure)
        m_program.endWithTestDataFailure(*load.failure);
    if (load.refusal) {
        forms.unload(FormName::frmGdi);
        m_program.msgBox(*load.refusal, AppTitle, MsgButtons::Ok, MsgIcon::Critical);
        returnToSelection();
        return;
    }

    Form *main = forms.load(FormName::frmMain);
    Form *regim = forms.load(FormName::frmRegim);
    if (Form *gdi = forms.loaded(FormName::frmGdi))
        gdi->hide();
    if (main)
        main->setWindowTitle(AppTitle + u" - "_s + title);
    forms.unload(FormName::frmGdi);
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
