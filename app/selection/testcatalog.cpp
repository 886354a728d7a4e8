#include "selection/testcatalog.h"

#include "testdata/loader.h"
#include "testdata/scramble.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

// The title line of one listed file, or its failure.
std::optional<Failure> readEntry(const QString &folder, const QString &fileName, TestEntry &entry)
{
    const QString path = folder + u'/' + fileName;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fileFailure(file, path);
    entry.fileName = fileName;
    entry.title = fileName;
    if (std::optional<QString> title = readTitle(file))
        entry.title = *title;
    if (file.error() != QFileDevice::NoError)
        return fileFailure(file, path);
    return std::nullopt;
}

// Whether an unscrambled copy holds a title line and nothing else: after the
// title's CR LF come only the two bytes the unscrambling appends.
bool holdsTitleOnly(const QString &plainPath)
{
    QFile file(plainPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    qint64 offset = 0;
    char previous = 0;
    QByteArray chunk;
    while (!(chunk = file.read(64 * 1024)).isEmpty()) {
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            if (previous == '\r' && chunk.at(i) == '\n')
                return size == offset + i + 1 + 2;
            previous = chunk.at(i);
        }
        offset += chunk.size();
    }
    return false;
}

bool folderRefused(const Failure &failure)
{
    return failure.number == FailureNumber::PermissionDenied || failure.number == FailureNumber::PathFileAccessError;
}

QString noTaskRefusal(const QString &title)
{
    return u"Тест «%1» нельзя открыть: в нём нет ни одного задания. Выберите другой тест."_s.arg(title);
}

} // namespace

TestListing listTests(const QString &folder)
{
    TestListing listing;
    QDir dir(folder);
    if (!dir.exists()) {
        listing.failure = Failure::of(FailureNumber::PathNotFound, folder);
        return listing;
    }
    const QStringList names = dir.entryList({u"*.tst"_s}, QDir::Files, QDir::Unsorted);
    for (const QString &name : names) {
        TestEntry entry;
        if (std::optional<Failure> failure = readEntry(folder, name, entry)) {
            if (failure->number == FailureNumber::FileNotFound)
                continue;
            listing.failure = failure;
            break;
        }
        listing.entries << entry;
    }
    return listing;
}

ChosenTestLoad loadChosenTest(const QString &testPath, const QString &title, TaskTable &Tasks)
{
    ChosenTestLoad outcome;
    QString path = testPath;
    std::optional<Failure> failure = ScrambleFile(path);
    std::optional<QTemporaryDir> privateFolder;
    if (failure && folderRefused(*failure) && QFileInfo(testPath).isReadable()) {
        // The test's folder cannot take the copy: a private temporary folder can.
        privateFolder.emplace(QDir::tempPath() + u"/velmora-XXXXXX"_s);
        if (privateFolder->isValid()) {
            path = testPath;
            failure = ScrambleFile(path, privateFolder->filePath(QFileInfo(testPath).fileName() + u".tmp"_s));
        }
    }
    if (failure) {
        outcome.failure = failure;
        return outcome;
    }

    if (holdsTitleOnly(path)) {
        QFile::remove(path);
        outcome.refusal = noTaskRefusal(title);
        return outcome;
    }
    int tasksRead = 0;
    if (std::optional<Failure> loadFailure = LoadTest(path, Tasks, &tasksRead)) {
        // Name the test, not the private copy, in the damaged-file message.
        if (loadFailure->number == FailureNumber::InputPastEnd)
            loadFailure->path = testPath + u".tmp"_s;
        outcome.failure = loadFailure;
        return outcome;
    }
    QFile::remove(path);

    if (tasksRead == 0) {
        outcome.refusal = noTaskRefusal(title);
        return outcome;
    }
    for (int n = 1; n <= Tasks.count(); ++n) {
        if (Tasks.stepCount(n) > MaxStepsPerTask) {
            outcome.refusal = u"Тест «%1» нельзя открыть: в задании %2 больше %3 шагов, а список вмещает не больше %3. "
                              u"Выберите другой тест."_s.arg(title, QString::number(n), QString::number(MaxStepsPerTask));
            return outcome;
        }
    }
    return outcome;
}

} // namespace velmora
