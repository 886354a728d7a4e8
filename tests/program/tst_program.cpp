#include "handlers.h"
#include "program/program.h"
#include "scripteddesktop.h"

#include <QPushButton>
#include <QTimer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

class Inner; // a plain window the modal way opens

// A window whose button ends the program, directly or from inside a modal
// window it opens; `after` records whether any code after the end ran.
class Ender final : public Form
{
public:
    Ender(Program &program, bool viaModal)
        : Form(program.forms())
        , m_program(program)
        , m_viaModal(viaModal)
    {
        button = new QPushButton(u"end"_s, this);
        connect(button, &QPushButton::clicked, this, handler(this, &Ender::button_Click));
    }
    void button_Click()
    {
        if (m_viaModal) {
            Form *inner = m_program.forms().load<Inner, Form>();
            QTimer::singleShot(0, inner, [this] { runHandler([this] { m_program.end(3); }); });
            inner->showModal();
        } else {
            m_program.end(3);
        }
        after = true;
    }
    QPushButton *button = nullptr;
    bool after = false;

private:
    Program &m_program;
    bool m_viaModal;
};

} // namespace

class tst_Program final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Whatever called it, nothing after the end runs, and the program (here:
    // the test) carries on from the event dispatch.
    void endUnwindsTheHandler_data()
    {
        QTest::addColumn<bool>("viaModal");
        QTest::addColumn<bool>("byEvent");
        QTest::newRow("direct call") << false << false;
        QTest::newRow("click") << false << true;
        QTest::newRow("inside a modal window, click") << true << true;
    }
    void endUnwindsTheHandler()
    {
        QFETCH(bool, viaModal);
        QFETCH(bool, byEvent);
        test::ScriptedDesktop desktop;
        Program program(desktop, QString(), QString());
        program.forms().define<Ender>([&](Forms &) { return std::make_unique<Ender>(program, viaModal); });
        program.forms().define<Inner>([&](Forms &f) { return std::make_unique<Form>(f); });
        auto *outer = program.forms().load<Ender>();
        outer->showModeless();
        QPointer<Ender> watch(outer);
        bool unwound = false;
        if (byEvent)
            QTest::mouseClick(outer->button, Qt::LeftButton);
        else
            unwound = test::endsProgram([&] { outer->button_Click(); });
        QVERIFY(byEvent || unwound);
        QVERIFY(desktop.ended);
        QCOMPARE(desktop.exitCode, 3);
        QCOMPARE(program.forms().loadedCount(), 0);
        if (watch)
            QVERIFY(!watch->after);
        QVERIFY(test::endsProgram([&] { program.end(); })); // a second end unwinds as well
    }
};

} // namespace velmora

VELMORA_TEST_MAIN(velmora::tst_Program)
#include "tst_program.moc"
