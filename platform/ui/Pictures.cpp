#include "platform/ui/Pictures.h"

#include <QImageReader>

QImage ReadPicture(const QString& resource) {
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
