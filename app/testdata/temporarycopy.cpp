#include "testdata/temporarycopy.h"

#include "platform/core/filemapping.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSet>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

// What a copy's name ends in: never ".tst", so that no copy is ever listed
// as a test.
constexpr char Suffix[] = ".tmp";

// Beside one test stand at most this many copies more than the first, of
// programs loading it at the same time; beyond, the private folder takes them.
constexpr int MaxCopyNumber = 99;

// The folder takes no new file there, or its disk is full: the copy may
// go elsewhere.
bool movesElsewhere(const Failure &failure)
{
    switch (failure.number) {
    case FailureNumber::PermissionDenied:
    case FailureNumber::PathFileAccessError:
    case FailureNumber::FileAlreadyExists:
    case FailureNumber::DiskFull: return true;
    default: return false;
    }
}

TestOpening failedOpening(Failure failure)
{
    TestOpening opening;
    opening.failure = std::move(failure);
    return opening;
}

} // namespace

TemporaryCopy::TemporaryCopy(const QByteArray &nativeTestPath)
    : m_test(nativeTestPath)
{
    const qsizetype slash = nativeTestPath.lastIndexOf('/');
    m_folder = slash >= 0 ? nativeTestPath.left(slash + 1) : QByteArray();
    m_name = nativeTestPath.mid(slash + 1);
    m_shown = messagePath(shownPath(nativeTestPath));
}

TemporaryCopy::~TemporaryCopy() = default;

TestOpening TemporaryCopy::loadChosenTest(const QByteArray &nativeTestPath, const QString &title, TaskTable &Tasks)
{
    TemporaryCopy copy(nativeTestPath);
    TestOpening opening = copy.open(title);
    // Only a test the run can show replaces the tasks the pupil had.
    if (opening.opens())
        Tasks = std::move(opening.tasks);
    return opening;
}

QByteArray TemporaryCopy::name(const QByteArray &testName, qsizetype limit, int number)
{
    if (number > MaxCopyNumber)
        return {};
    const QByteArray suffix = (number > 0 ? '.' + QByteArray::number(number) : QByteArray()) + Suffix;
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

QString TemporaryCopy::messagePath(const QString &testPath)
{
    return testPath + QLatin1StringView(Suffix);
}

std::optional<QByteArray> TemporaryCopy::privateFolder()
{
    return ownPrivateFolder(nativePath(QDir::tempPath()), "velmora");
}

int TemporaryCopy::sweep(const QString &folder)
{
    int removed = 0;
    const QByteArray nativeFolder = nativePath(folder);
    const qsizetype limit = nameLimit(nativeFolder);
    const QList<QByteArray> names = listFolder(nativeFolder).names;
    // Only a test the program would have opened has copies of its own.
    QSet<QByteArray> copies;
    for (const QByteArray &test : names) {
        if (isTestName(test) && isRegularFile(nativeFolder + '/' + test)) {
            for (int number = 0; number <= MaxCopyNumber; ++number)
                copies.insert(name(test, limit, number));
        }
    }
    for (const QByteArray &copy : names) {
        if (copies.contains(copy))
            removed += removeUnheldFile(nativeFolder + '/' + copy) ? 1 : 0;
    }
    // The private folder holds nothing but copies.
    if (const std::optional<QByteArray> own = privateFolder()) {
        for (const QByteArray &copy : listFolder(*own).names)
            removed += removeUnheldFile(*own + '/' + copy) ? 1 : 0;
    }
    return removed;
}

TestOpening TemporaryCopy::open(const QString &title)
{
    QFile stored;
    if (std::optional<Failure> failure = openRegularNative(stored, m_test, shownPath(m_test)))
        return failedOpening(*failure);
    // One larger than the loader ever takes is refused before a byte of it
    // is read: it would only fill the disk with its copy before the same
    // refusal.
    if (stored.size() - stored.pos() > MaxTableBytes)
        return failedOpening(Failure::of(FailureNumber::OutOfMemory, m_shown));
    if (std::optional<Failure> failure = write(stored)) {
        failure->path = m_shown;
        return failedOpening(*failure);
    }
    // Read back from the file as it was written, never by its name again:
    // whatever happens to the name meanwhile, the load is this copy's.
    TestOpening opening = readBack(title);
    m_copy.remove(); // the test in plain text, answers in order: never left behind
    return opening;
}

// Writes the copy: beside the test, else, where that folder refuses new
// files or its disk is full, in another folder, from the test's first byte
// again. On a failure no copy is left.
std::optional<Failure> TemporaryCopy::write(QFile &stored)
{
    // A copy that would be the test itself (a link made by hand) is refused.
    if (namesSameFile(m_test, m_folder + name(m_name, nameLimit(m_folder))))
        return Failure::of(FailureNumber::PathFileAccessError);
    const qint64 start = stored.pos();
    std::optional<Failure> failure = createIn(m_folder);
    if (!failure)
        failure = ScrambleFile(stored, m_copy.file(), MaxTableBytes);
    if (failure && movesElsewhere(*failure)) {
        m_copy.remove(); // what a full disk took goes first
        // Whatever part of the test the first copy took, the test is read
        // again from its first byte.
        if (stored.seek(start)) {
            if (const std::optional<QByteArray> other = otherFolder()) {
                failure = createIn(*other + '/');
                if (!failure)
                    failure = ScrambleFile(stored, m_copy.file(), MaxTableBytes);
            }
        }
    }
    if (failure)
        m_copy.remove();
    return failure;
}

// Creates the copy in `folder`, under the next name while other programs
// hold the ones before.
std::optional<Failure> TemporaryCopy::createIn(const QByteArray &folder)
{
    const qsizetype limit = nameLimit(folder);
    std::optional<Failure> failure;
    for (int number = 0; number <= MaxCopyNumber; ++number) {
        failure = m_copy.create(folder + name(m_name, limit, number), m_shown);
        if (!failure || failure->number != FailureNumber::FileAlreadyExists)
            break;
    }
    return failure;
}

// The test's folder cannot take the copy: the private folder can, or a
// temporary folder of its own where something not ours has that name.
std::optional<QByteArray> TemporaryCopy::otherFolder()
{
    if (std::optional<QByteArray> own = privateFolder())
        return own;
    m_ownTemporary.emplace(QDir::tempPath() + u"/velmora-XXXXXX"_s);
    if (!m_ownTemporary->isValid())
        return std::nullopt;
    return nativePath(m_ownTemporary->path());
}

// Loads the copy just written, from the file still open: mapped where it
// lies in the system's cache (our own file, which nobody else writes), else
// read back whole.
TestOpening TemporaryCopy::readBack(const QString &title)
{
    QFile &file = m_copy.file();
    std::shared_ptr<const FileMapping> mapping = FileMapping::of(file);
    QByteArray bytes;
    if (mapping) {
        bytes = QByteArray::fromRawData(mapping->bytes().data(), mapping->bytes().size());
    } else {
        const qint64 size = file.size();
        bytes.resize(qsizetype(qBound<qint64>(0, size, MaxTableBytes + 2)));
        if (!file.seek(0) || file.read(bytes.data(), bytes.size()) != bytes.size())
            return failedOpening(fileFailure(file, m_shown));
    }
    return TestOpening::ofPlainCopy(std::move(bytes), m_shown, title, std::move(mapping));
}

} // namespace velmora
