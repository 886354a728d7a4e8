#include "selection/testcatalog.h"

#include "platform/core/nativefiles.h"
#include "testdata/loader.h"
#include "testdata/opening.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

constexpr char CopySuffix[] = ".tmp";

// Beside one test stand at most this many copies more than the first, of
// programs loading it at the same time; beyond, the private folder takes them.
constexpr int MaxCopyNumber = 99;

// A test's name ends in ".tst", letter case ignored.
bool isTestName(const QByteArray &name)
{
    return name.size() > 4 && qstrnicmp(name.constData() + name.size() - 4, ".tst", 4) == 0;
}

// The title line of one listed file, or its failure; failure 75 for a file
// that is no test of the folder's. Only a regular file (links followed) is
// a test: a pipe or a device is never opened to wait for a title that does
// not come. A link planted to another account's private file is not
// followed further than the open; a file of the system's that says it is
// empty and yet has lines (/proc), or a title with a NUL byte, is no test.
std::optional<Failure> readEntry(const QString &folder, const QByteArray &nativeFolder, const QByteArray &name,
                                 TestEntry &entry)
{
    const QString fileName = shownPath(name);
    const QString path = folder + u'/' + fileName;
    const QByteArray nativeName = nativeFolder + '/' + name;
    QFile file;
    if (std::optional<Failure> failure = openRegularNative(file, nativeName, path))
        return failure;
    if (!offeredByItsFolder(file, nativeName))
        return Failure::of(FailureNumber::PathFileAccessError, path);
    const std::optional<QString> title = readTitle(file);
    if (file.error() != QFileDevice::NoError)
        return fileFailure(file, path);
    if (title && (file.size() == 0 || title->contains(QChar(0))))
        return Failure::of(FailureNumber::PathFileAccessError, path);
    entry.nativeName = name;
    entry.fileName = fileName;
    entry.title = title.value_or(fileName);
    return std::nullopt;
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
            // Gone meanwhile, no regular file (a folder, a pipe, a link to
            // nothing), or no test of the folder's: left out.
            if (failure->number == FailureNumber::FileNotFound || failure->number == FailureNumber::PathFileAccessError)
                continue;
            listing.failure = failure;
            break;
        }
        listing.entries << entry;
    }
    return listing;
}

QByteArray copyName(const QByteArray &testName, qsizetype limit, int number)
{
    const QByteArray suffix = (number > 0 ? '.' + QByteArray::number(number) : QByteArray()) + CopySuffix;
    if (testName.size() + suffix.size() <= limit)
        return testName + suffix;
    // Too long with the suffix: the file system would refuse the name.
    const QByteArray digest = QCryptographicHash::hash(testName, QCryptographicHash::Sha256).toHex().left(16);
    qsizetype keep = qBound<qsizetype>(0, limit - suffix.size() - 1 - digest.size(), testName.size() - 1);
    // Cut between characters, not inside one's bytes.
    while (keep > 0 && (uchar(testName.at(keep)) & 0xC0) == 0x80)
        --keep;
    return testName.left(keep) + '~' + digest + suffix;
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
    const QList<QByteArray> names = listFolder(nativeFolder).names;
    // Only a test the program would have opened has copies of its own.
    QSet<QByteArray> copies;
    for (const QByteArray &name : names) {
        if (isTestName(name) && isRegularFile(nativeFolder + '/' + name)) {
            for (int number = 0; number <= MaxCopyNumber; ++number)
                copies.insert(copyName(name, limit, number));
        }
    }
    for (const QByteArray &name : names) {
        if (copies.contains(name))
            removed += removeUnheldFile(nativeFolder + '/' + name) ? 1 : 0;
    }
    // The private folder holds nothing but copies.
    if (const std::optional<QByteArray> own = privateCopyFolder()) {
        for (const QByteArray &name : listFolder(*own).names)
            removed += removeUnheldFile(*own + '/' + name) ? 1 : 0;
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
    // Programs that load the same test at the same time each take a copy of
    // their own: the first its plain name, the others a number more.
    const auto place = [&](const QByteArray &where) {
        const qsizetype limit = nameLimit(where.isEmpty() ? "." : where);
        return CopyPlace{where + copyName(name, limit), shownCopy, [where, name, limit](int number) {
                             return number <= MaxCopyNumber ? where + copyName(name, limit, number) : QByteArray();
                         }};
    };
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
        return place(*own + '/');
    };
    TestOpening opening = openStoredTest(stored, nativeTestPath, place(folder), elsewhere, title);
    outcome.failure = opening.failure;
    outcome.refusal = opening.refusal;
    // Only a test the run can show replaces the tasks the pupil had.
    if (opening.opens())
        Tasks = std::move(opening.tasks);
    return outcome;
}

} // namespace velmora
