#include "run/shuffle.h"

#include "platform/core/random.h"
#include "run/answercheck.h"

#include <utility>

namespace velmora {

namespace {

qint16 drawPosition(RandomSource &random, int M)
{
    return qint16(int(random.next() * M) + 1);
}

// One exchange of two different positions, drawn by the shuffle's rule.
void exchangeOnce(Order &P, int M, RandomSource &random)
{
    for (;;) {
        const qint16 a = drawPosition(random, M);
        const qint16 b = drawPosition(random, M);
        if (a != b) {
            std::swap(P[a], P[b]);
            return;
        }
    }
}

bool allLinesAlike(const QStringList &lines)
{
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines.at(i) != lines.at(1))
            return false;
    }
    return true;
}

} // namespace

Order identityOrder(int M)
{
    Order P(M + 1, 0);
    for (int i = 1; i <= M; ++i)
        P[i] = qint16(i);
    return P;
}

void swapShuffle(Order &P, int M, RandomSource &random)
{
    for (int exchanges = 0; exchanges < M; ++exchanges)
        exchangeOnce(P, M, random);
}

QStringList shownTexts(const QStringList &lines, const Order &order)
{
    QStringList shown(order.size() - 1);
    for (qsizetype i = 1; i < order.size(); ++i)
        shown[order.at(i) - 1] = lines.at(i);
    return shown;
}

Order scrambledLineOrder(const QStringList &lines, RandomSource &random)
{
    const int L = int(lines.size()) - 1;
    Order order = identityOrder(L);
    if (L < 2)
        return order;
    swapShuffle(order, L, random);
    // A pupil must never be handed a task that is already solved. The swap
    // shuffle alone always solves a task of two lines (its two exchanges
    // undo each other) and can solve any task of an even number of lines;
    // a further exchange changes the parity, so this ends.
    if (allLinesAlike(lines))
        return order;
    while (readsCorrect(lines, shownTexts(lines, order)))
        exchangeOnce(order, L, random);
    return order;
}

} // namespace velmora
