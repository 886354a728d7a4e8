#include "testdata/opening.h"

#include "platform/core/nativefiles.h"
#include "testdata/linereader.h"
#include "testdata/loader.h"
#include "testdata/messages.h"
#include "testdata/scramble.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

// Whether an unscrambled copy holds a title line and nothing else: after the
// title's CR LF come only the two bytes the unscrambling appends. Leaves the
// device at its start.
bool holdsTitleOnly(QIODevice &copy)
{
    const qint64 size = copy.size();
    qint64 offset = 0;
    char previous = 0;
    std::optional<bool> titleOnly;
    QByteArray chunk;
    while (!titleOnly && !(chunk = copy.read(64 * 1024)).isEmpty()) {
        for (qsizetype i = 0; i < chunk.size() && !titleOnly; ++i) {
            if (previous == '\r' && chunk.at(i) == '\n')
                titleOnly = size == offset + i + 1 + 2;
            previous = chunk.at(i);
        }
        offset += chunk.size();
    }
    copy.seek(0);
    return titleOnly.value_or(false);
}

// The same for the copy's bytes in memory.
bool holdsTitleOnly(QByteArrayView copy)
{
    const qsizetype pair = copy.indexOf(QByteArrayView("\r\n", 2));
    return pair >= 0 && copy.size() == pair + 2 + 2;
}

QString refusalText(const QString &title, const QString &why)
{
    return u"Тест «%1» нельзя открыть: %2 Выберите другой тест."_s.arg(title, why);
}

QString noTaskText(const QString &title)
{
    return refusalText(title, u"в нём нет ни одного задания."_s);
}

// The judgement once the copy has been loaded (`failure` the load's).
void judgeLoaded(TestOpening &opening, std::optional<Failure> failure, int tasksRead, const QString &shown,
                 const QString &copyPath)
{
    if (failure) {
        failure->path = copyPath;
        opening.failure = failure;
        return;
    }
    if (tasksRead == 0) {
        opening.refusal = noTaskText(shown);
        return;
    }
    for (int n = 1; n <= opening.tasks.count(); ++n) {
        if (opening.tasks.stepCount(n) > MaxStepsPerTask) {
            opening.refusal = refusalText(shown, u"в задании %1 больше %2 шагов, а список вмещает не больше %2."_s.arg(
                                                     QString::number(n), QString::number(MaxStepsPerTask)));
            opening.tasks = TaskTable();
            return;
        }
    }
}

// Judges an unscrambled copy held in memory, loading it in place.
TestOpening openUnscrambledBytes(QByteArray &&copy, const QString &copyPath, const std::optional<QString> &title)
{
    TestOpening opening;
    const QString shown = title ? *title : titleOf(copy).value_or(QString());
    if (holdsTitleOnly(copy)) {
        opening.title = shown;
        opening.refusal = noTaskText(shown);
        return opening;
    }
    int tasksRead = 0;
    std::optional<Failure> failure = loadTestFromBytes(std::move(copy), opening.tasks, &tasksRead, &opening.title);
    judgeLoaded(opening, failure, tasksRead, shown, copyPath);
    return opening;
}

// Reads a stored test whole. One larger than the loader ever takes is
// refused before a byte of it is read: it would only fill the disk with
// its copy before the same refusal.
std::optional<Failure> readStored(QIODevice &stored, QByteArray &bytes)
{
    if (!stored.isSequential() && stored.size() - stored.pos() > MaxTableBytes)
        return Failure::of(FailureNumber::OutOfMemory);
    // Room for the byte the unscrambling appends.
    if (!readWhole(stored, bytes, MaxTableBytes, 1)) {
        if (const auto *file = qobject_cast<const QFileDevice *>(&stored))
            return fileFailure(*file, {});
        return Failure::of(FailureNumber::DeviceIoError);
    }
    if (bytes.size() > MaxTableBytes)
        return Failure::of(FailureNumber::OutOfMemory);
    return std::nullopt;
}

