#include "platform/core/largepages.h"

#include <QtGlobal>

#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace velmora {

void adviseLargePages(void *data, std::size_t size)
{
#ifdef Q_OS_LINUX
    constexpr std::uintptr_t LargePage = std::uintptr_t(2) << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + LargePage - 1) & ~(LargePage - 1);
    const std::uintptr_t last = (begin + size) & ~(LargePage - 1);
    if (data && last > first)
        ::madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE); // advice only
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

} // namespace velmora
