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
// title's CR LF come only the two bytes the unscrambling appends.
bool holdsTitleOnly(QByteArrayView copy)
{
    const std::optional<qsizetype> title = titleEnd(copy);
    return title && copy.size() == *title + 2;
}

QString refusalText(const QString &title, const QString &why)
{
    return u"Тест «%1» нельзя открыть: %2 Выберите другой тест."_s.arg(title, why);
}

QString noTaskText(const QString &title)
{
    return refusalText(title, u"в нём нет ни одного задания."_s);
}

// The judgement once the copy has been loaded.
void judgeLoaded(TestOpening &opening, LoadResult loaded, const QString &shown, const QString &copyPath)
{
    opening.title = std::move(loaded.title);
    if (loaded.failure) {
        loaded.failure->path = copyPath;
        opening.failure = loaded.failure;
        return;
    }
    if (loaded.tasksRead == 0) {
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
    judgeLoaded(opening, LoadTest(std::move(copy), opening.tasks), shown, copyPath);
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

TestOpening failedOpening(Failure failure, const QString &copyPath)
{
    TestOpening opening;
    failure.path = copyPath;
    opening.failure = std::move(failure);
    return opening;
}

} // namespace

QString TestOpening::message() const
{
    if (failure)
        return testDataFailureMessage(*failure).text;
    return refusal.value_or(QString());
}

TestOpening openStoredTest(QIODevice &stored, const QByteArray &nativeStoredPath, const CopyPlace &copy,
                           const CopyFallback &elsewhere, const std::optional<QString> &title)
{
    QByteArray plain;
    if (std::optional<Failure> failure = readStored(stored, plain))
        return failedOpening(*failure, copy.shownPath);
    const ScrambledCopy written = ScrambleFile(plain, nativeStoredPath, copy, elsewhere);
    if (written.failure)
        return failedOpening(*written.failure, copy.shownPath);
    // What was written is loaded from memory rather than read back.
    TestOpening opening = openUnscrambledBytes(std::move(plain), copy.shownPath, title);
    removeFile(written.writtenPath); // the test in plain text, answers in order: never left behind
    return opening;
}

TestOpening openStoredBytes(QByteArray &&stored, const QString &testPath, const std::optional<QString> &title)
{
    const QString copyPath = testPath + u".tmp"_s;
    QByteArray plain = scrambleBytes(std::move(stored));
    if (plain.isEmpty())
        return failedOpening(Failure::of(FailureNumber::InputPastEnd), copyPath);
    return openUnscrambledBytes(std::move(plain), copyPath, title);
}

} // namespace velmora
