#include "platform/keycodes.h"
#include "run/moveentry.h"

#include <QTest>

using namespace velmora;
using namespace Qt::StringLiterals;

namespace {

// What a QLineEdit with maxLength 5 does with a key the handler let through.
class FakeBox final : public MoveBox
{
public:
    QString text() const override { return m_text; }
    void setText(const QString &text) override
    {
        m_text = text.left(MoveEntry::BoxLength);
        m_caret = int(m_text.size());
    }
    int caret() const override { return m_caret; }
    void setCaret(int position) override { m_caret = std::clamp(position, 0, int(m_text.size())); }
    void beep() override { ++beeps; }

    void receive(int key)
    {
        if (key > 31 && m_text.size() < MoveEntry::BoxLength)
            m_text.insert(m_caret++, QChar(key));
        else if (key == KeyCodes::Backspace && m_caret > 0)
            m_text.remove(--m_caret, 1);
    }

    int beeps = 0;

private:
    QString m_text;
    int m_caret = 0;
};

// The list control's exchange state, raising its events into the entry.
class FakeList final : public MoveTarget
{
public:
    qint16 MaxLbl() override { return lines; }
    void setSelection(qint16 index, bool flag) override
    {
        calls << u"Selection(%1)=%2"_s.arg(index).arg(flag ? u"true"_s : u"false"_s);
        pending = index;
    }
    void ClearSelection() override { calls << u"ClearSelection"_s; }
    void Swap(qint16 from, qint16 inTo) override
    {
        calls << u"Swap(%1,%2)"_s.arg(from).arg(inTo);
        pending = 0;
        entry->OverSwap();
    }
    void setInf(const QString &text) override { inf = text; }

    void click(qint16 line)
    {
        if (pending < 1) {
            pending = line;
            entry->StartSwap(line);
        } else {
            Swap(pending, line);
        }
    }
    void move(qint16 line)
    {
        if (pending >= 1)
            entry->lblMouseMove(line);
    }

    MoveEntry *entry = nullptr;
    qint16 lines = 7;
    qint16 pending = 0;
    QStringList calls;
    QString inf;
};

void row(const char *name, int lines, const QString &script, const QString &box, int caret, int from, int to,
         int moving, const QStringList &calls, int beeps, const QString &inf, const QString &passed)
{
    QTest::newRow(name) << lines << script << box << caret << from << to << moving << calls << beeps << inf << passed;
}

const QString Done = u"усё"_s;

} // namespace

class tst_MoveEntry final : public QObject
{
    Q_OBJECT

private slots:
    void typed_data();
    void typed() { play(); }
    void mixed_data();
    void mixed() { play(); }
    void carriedOver_data();
    void carriedOver() { play(); }

private:
    static void columns();
    static void play();
};

void tst_MoveEntry::columns()
{
    QTest::addColumn<int>("lines");
    // Keys as typed, "\b" Backspace, "\r" Enter; {home} {end} {left} move
    // the caret, {click N} {move N} act on the list, {lines N} shows a task
    // of N lines, {task N} shows the next task, of N lines, as the window
    // does.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("moving");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("inf");
    QTest::addColumn<QString>("passed"); // keys that reached the box
}

void tst_MoveEntry::play()
{
    QFETCH(int, lines);
    QFETCH(QString, script);
    FakeBox box;
    FakeList list;
    MoveEntry entry(box, list);
    list.entry = &entry;
    list.lines = qint16(lines);
    QString passed;
    for (qsizetype at = 0; at < script.size(); ++at) {
        if (script[at] == u'{') {
            const qsizetype end = script.indexOf(u'}', at);
            const QStringList token = script.mid(at + 1, end - at - 1).split(u' ');
            const qint16 n = token.value(1).toShort();
            if (token[0] == "home"_L1)
                box.setCaret(0);
            else if (token[0] == "end"_L1)
                box.setCaret(5);
            else if (token[0] == "left"_L1)
                box.setCaret(box.caret() - 1);
            else if (token[0] == "click"_L1)
                list.click(n);
            else if (token[0] == "move"_L1)
                list.move(n);
            else if (token[0] == "lines"_L1)
                list.lines = n;
            else if (token[0] == "task"_L1) {
                list.lines = n;
                entry.taskShown(n);
            }
            at = end;
            continue;
        }
        int key = script[at].unicode();
        entry.txtChange_KeyPress(key);
        if (key != 0) {
            passed += QChar(key);
            box.receive(key);
        }
    }
    QTEST(box.text(), "box");
    QTEST(box.caret(), "caret");
    QTEST(int(entry.TypedFrom()), "from");
    QTEST(int(entry.TypedTo()), "to");
    QTEST(int(entry.MovingFrom()), "moving");
    QTEST(list.calls, "calls");
    QTEST(box.beeps, "beeps");
    QTEST(list.inf, "inf");
    QTEST(passed, "passed");
}

