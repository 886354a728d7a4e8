#include "run/frmmain.h"

#include "platform/controlhost/tabulolist.h"
#include "platform/design.h"
#include "platform/keycodes.h"
#include "platform/keypressfilter.h"
#include "platform/runtime.h"
#include "platform/statusbar.h"
#include "platform/twips.h"
#include "program/formnames.h"
#include "program/program.h"
#include "run/answercheck.h"
#include "run/frmoutrez.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

// A failure of a call into the list control: the handler cannot go on.
void check(const std::optional<Failure> &failure)
{
    if (failure)
        throw RuntimeError(*failure);
}

template <typename T>
T checked(const Outcome<T> &outcome)
{
    check(outcome.failure);
    return outcome.value;
}

// The window's design: its controls, their kinds and captions, their boxes
// in twips (left, top, width, height), tab indices and fonts. The move box,
// the list control and the status bar are made by the window itself
// (makeControl).
constexpr FontDesign CaptionFont{u"MS Sans Serif", 12, false};
using C = MainControl;
constexpr ControlDesign<C> Design[] = {
    {ControlKind::Label, C::lblZadZ, u"Задача: ", 0, 0, 1125, 360, 1, &CaptionFont},
    {ControlKind::Label, C::lblZad, u"Текст задачи", 1125, 0, 8850, 375, 2},
    {ControlKind::Button, C::cmdGotovo, u"Готово", 8640, 540, 1410, 420, 3},
    {ControlKind::Button, C::cmdChangeTest, u"Другой тест", 8640, 4185, 1410, 420, 4},
    {ControlKind::Button, C::cmdExit, u"Выход", 8640, 4635, 1410, 420, 5},
    {ControlKind::Button, C::cmdHelp, u"Помощь", 8640, 990, 1410, 420, 6},
    {ControlKind::Custom, C::txtChange, u"", 8640, 3150, 1410, 330, 7},
    {ControlKind::Label, C::lblChange, u"Строки:", 8640, 2835, 1410, 240, 8},
    {ControlKind::Custom, C::myControl1, u"", 630, 810, 6180, 3870, 9},
    {ControlKind::Custom, C::sbr, u"", 0, 5304, 9504, 288, 0},
};

// An auto-size label with word wrap: as tall as its text at its width. (Its
// size hint is the height at a width of its own choosing: a long text made
// wider would keep the height of a narrower label.)
void fitHeight(QLabel *label)
{
    const int height = label->heightForWidth(label->width());
    label->resize(label->width(), height >= 0 ? height : label->sizeHint().height());
}

