#pragma once

#include <QList>
#include <QStringList>

namespace velmora {

class RandomSource;

// An order of M things as the run keeps it: elements 1..M hold a
// permutation of 1..M, element 0 is not used.
using Order = QList<qint16>;

// Elements 1..M set to 1..M.
Order identityOrder(int M);

// The swap shuffle: draw a and then b as int(r × M) + 1; a draw with a = b
// does not count; exchange P(a) and P(b) until exactly M exchanges are made.
// The result has the parity of M. Needs M >= 2.
void swapShuffle(Order &P, int M, RandomSource &random);

// Whether the texts of the list, position i at element i - 1 of `shown`,
// read as the task's correct order: every position holds exactly the text
// of the correct line there (whole texts, case counts, nothing trimmed), so
// identical lines are interchangeable. `lines` holds the task's lines at
// 1..L (element 0, the statement, is not looked at).
bool readsCorrect(const QStringList &lines, const QStringList &shown);

// The texts the list shows when line i of `lines` stands at position
// order(i): position p at element p - 1.
QStringList shownTexts(const QStringList &lines, const Order &order);

// The order in which a task's lines are first shown: the swap shuffle, and
// while that would show the task already solved, one more exchange at a
// time. A task that cannot be scrambled (one line, or every line the same)
// is shown as it is. `lines` as for readsCorrect.
Order scrambledLineOrder(const QStringList &lines, RandomSource &random);

} // namespace velmora
