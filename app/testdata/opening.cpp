#include "testdata/opening.h"

#include "testdata/loader.h"
#include "testdata/messages.h"
#include "testdata/scramble.h"
#include "testdata/temporarycopy.h"

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

} // namespace

QString TestOpening::message() const
{
    if (failure)
        return FailureMessage(*failure).text;
    return refusal.value_or(QString());
}

TestOpening TestOpening::ofPlainCopy(QByteArray &&plain, const QString &shownCopy, const std::optional<QString> &title,
                                     std::shared_ptr<const void> holder)
{
    TestOpening opening;
    const QString shown = title ? *title : titleOf(plain).value_or(QString());
    if (holdsTitleOnly(plain)) {
        opening.title = shown;
        opening.refusal = noTaskText(shown);
        return opening;
    }
    judgeLoaded(opening, LoadTest(std::move(plain), opening.tasks, std::move(holder)), shown, shownCopy);
    return opening;
}

TestOpening TestOpening::ofStoredBytes(QByteArray &&stored, const QString &testPath, const std::optional<QString> &title)
{
    const QString shownCopy = TemporaryCopy::messagePath(testPath);
    QByteArray plain = scrambleBytes(std::move(stored));
    if (plain.isEmpty()) {
        TestOpening opening;
        opening.failure = Failure::of(FailureNumber::InputPastEnd, shownCopy);
        return opening;
    }
    return ofPlainCopy(std::move(plain), shownCopy, title);
}

} // namespace velmora
