// Qt's own dialogs speak Russian whatever the locale the program starts in;
// CTest runs this under a Russian and under a plain C locale.
#include "platform/translations.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_Translations final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(velmora::installRussianTranslations(*QCoreApplication::instance())); }

    void fileDialogSpeaksRussian_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("open") << int(QFileDialog::AcceptOpen);
        QTest::newRow("save") << int(QFileDialog::AcceptSave);
    }
    void fileDialogSpeaksRussian()
    {
        QFETCH(int, mode);
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptMode(mode));
        const auto *edit = dialog.findChild<QLineEdit *>(u"fileNameEdit"_s);
        QVERIFY(edit);
        const QLabel *caption = nullptr;
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            if (label->buddy() == edit)
                caption = label;
        QVERIFY(caption);
        QCOMPARE(caption->text().remove(u'&'), u"Имя файла:"_s);
    }
};

QTEST_MAIN(tst_Translations)
#include "tst_translations.moc"