// The folder takes no new file there: the copy may go elsewhere.
bool refusesNewFiles(const Failure &failure)
{
    return failure.number == FailureNumber::PermissionDenied || failure.number == FailureNumber::PathFileAccessError;
}

// Writes the whole copy and closes it.
std::optional<Failure> writeCopy(QFile &out, const QByteArray &plain, const QString &shown)
{
    for (qint64 done = 0; done < plain.size();) {
        const qint64 written = out.write(plain.constData() + done, plain.size() - done);
        if (written <= 0)
            return fileFailure(out, shown, FileAccess::Write);
        done += written;
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        return fileFailure(out, shown, FileAccess::Write);
    return std::nullopt;
}

} // namespace

QString TestOpening::message() const
{
    if (failure)
        return testDataFailureMessage(*failure).text;
    return refusal.value_or(QString());
}

TestOpening openUnscrambled(QIODevice &copy, const QString &copyPath, const std::optional<QString> &title)
{
    TestOpening opening;
    QString shown = title.value_or(QString());
    if (!title) {
        shown = readTitle(copy).value_or(QString());
        copy.seek(0);
    }
    if (holdsTitleOnly(copy)) {
        opening.title = shown;
        opening.refusal = noTaskText(shown);
        return opening;
    }
    int tasksRead = 0;
    std::optional<Failure> failure = loadTestFrom(copy, opening.tasks, &tasksRead, &opening.title);
    judgeLoaded(opening, failure, tasksRead, shown, copyPath);
    return opening;
}

TestOpening openStoredTest(QIODevice &stored, const QByteArray &nativeStoredPath, const CopyPlace &copy,
                           const CopyFallback &elsewhere, const std::optional<QString> &title)
{
    TestOpening opening;
    QByteArray plain;
    std::optional<Failure> failure = readStored(stored, plain);
    if (!failure)
        failure = scrambleInPlace(plain);
    if (!failure && namesSameFile(nativeStoredPath, copy.nativePath))
        failure = Failure::of(FailureNumber::PathFileAccessError);
    QFile out;
    QByteArray written = copy.nativePath;
    if (!failure) {
        failure = createPrivateFile(out, written, copy.shownPath);
        if (failure && refusesNewFiles(*failure) && elsewhere) {
            if (const std::optional<CopyPlace> other = elsewhere()) {
                written = other->nativePath;
                failure = createPrivateFile(out, written, copy.shownPath);
            }
        }
        if (!failure && (failure = writeCopy(out, plain, copy.shownPath)))
            removeFile(written);
    }
    if (failure) {
        failure->path = copy.shownPath;
        opening.failure = failure;
        return opening;
    }
    // What was written is loaded from memory rather than read back.
    opening = openUnscrambledBytes(std::move(plain), copy.shownPath, title);
    removeFile(written); // the test in plain text, answers in order: never left behind
    return opening;
}

TestOpening openStoredTest(QIODevice &stored, const QString &storedPath, const QString &copyPath,
                           const std::optional<QString> &title)
{
    return openStoredTest(stored, nativePath(storedPath), CopyPlace{nativePath(copyPath), copyPath}, {}, title);
}

TestOpening openStoredBytes(QByteArray &&stored, const QString &testPath, const std::optional<QString> &title)
{
    const QString copyPath = testPath + u".tmp"_s;
    if (std::optional<Failure> failure = scrambleInPlace(stored)) {
        TestOpening opening;
        opening.failure = failure;
        opening.failure->path = copyPath;
        return opening;
    }
    return openUnscrambledBytes(std::move(stored), copyPath, title);
}

TestOpening openStoredBytes(QByteArrayView stored, const QString &testPath, const std::optional<QString> &title)
{
    QByteArray copy;
    copy.reserve(stored.size() + 1);
    copy.append(stored);
    return openStoredBytes(std::move(copy), testPath, title);
}

} // namespace velmora
