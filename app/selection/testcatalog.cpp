#include "selection/testcatalog.h"

#include "testdata/loader.h"
#include "testdata/opening.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

// The title line of one listed file, or its failure. Only a regular file
// (links followed) is a test: a pipe or a device is never opened to wait
// for a title that does not come.
std::optional<Failure> readEntry(const QString &folder, const QString &fileName, TestEntry &entry)
{
    const QString path = folder + u'/' + fileName;
    QFile file;
    if (std::optional<Failure> failure = openRegularFile(file, path))
        return failure;
    entry.fileName = fileName;
    entry.title = fileName;
    if (std::optional<QString> title = readTitle(file))
        entry.title = *title;
    if (file.error() != QFileDevice::NoError)
        return fileFailure(file, path);
    return std::nullopt;
}

bool folderRefused(const Failure &failure)
{
    return failure.number == FailureNumber::PermissionDenied || failure.number == FailureNumber::PathFileAccessError;
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
        if (!QFileInfo(dir.filePath(name)).isFile())
            continue; // a link to a pipe, a device or nothing: not a test
        TestEntry entry;
        if (std::optional<Failure> failure = readEntry(folder, name, entry)) {
            // Gone meanwhile, or no longer a regular file: left out.
            if (failure->number == FailureNumber::FileNotFound || failure->number == FailureNumber::PathFileAccessError)
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
    QFile stored;
    if (std::optional<Failure> failure = openRegularFile(stored, testPath)) {
        outcome.failure = failure;
        return outcome;
    }
    const QString besideTest = testPath + u".tmp"_s;
    TestOpening opening = openStoredTest(stored, testPath, besideTest, title);
    std::optional<QTemporaryDir> privateFolder;
    if (opening.failure && folderRefused(*opening.failure) && opening.failure->path == besideTest) {
        // The test's folder cannot take the copy: a private temporary folder can.
        privateFolder.emplace(QDir::tempPath() + u"/velmora-XXXXXX"_s);
        if (privateFolder->isValid() && stored.seek(0)) {
            const QString copy = privateFolder->filePath(QFileInfo(testPath).fileName() + u".tmp"_s);
            opening = openStoredTest(stored, testPath, copy, title);
            // Name the test, not the private copy, in the messages.
            if (opening.failure && opening.failure->path == copy)
                opening.failure->path = besideTest;
        }
    }
    outcome.failure = opening.failure;
    outcome.refusal = opening.refusal;
    // Only a test the run can show replaces the tasks the pupil had.
    if (opening.opens())
        Tasks = std::move(opening.tasks);
    return outcome;
}

} // namespace velmora
