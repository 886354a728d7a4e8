#include "platform/core/filemapping.h"

#include <QFileDevice>

#include <limits>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#endif

namespace velmora {

std::shared_ptr<const FileMapping> FileMapping::of(QFileDevice &file)
{
#ifdef Q_OS_UNIX
    const qint64 size = file.size();
    const int handle = file.handle();
    if (size <= 0 || handle < 0 || quint64(size) > std::numeric_limits<std::size_t>::max())
        return nullptr;
    int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
    flags |= MAP_POPULATE; // every page entered at once rather than at a fault each
#endif
    void *data = ::mmap(nullptr, std::size_t(size), PROT_READ, flags, handle, 0);
    if (data == MAP_FAILED)
        return nullptr;
    return std::shared_ptr<const FileMapping>(new FileMapping(data, std::size_t(size)));
#else
    Q_UNUSED(file);
    return nullptr;
#endif
}

FileMapping::~FileMapping()
{
#ifdef Q_OS_UNIX
    ::munmap(m_data, m_size);
#endif
}

} // namespace velmora
