#pragma once

#include <QCursor>
#include <QPixmap>
#include <QPoint>

// The player's pointer over a sprite that reacts to the mouse: a white hand with its forefinger up and a
// dark outline, the program's own cursor. It is painted in code at the pixel density of the screen it is
// shown on, so that it stays sharp where a fixed bitmap would be blown up.
namespace sprite_cursor {

// The size of the cursor in device-independent pixels, and the fingertip that points.
constexpr int kSize = 32;
constexpr QPoint kHotSpot{12, 1};

// The hand at `devicePixelRatio` device pixels to a logical pixel (the pixmap carries that ratio).
QPixmap Paint(qreal devicePixelRatio);
// The cursor of that density; made once for each density asked for.
const QCursor& ForDensity(qreal devicePixelRatio);

}  // namespace sprite_cursor
