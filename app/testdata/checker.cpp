#include "testdata/checker.h"

#include "platform/core/product.h"
#include "testdata/linereader.h"
#include "testdata/loader.h"
#include "testdata/opening.h"
#include "testdata/scramble.h"
#include "testdata/taskreading.h"
#include "testdata/textcodec.h"

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
    for (qsizetype start = 0; start < text.size();) {
        const LineSpan span = lineAt(text, start);
        const Terminator terminator = span.terminator == 2 ? Terminator::CrLf
                                      : span.terminator == 1 ? Terminator::Cr
                                                             : Terminator::None;
        lines.append({start, text.sliced(start, span.size), terminator});
        start = span.next();
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
        for (LineSpan line = lineAt(text, 0, LineEnds::Editor); line.terminator > 0;
             line = lineAt(text, line.next(), LineEnds::Editor))
            m_starts.append(line.next());
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

// A line that looks empty: it holds blanks alone (a zero-width space or a
// stray byte order mark looks like nothing as well).
bool holdsOnlyBlanks(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return false;
    const QString text = decodeLine(bytes);
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.isSpace() || c == u'\u200B' || c == u'\uFEFF'; });
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

// The checks of one text, one job each: the line ends, the title, the end
// of the text, the tasks as the program reads them, what each task holds,
// and the loader's own confirmation when nothing was found.
class Checker final
{
public:
    explicit Checker(QByteArrayView text)
        : m_text(text)
        , m_editor(text)
        , m_lines(loaderLines(text))
    {
    }

    QList<Finding> run()
    {
        checkLineEnds();
        checkTitle();
        checkEnd();
        readTasks();
        checkTasks();
        if (m_findings.isEmpty())
            confirmWithLoader();
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const Finding &a, const Finding &b) { return a.line < b.line; });
        return m_findings;
    }

    // Of the findings of run(), those about lines of blanks alone.
    const QList<Finding> &blankLines() const { return m_blankLines; }

