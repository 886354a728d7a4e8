#pragma once

#include "platform/core/failure.h"
#include "platform/core/product.h"

#include <optional>

namespace velmora {

// How the lines of a test make its tasks, the one place that says so: the
// title line is dropped; each task is a statement, its steps, and the
// empty line that ends it. The first step is read without looking for
// the end: it is stored even when empty, and a file that ends there was
// cut short. The line that meets the end is never stored: in an
// unscrambled test it is the pair of bytes the scrambling added. Counters
// are 16-bit: a 32768th task or step is failure 6.
//
// The loader runs it over the bytes of a test; the checker over the lines
// of a teacher's text, to learn where each task and step comes from.
// `Lines` gives atEnd(), next() (the next line made the table's pending
// line; false on a failure, kept in its `failure`); `Table` gives
// startTask(), keepPending(), dropPending() and pendingIsEmpty().
// `titleRead` is called while the title is the pending line. `n` counts
// the tasks started.
template <typename Lines, typename Table, typename TitleRead>
std::optional<Failure> readTaskLines(Lines &lines, Table &table, int &n, TitleRead titleRead)
{
    if (!lines.next()) // the title, dropped
        return lines.failure;
    titleRead();
    table.dropPending();
    while (!lines.atEnd()) {
        if (n == MaxCount16)
            return Failure::of(FailureNumber::Overflow);
        ++n;
        table.startTask();
        if (!lines.next()) // the statement
            return lines.failure;
        table.keepPending();
        if (!lines.next()) // the first step
            return lines.failure;
        int k = 0;
        do {
            if (k == MaxCount16)
                return Failure::of(FailureNumber::Overflow);
            ++k;
            table.keepPending();
            if (!lines.next())
                return lines.failure;
        } while (!table.pendingIsEmpty() && !lines.atEnd());
        table.dropPending();
    }
    return lines.failure;
}

} // namespace velmora
