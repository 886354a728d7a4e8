#pragma once

#include <cstddef>

namespace velmora {

// Asks the system to back the memory at [data, data + size) with large
// pages where it offers them, before it is first touched. A block that is
// filled once and read soon after (a test's bytes, the table of its lines)
// is otherwise mapped 4 KiB at a time, one fault each: on a machine where
// a fault is dear (a virtual machine) the faults cost more than the copy.
// Only the whole large pages inside the range are advised; on systems
// without the advice it does nothing. The memory must be private and
// anonymous (the heap's, a large allocation's).
void adviseLargePages(void *data, std::size_t size);

} // namespace velmora