private:
    void report(int line, const QString &message, bool blocksOpening = false)
    {
        m_findings.append({line, message, blocksOpening});
    }
    void reportBlank(qsizetype index, const QString &message)
    {
        report(lineNumber(index), message);
        m_blankLines.append(m_findings.constLast());
    }
    int lineNumber(qsizetype index) const { return m_editor.numberAt(m_lines.at(index).start); }
    // The appended line (index m_last + 1) holds two bytes: never empty.
    bool isEmpty(qsizetype i) const { return i <= m_last && m_lines.at(i).bytes.isEmpty(); }
    bool isBlank(qsizetype i) const { return i <= m_last && holdsOnlyBlanks(m_lines.at(i).bytes); }

    // Line ends the program does not know.
    void checkLineEnds()
    {
        qsizetype loneLf = 0;
        qsizetype firstLoneLf = -1;
        for (qsizetype i = 0; i < m_text.size(); ++i) {
            if (m_text.at(i) == '\n' && (i == 0 || m_text.at(i - 1) != '\r')) {
                if (firstLoneLf < 0)
                    firstLoneLf = i;
                ++loneLf;
            }
        }
        if (loneLf > 0) {
            report(m_editor.numberAt(firstLoneLf),
                   QStringLiteral("Строка заканчивается одним символом LF (таких строк: %1): программа не считает LF концом "
                                  "строки и склеит такие строки с соседними. Сохраните текст с концами строк CR LF "
                                  "(velmora-tst scramble исправит это сам).")
                       .arg(loneLf));
        }
        if (!titleEnd(m_text)) {
            report(0, QStringLiteral("В файле нет ни одного перевода строки CR LF: его нельзя зашифровать, программа сообщит, "
                                     "что файл ")
                          + DamagedMessage + QLatin1Char('.'), true);
        }
    }

    void checkTitle()
    {
        if (m_lines.first().bytes.isEmpty())
            report(1, QStringLiteral("Нет заголовка: первая строка пуста, в списке тестов будет пустая строка."));
        if (m_lines.first().terminator == Terminator::Cr && m_lines.size() > 1) {
            report(1, QStringLiteral("Заголовок кончается символом CR без LF: в списке тестов будет видна только часть до "
                                     "него, а следующая строка станет условием первого задания."));
        }
    }

    // The end of the text: what the teacher most likely meant is analysed
    // from the last line that holds text; these findings say why the
    // program reads it otherwise.
    void checkEnd()
    {
        m_last = m_lines.size() - 1;
        const bool endsWithBreak = m_lines.constLast().terminator != Terminator::None;
        while (m_last > 0 && m_lines.at(m_last).bytes.isEmpty() && (m_last < m_lines.size() - 1 || endsWithBreak))
            --m_last;
        const qsizetype trailingEmpty = m_lines.size() - 1 - m_last;
        if (trailingEmpty > 0) {
            report(lineNumber(m_last + 1),
                   (trailingEmpty == 1 ? QStringLiteral("Пустая строка в конце")
                                       : QStringLiteral("Пустые строки в конце (%1)").arg(trailingEmpty))
                       + QStringLiteral(": после последнего задания программа начнёт ещё одно и сообщит, что файл ")
                       + DamagedMessage + QStringLiteral(" (velmora-tst scramble уберёт их сам)."), true);
        }
        if (!endsWithBreak && !m_lines.constLast().bytes.isEmpty() && m_lines.size() > 1) {
            report(lineNumber(m_lines.size() - 1),
                   QStringLiteral("Последняя строка без перевода строки: программа её не загрузит, а если это первый шаг "
                                  "задания, сообщит, что файл ")
                       + DamagedMessage + QStringLiteral(" (velmora-tst scramble добавит перевод строки сам)."));
        }
    }

    // The tasks as the program reads them, from the title to the last line
    // that holds text; the line that unscrambling appends follows it. The
    // loader's own reading runs over the lines and says where each task
    // and step comes from; the findings are added on top.
    void readTasks()
    {
        if (m_last == 0) {
            report(0, QStringLiteral("В тесте нет ни одного задания: программа откажется открыть такой тест."), true);
            return;
        }
        TracedLines lines(m_last + 2); // the appended line included
        TaskTrace trace;
        trace.checker = this;
        lines.table = &trace;
        int started = 0;
        const std::optional<Failure> failure = readTaskLines(lines, trace, started, [] {});
        const bool cutShort = failure && failure->number == FailureNumber::InputPastEnd;
        const bool tooManySteps = failure && failure->number == FailureNumber::Overflow && trace.open;
        for (qsizetype t = 0; t < trace.tasks.size(); ++t) {
            const LoadedTask &task = trace.tasks.at(t);
            const int number = int(t) + 1;
            const bool last = t + 1 == trace.tasks.size();
            if (last && cutShort) {
                // The statement is the last line: the appended line became
                // its first step, and the next one was read past the end.
                report(lineNumber(task.statement),
                       QStringLiteral("У задания %1 нет ни одного шага: после условия файл кончается, программа сообщит, "
                                      "что файл ")
                               .arg(number)
                           + DamagedMessage + QLatin1Char('.'), true);
                return;
            }
            checkStatement(task, number);
            const qsizetype first = task.steps.first();
            if (isEmpty(first)) {
                report(lineNumber(first), QStringLiteral("Пустая строка сразу после условия не завершает задание: она станет "
                                                         "пустым первым шагом."));
            }
            checkBlankSteps(task, number);
            if (last && tooManySteps) {
                report(lineNumber(task.statement),
                       QStringLiteral("В задании %1 больше %2 шагов: программа остановится с ошибкой переполнения.")
                           .arg(number)
                           .arg(MaxCount16),
                       true);
                return;
            }
            m_tasks.append(task);
        }
        if (failure && failure->number == FailureNumber::Overflow) {
            report(lineNumber(lines.position),
                   QStringLiteral("Заданий больше %1: программа остановится с ошибкой переполнения.").arg(MaxCount16),
                   true);
        }
    }

    // A statement that looks like none.
    void checkStatement(const LoadedTask &task, int number)
    {
        if (isEmpty(task.statement)) {
            report(lineNumber(task.statement),
                   task.statement == 1
                       ? QStringLiteral("Пустая строка сразу после заголовка станет условием первого задания.")
                       : QStringLiteral("Две пустые строки подряд: вторая станет условием нового задания, а следующая "
                                        "строка — его первым шагом."));
        } else if (isBlank(task.statement)) {
            reportBlank(task.statement, QStringLiteral("Строка из одних пробелов станет условием задания %1, которое "
                                                       "выглядит пустым, а следующая строка — его первым шагом.")
                                            .arg(number));
        }
    }

    // The loader's hands while it reads the checker's lines: what it keeps
    // is recorded as indices into the lines.
    struct TaskTrace final
    {
        const Checker *checker = nullptr;
        QList<LoadedTask> tasks;
        qsizetype pending = 0;
        bool open = false; // a task has been started and not yet ended
        bool statementKept = false;

        void startTask()
        {
            tasks.append(LoadedTask());
            open = true;
            statementKept = false;
        }
        void keepPending()
        {
            LoadedTask &task = tasks.last();
            if (!statementKept) {
                task.statement = pending;
                statementKept = true;
            } else {
                task.steps.append(pending);
            }
        }
        void dropPending() { open = false; } // the title, or the line that ended a task
        bool pendingIsEmpty() const { return checker->isEmpty(pending); }
    };

    // The lines from the title on, by index, with no limit of the
    // loader's memory: the confirmation below knows those.
    struct TracedLines final
    {
        explicit TracedLines(qsizetype lineCount)
            : count(lineCount)
        {
        }
        bool atEnd() const { return position >= count; }
        bool next()
        {
            if (atEnd()) {
                failure = Failure::of(FailureNumber::InputPastEnd);
                return false;
            }
            table->pending = position++;
            return true;
        }

        qsizetype count;
        qsizetype position = 0;
        TaskTrace *table = nullptr;
        std::optional<Failure> failure;
    };

    // A line of blanks between two tasks does not end the first: it and the
    // next statement become its steps.
    void checkBlankSteps(const LoadedTask &task, int number)
    {
        for (qsizetype s = 0; s < task.steps.size(); ++s) {
            const qsizetype line = task.steps.at(s);
            if (!isBlank(line))
                continue;
            if (s > 0 && s + 1 < task.steps.size()) {
                reportBlank(line, QStringLiteral("Строка из одних пробелов не разделяет задания: программа не считает её "
                                                 "пустой, задание %1 продолжится, эта строка станет шагом, который "
                                                 "выглядит пустым, а следующая — ещё одним шагом. Чтобы разделить "
                                                 "задания, оставьте строку совсем пустой.")
                                      .arg(number));
            } else {
                reportBlank(line, QStringLiteral("Строка из одних пробелов станет шагом задания %1, который выглядит "
                                                 "пустым.")
                                      .arg(number));
            }
        }
    }

    // What each task holds: too many steps for the list, or steps that
    // make any order correct.
    void checkTasks()
    {
        for (qsizetype n = 0; n < m_tasks.size(); ++n) {
            const LoadedTask &task = m_tasks.at(n);
            const int statementLine = lineNumber(task.statement);
            const qsizetype k = task.steps.size();
            if (k > MaxStepsPerTask) {
                report(statementLine, QStringLiteral("В задании %1 %2, а в списке помещается не больше %3: программа не "
                                                     "покажет такой тест.")
                                          .arg(n + 1)
                                          .arg(plural(k, "шаг", "шага", "шагов"))
                                          .arg(MaxStepsPerTask), true);
            }
            const QByteArrayView firstStep = m_lines.at(task.steps.first()).bytes;
            const bool allSame = std::all_of(task.steps.cbegin(), task.steps.cend(),
                                             [&](qsizetype step) { return m_lines.at(step).bytes == firstStep; });
            if (k == 1) {
                report(statementLine, QStringLiteral("В задании %1 только один шаг: ответ всегда будет засчитан как верный.")
                                          .arg(n + 1));
            } else if (allSame) {
                report(statementLine, QStringLiteral("В задании %1 все шаги одинаковы: любой порядок будет засчитан как "
                                                     "верный.")
                                          .arg(n + 1));
            }
        }
    }

    // Nothing found: the program must read exactly the tasks written, which
    // the loader itself confirms (it also knows its own limits).
    void confirmWithLoader()
    {
        QList<QList<QByteArrayView>> written;
        QList<QByteArrayView> block;
        for (qsizetype l = 1; l <= m_last; ++l) {
            if (m_lines.at(l).bytes.isEmpty()) {
                written.append(block);
                block.clear();
            } else {
                block.append(m_lines.at(l).bytes);
            }
        }
        if (!block.isEmpty())
            written.append(block);
        TaskTable loaded;
        const LoadResult result = LoadTest(scrambleBytes(scrambleBytes(m_text.toByteArray())), loaded);
        if (result.failure || !sameTasks(loaded, written))
            report(0, QStringLiteral("Программа загрузит тест не так, как он записан."));
    }

    QByteArrayView m_text;
    EditorLines m_editor;
    QList<Line> m_lines;
    qsizetype m_last = 0; // the last line that holds text (0: the title)
    QList<LoadedTask> m_tasks;
    QList<Finding> m_findings;
    QList<Finding> m_blankLines;
};

