#include "testdata/checker.h"

#include "platform/core/product.h"
#include "testdata/loader.h"
#include "testdata/opening.h"
#include "testdata/scramble.h"
#include "testdata/textcodec.h"

#include <QBuffer>

#include <algorithm>

namespace velmora {
namespace {

const QString DamagedMessage = QStringLiteral("«поврежден или записан в неверном формате»");

enum class Terminator { None, Cr, CrLf };

// A line as the loader reads it: it ends at CR or CR LF.
struct Line final
{
    qsizetype start = 0;
    QByteArrayView bytes;
    Terminator terminator = Terminator::None;
};

QList<Line> loaderLines(QByteArrayView text)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        Line line;
        line.start = start;
        qsizetype end = text.indexOf('\r', start);
        if (end < 0) {
            line.bytes = text.sliced(start);
            lines.append(line);
            break;
        }
        line.bytes = text.sliced(start, end - start);
        line.terminator = Terminator::Cr;
        start = end + 1;
        if (start < text.size() && text.at(start) == '\n') {
            line.terminator = Terminator::CrLf;
            ++start;
        }
        lines.append(line);
    }
    return lines;
}

// Line numbers as a text editor shows them: it also breaks lines at a lone LF.
class EditorLines final
{
public:
    explicit EditorLines(QByteArrayView text)
    {
        m_starts.append(0);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
                ++i;
            if (text.at(i) == '\r' || text.at(i) == '\n')
                m_starts.append(i + 1);
        }
    }

    int numberAt(qsizetype offset) const
    {
        const auto after = std::upper_bound(m_starts.cbegin(), m_starts.cend(), offset);
        return int(after - m_starts.cbegin());
    }

private:
    QList<qsizetype> m_starts;
};

struct LoadedTask final
{
    qsizetype statement = 0;     // index into the lines
    QList<qsizetype> steps;      // indices into the lines
};

QString plural(qsizetype n, const char *one, const char *few, const char *many)
{
    const qsizetype tens = n % 100;
    const qsizetype units = n % 10;
    const char *word = many;
    if (tens < 11 || tens > 14) {
        if (units == 1)
            word = one;
        else if (units >= 2 && units <= 4)
            word = few;
    }
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(word);
}

bool sameTasks(const TaskTable &loaded, const QList<QList<QByteArrayView>> &written)
{
    if (loaded.count() != written.size())
        return false;
    for (int n = 1; n <= loaded.count(); ++n) {
        const Task task = loaded.task(n);
        const QList<QByteArrayView> &lines = written.at(n - 1);
        if (task.size() != lines.size())
            return false;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (task.at(i) != decodeLine(lines.at(i)))
                return false;
    }
    return true;
}

} // namespace

