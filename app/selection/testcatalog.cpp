#include "selection/testcatalog.h"

#include "platform/core/nativefiles.h"
#include "testdata/loader.h"
#include "testdata/opening.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

constexpr char CopySuffix[] = ".tmp";
constexpr qsizetype CopySuffixSize = sizeof(CopySuffix) - 1;

// A test's name ends in ".tst", letter case ignored.
bool isTestName(const QByteArray &name)
{
    return name.size() > 4 && qstrnicmp(name.constData() + name.size() - 4, ".tst", 4) == 0;
}

// The title line of one listed file, or its failure. Only a regular file
// (links followed) is a test: a pipe or a device is never opened to wait
// for a title that does not come.
std::optional<Failure> readEntry(const QString &folder, const QByteArray &nativeFolder, const QByteArray &name,
                                 TestEntry &entry)
{
    const QString fileName = shownPath(name);
    const QString path = folder + u'/' + fileName;
    QFile file;
    if (std::optional<Failure> failure = openRegularNative(file, nativeFolder + '/' + name, path))
        return failure;
    entry.nativeName = name;
    entry.fileName = fileName;
    entry.title = fileName;
    if (std::optional<QString> title = readTitle(file))
        entry.title = *title;
    if (file.error() != QFileDevice::NoError)
        return fileFailure(file, path);
    return std::nullopt;
}

// Removes the regular file at `path`, if one stands there.
int removeStale(const QByteArray &path)
{
    return isPlainFile(path) && removeFile(path) ? 1 : 0;
}

} // namespace

TestListing listTests(const QString &folder)
{
    TestListing listing;
    const QByteArray nativeFolder = nativePath(folder);
    const NativeListing names = listFolder(nativeFolder);
    listing.failure = names.failure;
    for (const QByteArray &name : names.names) {
        if (!isTestName(name) || !isRegularFile(nativeFolder + '/' + name))
            continue; // a folder, a pipe, a device, a link to nothing: not a test
        TestEntry entry;
        if (std::optional<Failure> failure = readEntry(folder, nativeFolder, name, entry)) {
            // Gone meanwhile, or no regular file (a folder, a pipe, a link
            // to nothing): left out.
            if (failure->number == FailureNumber::FileNotFound || failure->number == FailureNumber::PathFileAccessError)
                continue;
            listing.failure = failure;
            break;
        }
        listing.entries << entry;
    }
    return listing;
}

QByteArray copyName(const QByteArray &testName, qsizetype limit)
{
    if (testName.size() + CopySuffixSize <= limit)
        return testName + CopySuffix;
    // Too long with the suffix: the file system would refuse the name.
    const QByteArray digest = QCryptographicHash::hash(testName, QCryptographicHash::Sha256).toHex().left(16);
    qsizetype keep = qBound<qsizetype>(0, limit - CopySuffixSize - 1 - digest.size(), testName.size() - 1);
    // Cut between characters, not inside one's bytes.
    while (keep > 0 && (uchar(testName.at(keep)) & 0xC0) == 0x80)
        --keep;
    return testName.left(keep) + '~' + digest + CopySuffix;
}

std::optional<QByteArray> privateCopyFolder()
{
    return ownPrivateFolder(nativePath(QDir::tempPath()), "velmora");
}

int sweepStaleCopies(const QString &folder)
{
    int removed = 0;
    const QByteArray nativeFolder = nativePath(folder);
    const qsizetype limit = nameLimit(nativeFolder);
    for (const QByteArray &name : listFolder(nativeFolder).names) {
        // Only a test the program would have opened has a copy of its own.
        if (isTestName(name) && isRegularFile(nativeFolder + '/' + name))
            removed += removeStale(nativeFolder + '/' + copyName(name, limit));
    }
    // The private folder holds nothing but copies.
    if (const std::optional<QByteArray> own = privateCopyFolder()) {
        for (const QByteArray &name : listFolder(*own).names)
            removed += removeStale(*own + '/' + name);
    }
    return removed;
}

ChosenTestLoad loadChosenTest(const QByteArray &nativeTestPath, const QString &title, TaskTable &Tasks)
{
    ChosenTestLoad outcome;
    const QString shownTest = shownPath(nativeTestPath);
    QFile stored;
    if (std::optional<Failure> failure = openRegularNative(stored, nativeTestPath, shownTest)) {
        outcome.failure = failure;
        return outcome;
    }
    const qsizetype slash = nativeTestPath.lastIndexOf('/');
    const QByteArray folder = slash >= 0 ? nativeTestPath.left(slash + 1) : QByteArray();
    const QByteArray name = nativeTestPath.mid(slash + 1);
    // Messages name the test's path + ".tmp", wherever the copy goes.
    const QString shownCopy = shownTest + u".tmp"_s;
    const CopyPlace beside{folder + copyName(name, nameLimit(folder.isEmpty() ? "." : folder)), shownCopy};
    std::optional<QTemporaryDir> ownTemporary;
    const CopyFallback elsewhere = [&]() -> std::optional<CopyPlace> {
        // The test's folder cannot take the copy: a private temporary folder can.
        std::optional<QByteArray> own = privateCopyFolder();
        if (!own) { // something not ours stands at its name
            ownTemporary.emplace(QDir::tempPath() + u"/velmora-XXXXXX"_s);
            if (!ownTemporary->isValid())
                return std::nullopt;
            own = nativePath(ownTemporary->path());
        }
        return CopyPlace{*own + '/' + copyName(name, nameLimit(*own)), shownCopy};
    };
    TestOpening opening = openStoredTest(stored, nativeTestPath, beside, elsewhere, title);
    outcome.failure = opening.failure;
    outcome.refusal = opening.refusal;
    // Only a test the run can show replaces the tasks the pupil had.
    if (opening.opens())
        Tasks = std::move(opening.tasks);
    return outcome;
}

} // namespace velmora
