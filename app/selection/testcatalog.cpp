#include "selection/testcatalog.h"

#include "platform/core/nativefiles.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"

#include <QFile>

namespace velmora {
namespace {

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

} // namespace velmora
