#include "testdata/opening.h"

#include "platform/core/filemapping.h"
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

// Judges an unscrambled copy held in memory, loading it in place (raw
// bytes kept by `holder`, when it is given).
TestOpening openUnscrambledBytes(QByteArray &&copy, const QString &copyPath, const std::optional<QString> &title,
                                 std::shared_ptr<const void> holder = {})
{
    TestOpening opening;
    const QString shown = title ? *title : titleOf(copy).value_or(QString());
    if (holdsTitleOnly(copy)) {
        opening.title = shown;
        opening.refusal = noTaskText(shown);
        return opening;
    }
    judgeLoaded(opening, LoadTest(std::move(copy), opening.tasks, std::move(holder)), shown, copyPath);
    return opening;
}

TestOpening failedOpening(Failure failure, const QString &copyPath)
{
    TestOpening opening;
    failure.path = copyPath;
    opening.failure = std::move(failure);
    return opening;
}

// Loads the copy just written, from the file still open: mapped where it
// lies in the system's cache (our own file, which nobody else writes), else
// read back whole.
TestOpening openWrittenCopy(QFile &file, const QString &copyPath, const std::optional<QString> &title)
{
    std::shared_ptr<const FileMapping> mapping = FileMapping::of(file);
    QByteArray bytes;
    if (mapping) {
        bytes = QByteArray::fromRawData(mapping->bytes().data(), mapping->bytes().size());
    } else if (!file.seek(0) || !readWhole(file, bytes, MaxTableBytes)) {
        return failedOpening(fileFailure(file, copyPath), copyPath);
    }
    return openUnscrambledBytes(std::move(bytes), copyPath, title, std::move(mapping));
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
    // One larger than the loader ever takes is refused before a byte of it
    // is read: it would only fill the disk with its copy before the same
    // refusal. A pipe stops at the same size.
    if (!stored.isSequential() && stored.size() - stored.pos() > MaxTableBytes)
        return failedOpening(Failure::of(FailureNumber::OutOfMemory), copy.shownPath);
    const ScrambledCopy written = ScrambleFile(stored, nativeStoredPath, copy, elsewhere, MaxTableBytes);
    if (written.failure)
        return failedOpening(*written.failure, copy.shownPath);
    // Read back from the file as it was written, never by its name again:
    // whatever happens to the name meanwhile, the load is this copy's.
    TestOpening opening = openWrittenCopy(written.copy->file(), copy.shownPath, title);
    written.copy->remove(); // the test in plain text, answers in order: never left behind
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