void tst_MoveEntry::typed_data()
{
    columns();
    const QStringList sel3{u"Selection(3)=true"_s};
    row("3-5 Enter exchanges", 7, u"3-5\r"_s, {}, 0, 0, 0, 3, sel3 + QStringList{u"Swap(3,5)"_s}, 0, Done, u"35"_s);
    row("12 4 Enter exchanges", 20, u"12 4\r"_s, {}, 0, 0, 0, 12, {u"Selection(12)=true"_s, u"Swap(12,4)"_s}, 0, Done,
        u"124"_s);
    row("123- keeps 12", 20, u"123-"_s, u"12-"_s, 3, 12, 0, 12, {u"Selection(12)=true"_s}, 0, {}, u"123"_s);
    row("3 Enter is a first number", 7, u"3\r"_s, u"3 -"_s, 3, 3, 0, 3, sel3, 0, {}, u"3\r"_s);
    row("3-3 Enter ends the entry", 7, u"3-3\r"_s, {}, 0, 0, 0, 3, sel3 + QStringList{u"Swap(3,3)"_s}, 0, Done, u"33"_s);
    row("9- past 7 lines", 7, u"9-"_s, {}, 0, 0, 0, 0, {}, 1, {}, u"9"_s);
    row("3-8 Enter past 7 lines", 7, u"3-8\r"_s, u"3 -"_s, 3, 3, 0, 3, sel3, 1, {}, u"38\r"_s);
    row("3-123 Enter: box full at 3 -12", 7, u"3-123\r"_s, u"3 -"_s, 3, 3, 0, 3, sel3, 1, {}, u"3123\r"_s);
    row("3-0 Enter: no line 0", 7, u"3-0\r"_s, u"3 -0"_s, 4, 3, 0, 3, sel3, 0, {}, u"30\r"_s);
    row("3-05 Enter reads 5", 7, u"3-05\r"_s, {}, 0, 0, 0, 3, sel3 + QStringList{u"Swap(3,5)"_s}, 0, Done, u"305"_s);
    row("first number 0", 7, u"0-"_s, {}, 0, 0, 0, 0, {}, 1, {}, u"0"_s);
    row("first number 00", 7, u"00\r"_s, {}, 0, 0, 0, 0, {}, 1, {}, u"00\r"_s);
    row("first number 05", 7, u"05-"_s, u"5 -"_s, 3, 5, 0, 5, {u"Selection(5)=true"_s}, 0, {}, u"05"_s);
    row("Backspace in an empty box", 7, u"\b"_s, {}, 0, 0, 0, 0, {}, 0, {}, {});
    row("Backspace after digits only", 7, u"45\b"_s, {}, 0, 0, 0, 0, {}, 0, {}, u"45"_s);
    row("Backspace in the second number", 7, u"3-5 \b"_s, u"3 -"_s, 3, 3, 0, 3, sel3, 0, {}, u"35"_s);
    row("Backspace after the dash", 7, u"3-5 {left}\b"_s, {}, 0, 0, 0, 3, sel3 + QStringList{u"ClearSelection"_s}, 0,
        {}, u"35"_s);
    row("Backspace in the prefix", 7, u"3-5 {home}\b"_s, u"3 -"_s, 3, 3, 0, 3, sel3, 0, {}, u"35"_s);
    row("letters never enter", 7, u"й3ё-b5,c"_s, u"3 -5"_s, 4, 3, 5, 3, sel3, 0, {}, u"35"_s);
    row("digit typed into the prefix", 7, u"3-{home}7{end}5\r"_s, u"3 -"_s, 3, 3, 0, 3, sel3, 0, {}, u"375\r"_s);
    row("Backspace after the dash, a digit typed into the prefix", 7, u"3-{home}7{end}{left}\b"_s, {}, 0, 0, 0, 3,
        sel3 + QStringList{u"ClearSelection"_s}, 0, {}, u"37"_s);
    row("first line carried past a shorter task", 20, u"15-{lines 7}3\r"_s, {}, 0, 0, 0, 15,
        {u"Selection(15)=true"_s}, 1, {}, u"153\r"_s);
}

