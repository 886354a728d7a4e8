#pragma once

#include "platform/core/failure.h"
#include "platform/core/product.h"

#include <optional>

namespace velmora {

// How lines make tasks, the one rule for the loader and the checker: the title goes to `titleRead`; a
// statement, its steps and an empty line make a task; the line meeting the end is never kept; `n` counts
// tasks started. `lines`: atEnd(), next() (nullopt: see its `failure`), isEmpty(); `table`: startTask(), keep().
// FailureNumber::InputPastEnd when a task stops after its statement, FailureNumber::Overflow at 32768.
template <typename Lines, typename Table, typename TitleRead>
std::optional<Failure> readTaskLines(Lines &lines, Table &table, int &n, TitleRead titleRead)
{
    auto line = lines.next();
    if (!line)
        return lines.failure;
    titleRead(*line);
    while (!lines.atEnd()) {
        if (n == MaxCount16)
            return Failure::of(FailureNumber::Overflow);
        ++n;
        table.startTask();
        line = lines.next(); // the statement
        if (!line)
            return lines.failure;
        table.keep(*line);
        line = lines.next(); // the first step, kept even when empty: the end is not looked for
        if (!line)
            return lines.failure;
        int k = 0;
        do {
            if (k == MaxCount16)
                return Failure::of(FailureNumber::Overflow);
            ++k;
            table.keep(*line);
            line = lines.next();
            if (!line)
                return lines.failure;
        } while (!lines.isEmpty(*line) && !lines.atEnd());
        // The line that ended the task (or met the end) is dropped.
    }
    return lines.failure;
}

} // namespace velmora
