#include "testdata/checker.h"

#include "platform/core/product.h"
#include "testdata/lines.h"
#include "testdata/loader.h"
#include "testdata/opening.h"
#include "testdata/scramble.h"
#include "testdata/taskreading.h"
#include "testdata/textcodec.h"

#include <QHash>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

const QString DamagedMessage = QStringLiteral("«поврежден или записан в неверном формате»");

// Characters that look like a letter of another alphabet (or a hyphen like
// the hyphen-minus), each with the one it is taken for.
constexpr std::pair<char16_t, char16_t> LookAlikes[] = {
    {u'A', u'А'}, {u'B', u'В'}, {u'C', u'С'}, {u'E', u'Е'}, {u'H', u'Н'}, {u'I', u'І'}, {u'J', u'Ј'},
    {u'K', u'К'}, {u'M', u'М'}, {u'O', u'О'}, {u'P', u'Р'}, {u'S', u'Ѕ'}, {u'T', u'Т'}, {u'X', u'Х'},
    {u'Y', u'У'}, {u'a', u'а'}, {u'c', u'с'}, {u'e', u'е'}, {u'i', u'і'}, {u'j', u'ј'}, {u'l', u'І'},
    {u'o', u'о'}, {u'p', u'р'}, {u's', u'ѕ'}, {u'x', u'х'}, {u'y', u'у'}, {u'Α', u'А'}, {u'Β', u'В'},
    {u'Ε', u'Е'}, {u'Ζ', u'Z'}, {u'Η', u'Н'}, {u'Ι', u'І'}, {u'Κ', u'К'}, {u'Μ', u'М'}, {u'Ν', u'N'},
    {u'Ο', u'О'}, {u'Ρ', u'Р'}, {u'Τ', u'Т'}, {u'Υ', u'У'}, {u'Χ', u'Х'}, {u'ο', u'о'}, {u'\u2010', u'-'},
    {u'\u2011', u'-'}, {u'\u2012', u'-'}, {u'\u2212', u'-'},
};

// A character that takes no room on the screen.
bool isInvisible(QChar c)
{
    return c.category() == QChar::Other_Format || c.category() == QChar::Other_Control || c == u'\u034F'
           || (c >= u'\uFE00' && c <= u'\uFE0F');
}

// How a line looks on the screen: invisible characters gone, every kind
// and run of blank one space, none at either end, compatibility forms and
// look-alike letters as one. Lines that differ only in what cannot be seen
// look the same.
QString lineLook(const QString &line)
{
    QString look;
    bool blank = false;
    for (const QChar c : line.normalized(QString::NormalizationForm_KC)) {
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        if (isInvisible(c))
            continue;
        if (blank && !look.isEmpty())
            look += u' ';
        blank = false;
        const auto alike = std::find_if(std::begin(LookAlikes), std::end(LookAlikes),
                                        [c](const auto &pair) { return pair.first == c.unicode(); });
        look += alike == std::end(LookAlikes) ? c : QChar(alike->second);
    }
    return look;
}

// A character as the teacher can find it in an editor.
QString characterName(QChar c)
{
    const QString code = u"U+"_s + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
    if (c == u' ')
        return u"пробел"_s;
    if (c == u'\t')
        return u"табуляция"_s;
    if (c == u'\u00A0')
        return u"неразрывный пробел (U+00A0)"_s;
    if (c.isSpace())
        return u"особый пробел (%1)"_s.arg(code);
    if (isInvisible(c))
        return u"невидимый знак (%1)"_s.arg(code);
    const bool russian = (c >= u'А' && c <= u'я') || c == u'Ё' || c == u'ё';
    const QString kind = russian                                  ? u"русская буква"_s
                         : c.script() == QChar::Script_Cyrillic ? u"кириллическая буква"_s
                         : c.script() == QChar::Script_Latin    ? u"латинская буква"_s
                         : c.script() == QChar::Script_Greek    ? u"греческая буква"_s
                                                                : u"знак"_s;
    return u"%1 «%2» (%3)"_s.arg(kind, c, code);
}

// What tells two look-alike lines apart.
QString lookDifference(const QString &a, const QString &b)
{
    QStringList parts;
    const auto blankAt = [](const QString &line, bool end) {
        return !line.isEmpty() && (end ? line.back() : line.front()).isSpace();
    };
    const bool atStart = blankAt(a, false) != blankAt(b, false);
    const bool atEnd = blankAt(a, true) != blankAt(b, true);
    if (atStart)
        parts << u"пробел в начале строки"_s;
    if (atEnd)
        parts << u"пробел в конце строки"_s;
    QString named;
    for (const QChar c : a + b) {
        if (named.contains(c) || a.contains(c) == b.contains(c) || ((atStart || atEnd) && c == u' '))
            continue;
        named += c;
        parts << characterName(c);
    }
    if (parts.isEmpty())
        parts << u"число пробелов"_s;
    return parts.join(u", "_s);
}

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
        const LineSpan span = LineSpan::at(text, start);
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
        for (LineSpan line = LineSpan::at(text, 0, LineEnds::Editor); line.terminator > 0;
             line = LineSpan::at(text, line.next(), LineEnds::Editor))
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
    qsizetype statement = -1; // index into the lines; -1 until it is read
    QList<qsizetype> steps;   // indices into the lines
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
        Finding::sortByLine(m_findings);
        return m_findings;
    }

