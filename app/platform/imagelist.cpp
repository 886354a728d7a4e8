#include "platform/imagelist.h"

#include <QImage>

namespace velmora {

void ImageList::add(const QString &key, const QPixmap &picture)
{
    if (!m_pictures.contains(key))
        m_keys.append(key);
    m_pictures.insert(key, picture);
}

QPixmap solidPicture(QSize size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    return QPixmap::fromImage(image);
}

} // namespace velmora
