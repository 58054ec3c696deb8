// The embedded pictures and the application icon.
#pragma once

#include <QImage>

namespace pictures {

// 400 x 300, 24-bit colour without alpha: the splash and About picture.
QImage splash();

// 202 x 173: a computer monitor among four loudspeakers standing in a square.
QImage monitorSquare();

// 46 x 45: a loudspeaker whose waves point along `angleDeg` (screen angles,
// 45 = toward the lower right), for the channel setup's test-sound buttons.
QImage speakerButton(double angleDeg);

// 128 x 128: the desktop icon.
QImage appIcon();

} // namespace pictures
