#pragma once

#include "testdata/scramble.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace velmora::test {

// A throw-away program folder with test files in it.
class TestFolder final
{
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Writes raw bytes under `name`.
    bool writeRaw(const QString &name, const QByteArray &bytes) const
    {
        QFile file(filePath(name));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }
    // Writes the stored (scrambled) form of a plain test text.
    bool writeTest(const QString &name, const QByteArray &plain) const
    {
        return writeRaw(name, scrambleBytes(plain));
    }
    QByteArray read(const QString &name) const
    {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList leftovers() const { return QDir(path()).entryList({QStringLiteral("*.tmp")}, QDir::AllEntries | QDir::Hidden); }

private:
    QTemporaryDir m_dir;
};

// A plain test text from lines joined by CR LF, with the CR LF after the last.
inline QByteArray plainTest(std::initializer_list<const char *> lines)
{
    QByteArray text;
    for (const char *line : lines)
        text += QByteArray(line) + "\r\n";
    return text;
}

} // namespace velmora::test