QList<Finding> CheckTest(QByteArrayView text)
{
    QList<Finding> findings;
    auto report = [&findings](int line, const QString &message, bool blocksOpening = false) {
        findings.append({line, message, blocksOpening});
    };

    if (text.isEmpty()) {
        report(1, QStringLiteral("Файл пуст: в нём нет ни заголовка, ни заданий. Программа сообщит, что файл ")
                      + DamagedMessage + QLatin1Char('.'), true);
        return findings;
    }

    const EditorLines editor(text);
    const QList<Line> lines = loaderLines(text);
    auto lineNumber = [&](qsizetype index) { return editor.numberAt(lines.at(index).start); };

    // Line ends the program does not know.
    qsizetype loneLf = 0;
    qsizetype firstLoneLf = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == '\n' && (i == 0 || text.at(i - 1) != '\r')) {
            if (firstLoneLf < 0)
                firstLoneLf = i;
            ++loneLf;
        }
    }
    if (loneLf > 0) {
        report(editor.numberAt(firstLoneLf),
               QStringLiteral("Строка заканчивается одним символом LF (таких строк: %1): программа не считает LF концом "
                              "строки и склеит такие строки с соседними. Сохраните текст с концами строк CR LF "
                              "(velmora-tst scramble исправит это сам).")
                   .arg(loneLf));
    }
    if (text.indexOf(QByteArrayView("\r\n", 2)) < 0) {
        report(0, QStringLiteral("В файле нет ни одного перевода строки CR LF: его нельзя зашифровать, программа сообщит, "
                                 "что файл ")
                      + DamagedMessage + QLatin1Char('.'), true);
    }

    // The title.
    if (lines.first().bytes.isEmpty())
        report(1, QStringLiteral("Нет заголовка: первая строка пуста, в списке тестов будет пустая строка."));
    if (lines.first().terminator == Terminator::Cr && lines.size() > 1) {
        report(1, QStringLiteral("Заголовок кончается символом CR без LF: в списке тестов будет видна только часть до "
                                 "него, а следующая строка станет условием первого задания."));
    }

    // The end of the text: what the teacher most likely meant is analysed
    // below, these two findings say why the program reads it otherwise.
    qsizetype last = lines.size() - 1;
    const bool endsWithBreak = lines.constLast().terminator != Terminator::None;
    while (last > 0 && lines.at(last).bytes.isEmpty() && (last < lines.size() - 1 || endsWithBreak))
        --last;
    const qsizetype trailingEmpty = lines.size() - 1 - last;
    if (trailingEmpty > 0) {
        report(lineNumber(last + 1),
               (trailingEmpty == 1 ? QStringLiteral("Пустая строка в конце") : QStringLiteral("Пустые строки в конце (%1)").arg(trailingEmpty))
                   + QStringLiteral(": после последнего задания программа начнёт ещё одно и сообщит, что файл ")
                   + DamagedMessage + QStringLiteral(" (velmora-tst scramble уберёт их сам)."), true);
    }
    if (!endsWithBreak && !lines.constLast().bytes.isEmpty() && lines.size() > 1) {
        report(lineNumber(lines.size() - 1),
               QStringLiteral("Последняя строка без перевода строки: программа её не загрузит, а если это первый шаг "
                              "задания, сообщит, что файл ")
                   + DamagedMessage + QStringLiteral(" (velmora-tst scramble добавит перевод строки сам)."));
    }

    // The tasks as the program reads them, from the title to the last line
    // that holds text; the line that unscrambling appends follows it.
    QList<LoadedTask> tasks;
    const qsizetype count = last + 2; // the appended line included
    // The appended line (index last + 1) holds two bytes: never empty.
    auto isEmpty = [&](qsizetype i) { return i <= last && lines.at(i).bytes.isEmpty(); };
    if (last == 0) {
        report(0, QStringLiteral("В тесте нет ни одного задания: программа откажется открыть такой тест."), true);
    }
    qsizetype i = last == 0 ? count : 1;
    while (i < count) {
        if (tasks.size() == MaxCount16) {
            report(lineNumber(i), QStringLiteral("Заданий больше %1: программа остановится с ошибкой переполнения.").arg(MaxCount16), true);
            break;
        }
        LoadedTask task;
        task.statement = i++;
        const int number = int(tasks.size()) + 1;
        if (i == count - 1) {
            // The statement is the last line: the appended line would become
            // its first step, and the next one is read past the end.
            report(lineNumber(task.statement),
                   QStringLiteral("У задания %1 нет ни одного шага: после условия файл кончается, программа сообщит, "
                                  "что файл ")
                           .arg(number)
                       + DamagedMessage + QLatin1Char('.'), true);
            break;
        }
        if (isEmpty(task.statement)) {
            report(lineNumber(task.statement),
                   task.statement == 1
                       ? QStringLiteral("Пустая строка сразу после заголовка станет условием первого задания.")
                       : QStringLiteral("Две пустые строки подряд: вторая станет условием нового задания, а следующая "
                                        "строка — его первым шагом."));
        }
        qsizetype holding = i++;
        bool overflow = false;
        do {
            if (task.steps.size() == MaxCount16) {
                overflow = true;
                break;
            }
            task.steps.append(holding);
            holding = i++;
        } while (!isEmpty(holding) && i < count);
        // The loop above never reads past the end: the last line holds text
        // and the appended line follows it.
        const qsizetype first = task.steps.first();
        if (isEmpty(first)) {
            report(lineNumber(first), QStringLiteral("Пустая строка сразу после условия не завершает задание: она станет "
                                                     "пустым первым шагом."));
        }
        if (overflow) {
            report(lineNumber(task.statement),
                   QStringLiteral("В задании %1 больше %2 шагов: программа остановится с ошибкой переполнения.").arg(number).arg(MaxCount16), true);
            break;
        }
        tasks.append(task);
    }

    for (qsizetype n = 0; n < tasks.size(); ++n) {
        const LoadedTask &task = tasks.at(n);
        const int statementLine = lineNumber(task.statement);
        const qsizetype k = task.steps.size();
        if (k > MaxStepsPerTask) {
            report(statementLine, QStringLiteral("В задании %1 %2, а в списке помещается не больше %3: программа не "
                                                 "покажет такой тест.")
                                      .arg(n + 1)
                                      .arg(plural(k, "шаг", "шага", "шагов"))
                                      .arg(MaxStepsPerTask), true);
        }
        const QByteArrayView firstStep = lines.at(task.steps.first()).bytes;
        const bool allSame = std::all_of(task.steps.cbegin(), task.steps.cend(),
                                         [&](qsizetype step) { return lines.at(step).bytes == firstStep; });
        if (k == 1) {
            report(statementLine, QStringLiteral("В задании %1 только один шаг: ответ всегда будет засчитан как верный.")
                                      .arg(n + 1));
        } else if (allSame) {
            report(statementLine, QStringLiteral("В задании %1 все шаги одинаковы: любой порядок будет засчитан как "
                                                 "верный.")
                                      .arg(n + 1));
        }
    }
    if (findings.isEmpty()) {
        // Nothing found: the program must read exactly the tasks written,
        // which the loader itself confirms (it also knows its own limits).
        QList<QList<QByteArrayView>> written;
        QList<QByteArrayView> block;
        for (qsizetype l = 1; l <= last; ++l) {
            if (lines.at(l).bytes.isEmpty()) {
                written.append(block);
                block.clear();
            } else {
                block.append(lines.at(l).bytes);
            }
        }
        if (!block.isEmpty())
            written.append(block);
        QByteArray unscrambled = scrambleBytes(scrambleBytes(text));
        QBuffer device(&unscrambled);
        device.open(QIODevice::ReadOnly);
        TaskTable loaded;
        const std::optional<Failure> failure = loadTestFrom(device, loaded);
        if (failure || !sameTasks(loaded, written))
            report(0, QStringLiteral("Программа загрузит тест не так, как он записан."));
    }

    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding &a, const Finding &b) { return a.line < b.line; });
    return findings;
}

} // namespace velmora
