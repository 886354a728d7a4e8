#include "testdata/opening.h"

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

TestOpening openStoredTest(QIODevice &stored, const QString &storedPath, const QString &copyPath,
                           const std::optional<QString> &title)
{
    TestOpening opening;
    if (!stored.isSequential() && stored.size() - stored.pos() <= MaxTableBytes) {
        // Read once, unscrambled in memory and written to the copy; what
        // was written is loaded from memory rather than read back.
        QByteArray plain;
        if (std::optional<Failure> failure = scrambleToCopy(stored, copyPath, storedPath, plain, MaxTableBytes)) {
            opening.failure = failure; // the copy is gone already
            return opening;
        }
        opening = openUnscrambledBytes(std::move(plain), copyPath, title);
        QFile::remove(copyPath); // the test in plain text, answers in order: never left behind
        return opening;
    }
    if (std::optional<Failure> failure = scrambleToCopy(stored, copyPath, storedPath)) {
        opening.failure = failure; // the copy is gone already
        return opening;
    }
    QFile copy(copyPath);
    if (copy.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        opening = openUnscrambled(copy, copyPath, title);
        copy.close();
    } else {
        opening.failure = fileFailure(copy, copyPath);
    }
    // The copy is the test in plain text, answers in order: never left behind.
    QFile::remove(copyPath);
    return opening;
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
