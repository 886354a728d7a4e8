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

// Whether lines shown in `order` (line i at position order(i)) read as the
// correct order: every position holds the same text as the correct line
// there. Identical lines are interchangeable. `lines` holds the task's
// lines at 1..L (element 0, the statement, is not looked at).
bool readsCorrect(const QStringList &lines, const Order &order);

// The order in which a task's lines are first shown: the swap shuffle, and
// while that would show the task already solved, one more exchange at a
// time. A task that cannot be scrambled (one line, or every line the same)
// is shown as it is. `lines` as for readsCorrect.
Order scrambledLineOrder(const QStringList &lines, RandomSource &random);

} // namespace velmora