// The main window reads as a window of its own (a frame), not as a dialog.
QAccessibleInterface *mainWindowAccessible(const QString &key, QObject *object)
{
    if (key != QLatin1String(frmMain::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
}

} // namespace

class frmMain::Layout final : public MainLayoutHost
{
public:
    explicit Layout(frmMain &window) : w(window) {}

    bool isMinimized() const override { return w.isMinimized(); }
    double scaleWidth() const override { return Twips::fromPixelsX(w.QWidget::width()); }
    double scaleHeight() const override { return Twips::fromPixelsY(w.QWidget::height()); }
    double outerWidth() const override { return Twips::fromPixelsX(w.frameGeometry().width()); }
    double outerHeight() const override { return Twips::fromPixelsY(w.frameGeometry().height()); }
    void setOuterWidth(double twips) override
    {
        // A maximized window keeps its size: the controls take what there is.
        if (w.isMaximized() || w.isFullScreen())
            return;
        const int frame = w.frameGeometry().width() - w.QWidget::width();
        w.resize(Twips::toPixelsX(int(twips)) - frame, w.QWidget::height());
    }
    void setOuterHeight(double twips) override
    {
        if (w.isMaximized() || w.isFullScreen())
            return;
        const int frame = w.frameGeometry().height() - w.QWidget::height();
        w.resize(w.QWidget::width(), Twips::toPixelsY(int(twips)) - frame);
    }
    double left(MainControl c) const override { return Twips::fromPixelsX(widget(c)->x()); }
    double top(MainControl c) const override { return Twips::fromPixelsY(widget(c)->y()); }
    double width(MainControl c) const override { return Twips::fromPixelsX(widget(c)->width()); }
    double height(MainControl c) const override { return Twips::fromPixelsY(widget(c)->height()); }
    void setLeft(MainControl c, double twips) override
    {
        QWidget *control = widget(c);
        control->move(Twips::toPixelsX(int(twips)), control->y());
    }
    void setTop(MainControl c, double twips) override
    {
        QWidget *control = widget(c);
        control->move(control->x(), Twips::toPixelsY(int(twips)));
    }
    void setWidth(MainControl c, double twips) override
    {
        QWidget *control = widget(c);
        control->resize(std::max(0, Twips::toPixelsX(int(twips))), control->height());
        if (auto *label = qobject_cast<QLabel *>(control))
            fitHeight(label);
    }
    void move(MainControl c, double left, double top, double width, double height) override
    {
        widget(c)->setGeometry(Twips::toPixelsX(int(left)), Twips::toPixelsY(int(top)),
                               std::max(0, Twips::toPixelsX(int(width))), std::max(0, Twips::toPixelsY(int(height))));
    }
    qint16 MaxLbl() const override { return checked(w.myControl1->MaxLbl()); }

    // The controls the design built, the window's own ones among them.
    void setControls(DesignedControls<MainControl> controls) { m_controls = std::move(controls); }

private:
    QWidget *widget(MainControl c) const { return m_controls.widget(c); }

    frmMain &w;
    DesignedControls<MainControl> m_controls;
};

class frmMain::EntryBox final : public MoveBox
{
public:
    explicit EntryBox(frmMain &window) : w(window) {}
    QString text() const override { return w.txtChange->text(); }
    void setText(const QString &text) override { w.txtChange->setText(text); }
    int caret() const override { return w.txtChange->cursorPosition(); }
    void setCaret(int position) override { w.txtChange->setCursorPosition(position); }
    void beep() override { w.m_program.desktop().beep(); }

private:
    frmMain &w;
};

class frmMain::EntryTarget final : public MoveTarget
{
public:
    explicit EntryTarget(frmMain &window) : w(window) {}
    qint16 MaxLbl() override { return checked(w.myControl1->MaxLbl()); }
    void setSelection(qint16 index, bool flag) override { check(w.myControl1->setSelection(index, flag)); }
    void ClearSelection() override { check(w.myControl1->ClearSelection()); }
    void Swap(qint16 from, qint16 inTo) override { check(w.myControl1->Swap(from, inTo)); }
    void setInf(const QString &text) override { w.setPanelText(u"inf"_s, text); }

private:
    frmMain &w;
};

frmMain::frmMain(Program &program)
    : Form(program.forms())
    , m_program(program)
    , m_layout(std::make_unique<Layout>(*this))
    , m_box(std::make_unique<EntryBox>(*this))
    , m_target(std::make_unique<EntryTarget>(*this))
    , m_entry(std::make_unique<MoveEntry>(*m_box, *m_target))
{
    QAccessible::installFactory(&mainWindowAccessible); // once: Qt keeps one of each
    setWindowTitle(AppTitle);
    // A sizable top-level window with minimize, maximize and close buttons.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    setKeyPreview(true);

    const auto controls = buildDesign(this, Design, [this](C control, QWidget *parent) {
        return makeControl(control, parent);
    });
    m_layout->setControls(controls);
    lblZadZ = controls.get<QLabel>(C::lblZadZ);
    lblZadZ->resize(lblZadZ->sizeHint()); // sizes itself to its caption
    lblZad = controls.get<QLabel>(C::lblZad);
    cmdGotovo = controls.get<QPushButton>(C::cmdGotovo);
    cmdChangeTest = controls.get<QPushButton>(C::cmdChangeTest);
    cmdExit = controls.get<QPushButton>(C::cmdExit);
    cmdHelp = controls.get<QPushButton>(C::cmdHelp);
    lblChange = controls.get<QLabel>(C::lblChange);
    lblChange->setBuddy(txtChange);

    ImageList.add(u"Red"_s, solidPicture(QSize(143, 34), QColor(255, 0, 0)));
    ImageList.add(u"Green"_s, solidPicture(QSize(143, 34), QColor(0, 255, 0)));

    connect(cmdGotovo, &QPushButton::clicked, this, handler(this, &frmMain::cmdGotovo_Click));
    connect(cmdChangeTest, &QPushButton::clicked, this, handler(this, &frmMain::cmdChangeTest_Click));
    connect(cmdExit, &QPushButton::clicked, this, handler(this, &frmMain::cmdExit_Click));
    connect(cmdHelp, &QPushButton::clicked, this, handler(this, &frmMain::cmdHelp_Click));
    connect(myControl1, &TabuloList::StartSwap, this, handler(this, &frmMain::myControl1_StartSwap));
    connect(myControl1, &TabuloList::lblMouseMove, this, handler(this, &frmMain::myControl1_lblMouseMove));
    connect(myControl1, &TabuloList::OverSwap, this, handler(this, &frmMain::myControl1_OverSwap));
    new KeyPressFilter(txtChange, [this](int &KeyAscii) { runHandler([&] { txtChange_KeyPress(KeyAscii); }); });

    resize(Twips::toPixelsX(9504), Twips::toPixelsY(5592));
    dockStatusBar();
    centreOnScreen();
    cmdGotovo->setFocus();
}

frmMain::~frmMain() = default;

QWidget *frmMain::makeControl(MainControl control, QWidget *parent)
{
    if (control == MainControl::txtChange) {
        txtChange = new QLineEdit(parent);
        txtChange->setMaxLength(MoveEntry::BoxLength);
        txtChange->setAccessibleName(u"Строки:"_s);
        // Every character comes through the key-press handler: no menu to
        // paste from, no text dropped in.
        txtChange->setContextMenuPolicy(Qt::NoContextMenu);
        txtChange->setAcceptDrops(false);
        return txtChange;
    }
    if (control == MainControl::myControl1) {
        const Outcome<TabuloList *> made = TabuloList::create(parent);
        check(made.failure);
        myControl1 = made.value;
        // The Tab key stops on the list: a screen reader names it there.
        myControl1->widget()->setAccessibleName(u"Строки задачи"_s);
        myControl1->widget()->setFocusPolicy(Qt::TabFocus); // last in the Tab order; it takes no keys
        return myControl1->widget();
    }
    Q_ASSERT(control == MainControl::sbr);
    sbr = new StatusBar(parent);
    sbr->setSizeGripEnabled(false);
    sbr->addPanel({u"inf"_s, PanelStyle::Text, 4912, 1540, PanelAutoSize::Spring, Qt::AlignLeft});
    sbr->addPanel({u"otv"_s, PanelStyle::Text, 1440, 1440, PanelAutoSize::None, Qt::AlignLeft});
    sbr->addPanel({u"ver"_s, PanelStyle::Text, 1548, 1540, PanelAutoSize::Contents, Qt::AlignHCenter});
    sbr->addPanel({QString(), PanelStyle::Time, 840, 840, PanelAutoSize::Contents, Qt::AlignHCenter});
    sbr->addPanel({u"reg"_s, PanelStyle::Text, 440, 440, PanelAutoSize::None, Qt::AlignLeft});
    sbr->setFixedHeight(Twips::toPixelsY(288));
    return sbr;
}

void frmMain::Form_Load()
{
    m_run.start(std::as_const(m_program).Tasks().count(), m_program.random());
    ShowTask();
}

void frmMain::ShowTask()
{
    const TaskTable &Tasks = std::as_const(m_program).Tasks();
    const Task task = Tasks.task(m_run.CurrentTask);
    const int L = int(task.size()) - 1;
    m_program.random().seedFromTimeOfDay();
    const Order LineOrder = scrambledLineOrder(task, m_program.random());
    check(myControl1->Clear());
    lblZad->setText(task.constFirst());
    check(myControl1->setMaxLbl(qint16(L)));
    for (int i = 1; i <= L; ++i)
        check(myControl1->setTxtData(LineOrder.at(i), task.at(i)));
    m_entry->taskShown(qint16(L));
    setPanelText(u"otv"_s, m_run.otvText());
    setPanelText(u"ver"_s, m_run.verText());
    // The new text may take more or fewer lines: place everything anew.
    Form_Resize();
}

void frmMain::Form_Activate()
{
    if (Panel *reg = sbr->panel(u"reg"_s)) {
        reg->setPicture(ImageList.picture(m_run.Regim ? u"Green"_s : u"Red"_s));
        reg->setAccessibleName(m_run.Regim ? u"Режим подсказок включен"_s : u"Режим подсказок выключен"_s);
    }
}

void frmMain::Form_Resize()
{
    dockStatusBar();
    layoutMainWindow(*m_layout);
}

void frmMain::dockStatusBar()
{
    sbr->setGeometry(0, QWidget::height() - sbr->height(), QWidget::width(), sbr->height());
}

bool frmMain::answerIsCorrect()
{
    const Task task = std::as_const(m_program).Tasks().task(m_run.CurrentTask);
    QStringList shown;
    for (qint16 i = 1; i < task.size(); ++i) // every position is read, whatever came before
        shown << checked(myControl1->txtData(i));
    return readsCorrect(task, shown);
}

void frmMain::showCorrectOrder()
{
    const TaskTable &Tasks = std::as_const(m_program).Tasks();
    const int L = Tasks.stepCount(m_run.CurrentTask);
    for (int i = 1; i <= L; ++i)
        check(myControl1->setTxtData(qint16(i), Tasks.text(m_run.CurrentTask, i)));
}

void frmMain::cmdGotovo_Click()
{
    const TestRun::Press press = m_run.pressDone(answerIsCorrect());
    if (press.row) {
        auto *results = m_program.forms().load<frmOutRez>();
        if (results)
            results->addRow(*press.row);
    }
    switch (press.next) {
    case TestRun::Next::Hint:
        m_program.msgBox(u"Неверно! Посмотри правильный вариант и нажми Далее"_s);
        showCorrectOrder();
        cmdGotovo->setText(u"Далее"_s);
        break;
    case TestRun::Next::NextTask:
        ShowTask();
        cmdGotovo->setText(u"Готово"_s);
        break;
    case TestRun::Next::End:
        if (auto *results = m_program.forms().load<frmOutRez>()) {
            results->lblOut->setText(m_run.endMessage());
            results->showModal();
        }
        unloadMe();
        break;
    }
}

void frmMain::Form_KeyUp(int KeyCode, int Shift)
{
    if (KeyCode == AnswerKey && Shift == KeyCodes::ShiftAndAlt)
        showCorrectOrder();
    if (KeyCode == PointKey && Shift == KeyCodes::ShiftAndAlt) {
        m_run.addPoint();
        setPanelText(u"ver"_s, m_run.verText());
    }
}

void frmMain::cmdChangeTest_Click()
{
    unloadMe();
    if (Form *start = m_program.forms().load<frmStart, Form>())
        start->showModeless();
}

void frmMain::cmdExit_Click()
{
    unloadMe();
}

void frmMain::cmdHelp_Click()
{
    if (!m_program.forms().isDefined<frmHelp>())
        return;
    if (Form *help = m_program.forms().load<frmHelp, Form>())
        help->showModal();
}

bool frmMain::Form_QueryUnload(UnloadMode mode)
{
    if (mode == UnloadMode::Code)
        return true;
    return m_program.msgBox(u"Вы действительно хотите выйти?"_s, AppTitle, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void frmMain::Form_Unload()
{
    Forms &forms = m_program.forms();
    for (const QPointer<Form> &form : forms.loadedForms()) {
        if (form && form != this)
            forms.unload(form);
    }
}

void frmMain::txtChange_KeyPress(int &KeyAscii)
{
    m_entry->txtChange_KeyPress(KeyAscii);
}

void frmMain::myControl1_StartSwap(qint16 from)
{
    m_entry->StartSwap(from);
}

void frmMain::myControl1_lblMouseMove(qint16 Index)
{
    m_entry->lblMouseMove(Index);
}

void frmMain::myControl1_OverSwap()
{
    m_entry->OverSwap();
}

void frmMain::setPanelText(const QString &key, const QString &text)
{
    if (Panel *panel = sbr->panel(key))
        panel->setText(text);
}

} // namespace velmora
