#include "platform/forms.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace velmora;

namespace {

// A window that records what happens to it.
class Probe final : public Form
{
    Q_OBJECT
public:
    Probe(Forms &forms, const QString &name, QStringList &log)
        : Form(forms)
        , m_name(name)
        , m_log(log)
    {
        m_log << name + u":built"_s;
    }
    void Form_Load() override
    {
        m_log << m_name + u":load"_s;
        if (unloadDuringLoad)
            unloadMe();
    }
    bool Form_QueryUnload(UnloadMode mode) override
    {
        m_log << m_name + u":query:"_s + QString::number(int(mode));
        return !refuseUnload;
    }
    void Form_Unload() override { m_log << m_name + u":unload"_s; }

    bool refuseUnload = false;
    bool unloadDuringLoad = false;

private:
    QString m_name;
    QStringList &m_log;
};

// Windows known by their classes alone, as the program's own are where
// they are loaded from another layer.
class frmA;
class frmB;
class frmNobody;

} // namespace

class tst_Forms final : public QObject
{
    Q_OBJECT

private:
    QStringList m_log;
    std::unique_ptr<Forms> m_forms;
    bool m_unloadDuringLoad = false;

    template <class F> Probe *probe() { return m_forms->load<F, Probe>(); }
    template <class F> void defineProbe(const QString &name)
    {
        m_forms->define<F>([this, name](Forms &forms) {
            auto form = std::make_unique<Probe>(forms, name, m_log);
            form->unloadDuringLoad = m_unloadDuringLoad;
            return form;
        });
    }

private Q_SLOTS:
    void init()
    {
        m_log.clear();
        m_unloadDuringLoad = false;
        m_forms = std::make_unique<Forms>();
        defineProbe<frmA>(u"frmA"_s);
        defineProbe<frmB>(u"frmB"_s);
    }
    void cleanup() { m_forms.reset(); }

    void loadRunsOnceBeforeShowing()
    {
        Probe *a = probe<frmA>();
        QVERIFY(a);
        QVERIFY(!a->isVisible());
        QCOMPARE(probe<frmA>(), a); // already loaded: the same window
        a->showModeless();
        QVERIFY(a->isVisible());
        QCOMPARE(m_log, QStringList({u"frmA:built"_s, u"frmA:load"_s}));
    }

    void undefinedWindowLoadsNothing() { QVERIFY(!probe<frmNobody>()); }

    // The program lives while any window is loaded, shown or hidden.
    void endsWhenNoWindowIsLoaded()
    {
        QSignalSpy last(m_forms.get(), &Forms::lastUnloaded);
        Probe *a = probe<frmA>();
        Probe *b = probe<frmB>();
        b->showModeless();
        b->hide();
        m_forms->unload(a);
        QCOMPARE(last.count(), 0); // hidden frmB still loaded
        QVERIFY(m_forms->isLoaded<frmB>());
        m_forms->unload<frmB>();
        QCOMPARE(last.count(), 1);
        QCOMPARE(m_forms->loadedCount(), 0);
        m_forms->unload<frmB>(); // unloading again does nothing
        QCOMPARE(last.count(), 1);
    }

    void reloadBuildsAfresh()
    {
        QPointer<Probe> first = probe<frmA>();
        first->setWindowTitle(u"changed"_s);
        m_forms->unload(first.data());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        Probe *second = probe<frmA>();
        QVERIFY(second->windowTitle().isEmpty());
        QCOMPARE(m_log.count(u"frmA:built"_s), 2);
    }

    void closeReasons_data()
    {
        QTest::addColumn<bool>("byUser");
        QTest::addColumn<QString>("query");
        QTest::newRow("code") << false << u"frmA:query:1"_s;
        QTest::newRow("user") << true << u"frmA:query:0"_s;
    }
    void closeReasons()
    {
        QFETCH(bool, byUser);
        QFETCH(QString, query);
        Probe *a = probe<frmA>();
        a->showModeless();
        if (byUser)
            a->close();
        else
            a->unloadMe();
        QVERIFY(m_log.contains(query));
        QVERIFY(m_log.contains(u"frmA:unload"_s));
        QVERIFY(!m_forms->isLoaded<frmA>());
        QVERIFY(!a->isVisible());
    }

    void refusedCloseKeepsWindow_data()
    {
        QTest::addColumn<bool>("byUser");
        QTest::newRow("code") << false;
        QTest::newRow("user") << true;
    }
    void refusedCloseKeepsWindow()
    {
        QFETCH(bool, byUser);
        Probe *a = probe<frmA>();
        a->refuseUnload = true;
        a->showModeless();
        const bool unloaded = byUser ? a->close() : a->unloadMe();
        Q_UNUSED(unloaded);
        QVERIFY(m_forms->isLoaded<frmA>());
        QVERIFY(a->isVisible());
        QVERIFY(!m_log.contains(u"frmA:unload"_s));
        a->refuseUnload = false;
        QVERIFY(a->unloadMe());
        QVERIFY(!m_forms->isLoaded<frmA>());
    }

    void windowUnloadingItselfInLoad()
    {
        m_unloadDuringLoad = true;
        QSignalSpy last(m_forms.get(), &Forms::lastUnloaded);
        QVERIFY(!probe<frmA>());
        QVERIFY(!m_forms->isLoaded<frmA>());
        QCOMPARE(last.count(), 1);
    }

    void modalShowReturnsWhenUnloaded()
    {
        Probe *a = probe<frmA>();
        QTimer::singleShot(0, a, [a] { a->unloadMe(); });
        a->showModal();
        QVERIFY(!m_forms->isLoaded<frmA>());
    }

    void escPressesTheCancelButton()
    {
        Probe *a = probe<frmA>();
        auto *cancel = new QPushButton(a);
        int clicks = 0;
        connect(cancel, &QPushButton::clicked, a, [&clicks] { ++clicks; });
        a->showModeless();
        QTest::keyClick(a, Qt::Key_Escape);
        QCOMPARE(clicks, 0); // no cancel button yet: Esc does nothing
        QVERIFY(a->isVisible());
        a->setCancelButton(cancel);
        QTest::keyClick(a, Qt::Key_Escape);
        QCOMPARE(clicks, 1);
    }

    void unloadAllNowAsksNobody()
    {
        probe<frmA>()->refuseUnload = true;
        probe<frmB>();
        m_forms->unloadAllNow();
        QCOMPARE(m_forms->loadedCount(), 0);
        QVERIFY(!m_log.contains(u"frmA:query:1"_s));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
