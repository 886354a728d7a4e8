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

// The texts the list shows when line i of `lines` stands at position
// order(i): position p at element p - 1.
QStringList shownTexts(const QStringList &lines, const Order &order);

// The order in which a task's lines are first shown: the swap shuffle, and
// while that would show the task already solved, one more exchange at a
// time. A task that cannot be scrambled (one line, or every line the same)
// is shown as it is. `lines` holds the task's lines at 1..L, as for
// readsCorrect (run/answercheck.h).
Order scrambledLineOrder(const QStringList &lines, RandomSource &random);

} // namespace velmora
