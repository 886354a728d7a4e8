#pragma once

namespace tabulo {

// What a screen reader finds in the control: a list whose items are the
// shown lines, each named "Строка 2 из 4: <text>". The number labels are no
// nodes of their own (the item's name carries the number), and the lines
// beyond the line count are not there at all. Installing is idempotent; the
// library stays loaded for the rest of the process.
void installAccessibleList();

} // namespace tabulo
