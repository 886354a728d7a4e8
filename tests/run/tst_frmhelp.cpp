#include "platform/twips.h"
#include "program/formnames.h"
#include "program/program.h"
#include "run/frmhelp.h"
#include "run/frmmain.h"
#include "run/frmoutrez.h"
#include "scripteddesktop.h"
#include "selection/frmregim.h"
#include "testdata/loader.h"
#include "testfolder.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace velmora {

class tst_frmHelp final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::ScriptedDesktop> m_desktop;
    std::unique_ptr<Program> m_program;

    Program &newProgram(const QString &folder = QString())
    {
        m_program.reset();
        m_desktop = std::make_unique<test::ScriptedDesktop>();
        m_program = std::make_unique<Program>(*m_desktop, folder, QString());
        m_program->forms().define<frmHelp>([this](Forms &) { return std::make_unique<frmHelp>(*m_program); });
        return *m_program;
    }
    frmHelp *showHelp()
    {
        auto *help = newProgram().forms().load<frmHelp>();
        if (!help)
            return nullptr;
        help->showModeless();
        if (!QTest::qWaitForWindowExposed(help))
            return nullptr;
        return help;
    }

private Q_SLOTS:
    void cleanup() { m_program.reset(); }

    // The load fits the window to the page and centres OK near the bottom.
    void design()
    {
        frmHelp *help = showHelp();
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), u"Помощь"_s);
        const Qt::WindowFlags flags = help->windowFlags();
        QVERIFY(flags.testFlag(Qt::Tool));
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        QCOMPARE(help->Image1->geometry(), QRect(0, 0, 504, 491));
        QCOMPARE(help->size(), QSize(504, 491));
        QCOMPARE(help->minimumSize(), help->maximumSize());
        if (Twips::perPixelX() == 15 && Twips::perPixelY() == 15) {
            QCOMPARE(Twips::fromPixelsX(help->width()), 7560);
            QCOMPARE(Twips::fromPixelsY(help->height()), 7365);
        }
        // Left (7560 − 1320) / 2 = 3120; top 7365 − 420 − 500 = 6445.
        const int left = (Twips::fromPixelsX(504) - 1320) / 2;
        const int top = Twips::fromPixelsY(491) - 420 - 500;
        QCOMPARE(help->cmdOk->geometry(), Twips::toPixels(left, top, 1320, 420));
        QVERIFY(help->Image1->accessibleName().contains(u"«Готово»"_s));

        // OK is the only control that takes the focus.
        QTRY_COMPARE(help->focusWidget(), help->cmdOk);
        for (QWidget *child : help->findChildren<QWidget *>())
            QVERIFY(child == help->cmdOk || child->focusPolicy() == Qt::NoFocus);
    }

    void closes_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("click") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("space on OK") << int(Qt::Key_Space);
    }
    void closes()
    {
        QFETCH(int, key);
        frmHelp *help = showHelp();
        QVERIFY(help);
        if (key == 0)
            QTest::mouseClick(help->cmdOk, Qt::LeftButton);
        else
            QTest::keyClick(help->cmdOk, Qt::Key(key));
        QVERIFY(!m_program->forms().isLoaded<frmHelp>());
    }

    // "Помощь" opens the page modally over the main window; OK lets the
    // main window go on.
    void opensFromMain()
    {
        test::TestFolder folder;
        Program &program = newProgram(folder.path());
        Forms &forms = program.forms();
        forms.define<frmMain>([&program](Forms &) { return std::make_unique<frmMain>(program); });
        forms.define<frmOutRez>([&program](Forms &) { return std::make_unique<frmOutRez>(program); });
        forms.define<frmRegim>([&program](Forms &) { return std::make_unique<frmRegim>(program); });
        folder.writeRaw(u"plain.txt"_s, "Проверка\r\nЗадача\r\nШаг 1\r\nШаг 2\r\n\r\n");
        QVERIFY(!LoadTest(folder.read(u"plain.txt"_s), program.Tasks()).failure);
        auto *main = forms.load<frmMain>();
        QVERIFY(main);
        main->showModeless();

        bool wasModal = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            auto *help = forms.loaded<frmHelp>();
            if (!help || !help->isVisible())
                return;
            wasModal = help->isModal() || help->windowModality() == Qt::ApplicationModal;
            help->cmdOk->click();
        });
        closer.start(10);
        main->cmdHelp->click();
        closer.stop();
        QVERIFY(wasModal);
        QVERIFY(!forms.isLoaded<frmHelp>());
        QVERIFY(forms.isLoaded<frmMain>());
    }
};

} // namespace velmora

QTEST_MAIN(velmora::tst_frmHelp)
#include "tst_frmhelp.moc"
