#pragma once

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QStringList>

namespace velmora {

// Pictures found by key, kept in the order added. Adding a key that is
// already there replaces its picture in place.
class ImageList final
{
public:
    void add(const QString &key, const QPixmap &picture);
    // A null picture for a key the list does not hold.
    QPixmap picture(const QString &key) const { return m_pictures.value(key); }
    bool contains(const QString &key) const { return m_pictures.contains(key); }
    int count() const { return int(m_keys.size()); }
    QStringList keys() const { return m_keys; }

private:
    QStringList m_keys;
    QHash<QString, QPixmap> m_pictures;
};

// A picture of one solid colour, 24-bit.
QPixmap solidPicture(QSize size, const QColor &colour);

} // namespace velmora