QString encodingName(LineEncoding encoding)
{
    return encoding == LineEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1251");
}

} // namespace

QList<Finding> CheckTest(QByteArrayView text)
{
    if (text.isEmpty()) {
        return {{1, QStringLiteral("Файл пуст: в нём нет ни заголовка, ни заданий. Программа сообщит, что файл ")
                        + DamagedMessage + QLatin1Char('.'),
                 true}};
    }
    return Checker(text).run();
}

QList<Finding> blankLineFindings(QByteArrayView text)
{
    if (text.isEmpty())
        return {};
    Checker checker(text);
    checker.run();
    return checker.blankLines();
}

QList<Finding> mixedEncodingFindings(QByteArrayView text)
{
    // A UTF-16 text is one encoding throughout.
    if (decodeUtf16Text(text))
        return {};
    constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF", 3);
    while (text.startsWith(Utf8Bom))
        text = text.sliced(Utf8Bom.size());
    struct EncodedLine final
    {
        int number = 0;
        LineEncoding encoding = LineEncoding::Ascii;
    };
    QList<EncodedLine> lines; // those that are not ASCII alone
    qsizetype utf8 = 0;
    int number = 1;
    for (qsizetype start = 0;; ++number) {
        const LineSpan line = lineAt(text, start, LineEnds::Editor);
        const LineEncoding encoding = lineEncoding(text.sliced(line.start, line.size));
        if (encoding != LineEncoding::Ascii) {
            lines.append({number, encoding});
            utf8 += encoding == LineEncoding::Utf8 ? 1 : 0;
        }
        if (line.terminator == 0)
            break;
        start = line.next();
    }
    const qsizetype cp1251 = lines.size() - utf8;
    if (utf8 == 0 || cp1251 == 0)
        return {};
    // The rest is what most lines are; on a tie, what the first one is.
    const LineEncoding usual = utf8 > cp1251   ? LineEncoding::Utf8
                               : cp1251 > utf8 ? LineEncoding::Windows1251
                                               : lines.constFirst().encoding;
    QList<Finding> findings;
    for (const EncodedLine &line : std::as_const(lines)) {
        if (line.encoding == usual)
            continue;
        findings.append({line.number,
                         QStringLiteral("Строка в кодировке %1, а остальной текст — в %2: программа прочтёт каждую "
                                        "строку в её кодировке, но проверьте, что эта строка видна правильно, и "
                                        "сохраните текст в одной кодировке.")
                             .arg(encodingName(line.encoding), encodingName(usual))});
    }
    return findings;
}

} // namespace velmora
