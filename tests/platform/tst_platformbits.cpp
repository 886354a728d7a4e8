#include "platform/core/filemapping.h"
#include "platform/desktop.h"
#include "platform/runtime.h"
#include "platform/twips.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;
using namespace velmora;

class tst_PlatformBits final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The offscreen screen has 96 dpi: 15 twips a pixel.
    void twipsToPixels_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("one pixel") << 15 << 1;
        QTest::newRow("rounds down") << 22 << 1;
        QTest::newRow("rounds up") << 23 << 2;
        QTest::newRow("window width") << 4680 << 312;
        QTest::newRow("negative") << -30 << -2;
    }
    void twipsToPixels()
    {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(Twips::perPixelX(), 15.0);
        QCOMPARE(Twips::toPixelsX(twips), pixels);
        QCOMPARE(Twips::toPixelsY(twips), pixels);
        QCOMPARE(Twips::fromPixelsX(pixels), pixels * 15);
    }

    // The scale is the application's, taken once; another one can be set.
    void injectedScale()
    {
        const TwipScale screen = Twips::scale();
        Twips::setScale(TwipScale::fromDpi(120, 144));
        QCOMPARE(Twips::toPixelsX(1440), 120);
        QCOMPARE(Twips::toPixelsY(1440), 144);
        QCOMPARE(Twips::fromPixelsY(144), 1440);
        QWidget widget;
        Twips::place(&widget, 1440, 1440, 720, 720);
        QCOMPARE(widget.geometry(), QRect(120, 144, 60, 72));
        Twips::setScale(screen);
        QCOMPARE(Twips::perPixelX(), 15.0);
    }

    void placeUsesDesignBox()
    {
        QWidget parent;
        QWidget child(&parent);
        Twips::place(&child, 90, 45, 3210, 465);
        QCOMPARE(child.geometry(), QRect(6, 3, 214, 31));
    }

    // Filters are written as description|pattern pairs, spaces included.
    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("authoring source") << u"Текстовый файл *.txt |*.txt | Все файлы *.* | *.*"_s
                                          << QStringList{u"Текстовый файл *.txt  (*.txt)"_s,
                                                         u" Все файлы *.*  (*)"_s};
        QTest::newRow("tests") << u"Файлы тестов *.tst |*.tst"_s << QStringList{u"Файлы тестов *.tst  (*.tst)"_s};
        QTest::newRow("several patterns") << u"Тексты|*.txt;*.text"_s << QStringList{u"Тексты (*.txt *.text)"_s};
        QTest::newRow("pattern missing") << u"Тексты"_s << QStringList{};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(qtNameFilters(filter), expected);
    }

    void exceptionsBecomeFailures_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("number");
        QTest::newRow("runtime error") << 0 << 6;
        QTest::newRow("out of memory") << 1 << 7;
        QTest::newRow("standard exception") << 2 << 51;
        QTest::newRow("anything") << 3 << 51;
    }
    void exceptionsBecomeFailures()
    {
        QFETCH(int, kind);
        QFETCH(int, number);
        std::exception_ptr error;
        try {
            switch (kind) {
            case 0: throw RuntimeError(Failure::of(FailureNumber::Overflow));
            case 1: throw std::bad_alloc();
            case 2: throw std::logic_error("broken");
            default: throw 42;
            }
        } catch (...) {
            error = std::current_exception();
        }
        QCOMPARE(Application::failureOf(error).number, number);
    }

    // A file's mapping holds its bytes past the file's close and removal;
    // an empty file has none.
    void fileMappingOutlivesTheFile_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("empty") << qsizetype(0);
        QTest::newRow("one byte") << qsizetype(1);
        QTest::newRow("a page and a byte") << qsizetype(4097);
        QTest::newRow("past two large pages") << qsizetype((4 << 20) + 3);
    }
    void fileMappingOutlivesTheFile()
    {
        QFETCH(qsizetype, size);
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + i / 4096);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"mapped"_s));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write(bytes), qint64(size));
        QVERIFY(file.flush());
        const std::shared_ptr<const FileMapping> mapping = FileMapping::of(file);
        file.close();
        QVERIFY(file.remove());
        if (size == 0) {
            QVERIFY(!mapping);
            return;
        }
#ifdef Q_OS_UNIX
        QVERIFY(mapping);
#endif
        if (mapping)
            QCOMPARE(mapping->bytes(), QByteArrayView(bytes));
    }

    // An exception thrown by a handler reaches the failure handler, not the user as a crash.
    void handlerExceptionIsCaught()
    {
        auto *app = qobject_cast<Application *>(QCoreApplication::instance());
        QVERIFY(app);
        QList<Failure> seen;
        app->setFailureHandler([&seen](const Failure &failure) { seen << failure; });
        QObject target;
        QTimer::singleShot(0, &target, [] { throw RuntimeError(Failure::of(FailureNumber::SubscriptOutOfRange)); });
        QTRY_COMPARE(seen.size(), 1);
        QCOMPARE(seen.constFirst().number, 9);
        QCOMPARE(seen.constFirst().description, u"Subscript out of range"_s);
        QCOMPARE(runtimeErrorText(seen.constFirst()), u"Ошибка выполнения 9:\n\nSubscript out of range"_s);
    }
};

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    tst_PlatformBits test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platformbits.moc"
