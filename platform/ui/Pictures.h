// The windows' pictures are PNG files among the resources. Reading one with
// the format left open makes Qt load every image plugin installed (JPEG, GIF,
// SVG, ...) to ask each whether it can read it, which costs the program a few
// hundred kilobytes of libraries it never uses; ReadPicture names the format
// and reads it with Qt's own PNG decoder. A null image when the resource is
// missing or damaged. Any thread (a QImage, unlike a pixmap, may be made off
// the GUI thread).
#pragma once

#include <QImage>
#include <QString>

QImage ReadPicture(const QString& resource);
