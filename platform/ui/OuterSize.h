// A top-level window's outer size, its frame included. The toolkit sizes a
// window's client area, and the frame's width is known only once the window
// manager has framed the window (never, on platforms without frames, such as
// the offscreen one or an X server without a window manager: outer and client
// size are then one). So the client area is sized now from the frame as far
// as it is known, and again once, whenever the frame first shows a new width,
// while the window is neither maximised, minimised nor full screen; a size the
// user gives the window later is left alone. GUI thread only.
#pragma once

class QWidget;

void SetOuterSize(QWidget* pWindow, int nWidth, int nHeight);