void tst_MoveEntry::mixed_data()
{
    columns();
    const QStringList sel3{u"Selection(3)=true"_s};
    row("typed 3, click on 6", 7, u"3-{click 6}"_s, {}, 0, 0, 0, 3, sel3 + QStringList{u"Swap(3,6)"_s}, 0, Done, u"3"_s);
    row("click 2, move over 4", 7, u"{click 2}{move 4}"_s, {}, 0, 2, 0, 2, {}, 0, u"Перемещаем из 2 в 4"_s, {});
    row("move while idle", 7, u"{move 3}"_s, {}, 0, 0, 0, 0, {}, 0, {}, {});
    row("click 2 twice", 7, u"{click 2}{click 2}"_s, {}, 0, 0, 0, 2, {u"Swap(2,2)"_s}, 0, Done, {});
    row("click 2, Backspace writes the prefix", 7, u"{click 2}\b"_s, u"2 -"_s, 3, 2, 0, 2, {}, 0, {}, {});
    row("click 2, Backspace, 5 Enter", 7, u"{click 2}\b5\r"_s, {}, 0, 0, 0, 2, {u"Swap(2,5)"_s}, 0, Done, u"5"_s);
    row("click 2, 5 Enter writes the prefix", 7, u"{click 2}5\r"_s, u"2 -"_s, 3, 2, 0, 2, {}, 0, {}, u"5\r"_s);
    row("click 2, 5 Enter twice", 7, u"{click 2}5\r5\r"_s, {}, 0, 0, 0, 2, {u"Swap(2,5)"_s}, 0, Done, u"5\r5"_s);
    // The caret stands after the third character: the first line is given up.
    row("loose digits, click 2, Backspace", 7, u"456{click 2}\b"_s, {}, 0, 0, 0, 2, {u"ClearSelection"_s}, 0, {},
        u"456"_s);
    row("typed 3 given up, still pending", 7, u"3-\b{move 5}"_s, {}, 0, 0, 0, 3,
        sel3 + QStringList{u"ClearSelection"_s}, 0, u"Перемещаем из 3 в 5"_s, u"3"_s);
    row("typed 3 given up, click on 6", 7, u"3-\b{click 6}"_s, {}, 0, 0, 0, 3,
        sel3 + QStringList{u"ClearSelection"_s, u"Swap(3,6)"_s}, 0, Done, u"3"_s);
}

// A move begun on one task carries over to the next, unless the next one
// does not show its first line.
void tst_MoveEntry::carriedOver_data()
{
    columns();
    const QStringList sel3{u"Selection(3)=true"_s};
    const QStringList ended3 = sel3 + QStringList{u"Swap(3,3)"_s};
    row("typed 3, task of 3 lines", 7, u"3-{task 3}2\r"_s, {}, 0, 0, 0, 3, sel3 + QStringList{u"Swap(3,2)"_s}, 0,
        Done, u"32"_s);
    row("typed 3, task of 2 lines", 7, u"3-{task 2}"_s, {}, 0, 0, 0, 3, ended3, 0, Done, u"3"_s);
    row("typed 3 given up, task of 2 lines", 7, u"3-\b{task 2}"_s, {}, 0, 0, 0, 3,
        sel3 + QStringList{u"ClearSelection"_s, u"Swap(3,3)"_s}, 0, Done, u"3"_s);
    row("click 6, task of 5 lines", 7, u"{click 6}{task 5}"_s, {}, 0, 0, 0, 6, {u"Swap(6,6)"_s}, 0, Done, {});
    row("click 5, task of 5 lines", 7, u"{click 5}{task 5}"_s, {}, 0, 5, 0, 5, {}, 0, {}, {});
    // After an exchange nothing is pending, whatever line named the source.
    row("exchanged 6 and 2, task of 3 lines", 7, u"{click 6}{click 2}{task 3}"_s, {}, 0, 0, 0, 6,
        {u"Swap(6,2)"_s}, 0, Done, {});
}

QTEST_GUILESS_MAIN(tst_MoveEntry)
#include "tst_moveentry.moc"
