#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <memory>

class QFileDevice;

namespace velmora {

// A file's bytes mapped read-only into memory, where they already stand in
// the system's cache: neither fresh memory nor a copy. The mapping lasts as
// long as its last owner, past the file's close and past its removal.
//
// Only for a file no other program writes, such as the program's own
// private copy: a mapped file cut short from outside would end the process
// at the next read of its lost bytes.
class FileMapping final
{
public:
    // The whole of an open file; nullptr for an empty file, where the
    // mapping fails, and on systems where a mapped file could not be
    // removed at once (Windows): read it instead.
    static std::shared_ptr<const FileMapping> of(QFileDevice &file);

    ~FileMapping();
    FileMapping(const FileMapping &) = delete;
    FileMapping &operator=(const FileMapping &) = delete;

    QByteArrayView bytes() const { return {static_cast<const char *>(m_data), qsizetype(m_size)}; }

private:
    FileMapping(void *data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    void *m_data;
    std::size_t m_size;
};

} // namespace velmora
