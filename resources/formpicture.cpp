#include "resources/formpicture.h"

#include <QImageReader>
#include <QString>

QPixmap formPicture(const char *resource)
{
    const QString name = QString::fromUtf8(resource);
    QImageReader reader(name, "png");
    // Only the given format: neither the suffix nor a search through the plugins.
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        qWarning("%s: %s", qPrintable(name), qPrintable(reader.errorString()));
    return QPixmap::fromImage(image);
}