private:
    void report(int line, const QString &message, bool blocksOpening = false)
    {
        m_findings.append({line, message, blocksOpening});
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
        TracedLines lines(*this);
        TaskTrace trace;
        int started = 0;
        const std::optional<Failure> failure = readTaskLines(lines, trace, started, [](qsizetype) {});
        const bool cutShort = failure && failure->number == FailureNumber::InputPastEnd;
        // Too many steps stops at a step, too many tasks after the empty line that ended one.
        const bool tooManySteps =
            failure && failure->number == FailureNumber::Overflow && !isEmpty(lines.position() - 1);
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
                report(lineNumber(first),
                       QStringLiteral("Пустая строка сразу после условия не завершает задание %1: у него нет ни одного "
                                      "шага, эта строка станет его пустым первым шагом, а следующие строки (условие и "
                                      "шаги следующего задания) — ещё его шагами.")
                           .arg(number),
                       true);
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
            report(lineNumber(lines.position()),
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
            report(lineNumber(task.statement),
                   QStringLiteral("Строка из одних пробелов станет условием задания %1, которое выглядит пустым, а "
                                  "следующая строка — его первым шагом.")
                       .arg(number));
        }
    }

    // The loader's hands while it reads the checker's lines: what it keeps
    // is recorded as indices into the lines.
    struct TaskTrace final
    {
        QList<LoadedTask> tasks;

        void startTask() { tasks.append(LoadedTask()); }
        void keep(qsizetype line)
        {
            LoadedTask &task = tasks.last();
            if (task.statement < 0)
                task.statement = line;
            else
                task.steps.append(line);
        }
    };

    // The lines from the title on, by index, with no limit of the loader's
    // memory (the confirmation below knows those); the appended line too.
    class TracedLines final
    {
    public:
        explicit TracedLines(const Checker &checker)
            : m_checker(checker)
        {
        }

        std::optional<Failure> failure;

        bool atEnd() const { return m_position > m_checker.m_last + 1; }
        bool isEmpty(qsizetype line) const { return m_checker.isEmpty(line); }
        std::optional<qsizetype> next()
        {
            if (atEnd()) {
                failure = Failure::of(FailureNumber::InputPastEnd);
                return std::nullopt;
            }
            return m_position++;
        }
        qsizetype position() const { return m_position; }

    private:
        const Checker &m_checker;
        qsizetype m_position = 0;
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
                report(lineNumber(line),
                       QStringLiteral("Строка из одних пробелов не разделяет задания: программа не считает её пустой, "
                                      "задание %1 продолжится, эта строка станет шагом, который выглядит пустым, а "
                                      "следующая — ещё одним шагом. Чтобы разделить задания, оставьте строку совсем "
                                      "пустой.")
                           .arg(number));
            } else {
                report(lineNumber(line),
                       QStringLiteral("Строка из одних пробелов станет шагом задания %1, который выглядит пустым.")
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
            checkLookAlikes(task);
        }
    }

    // Steps that look the same and are not: the pupil cannot tell which
    // goes where, and an answer right to the eye may be counted wrong.
    void checkLookAlikes(const LoadedTask &task)
    {
        QHash<QString, qsizetype> firstLookingSo;
        for (const qsizetype step : task.steps) {
            const QString text = decodeLine(m_lines.at(step).bytes);
            const QString look = lineLook(text);
            const qsizetype seen = firstLookingSo.value(look, -1);
            if (seen < 0) {
                firstLookingSo.insert(look, step);
                continue;
            }
            const QString earlier = decodeLine(m_lines.at(seen).bytes);
            if (earlier == text)
                continue;
            report(lineNumber(step), u"Шаги на строках %1 и %2 выглядят одинаково, но различаются (%3): ученик не "
                                     "отличит их, и верный на вид ответ может быть не засчитан. Исправьте одну из "
                                     "строк."_s.arg(QString::number(lineNumber(seen)), QString::number(lineNumber(step)),
                                                    lookDifference(earlier, text)));
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
};

} // namespace

void Finding::sortByLine(QList<Finding> &findings)
{
    std::stable_sort(findings.begin(), findings.end(), [](const Finding &a, const Finding &b) { return a.line < b.line; });
}

QList<Finding> CheckTest(QByteArrayView text)
{
    if (text.isEmpty()) {
        return {{1, QStringLiteral("Файл пуст: в нём нет ни заголовка, ни заданий. Программа сообщит, что файл ")
                        + DamagedMessage + QLatin1Char('.'),
                 true}};
    }
    return Checker(text).run();
}

} // namespace velmora
