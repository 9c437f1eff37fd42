#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// Where a window whose outer frame is `frame` goes so that it lies fully inside
// `available`: it moves only as far as needed, and a frame larger than the area
// keeps its top-left corner on it.
QPoint KeptOnScreen(const QRect& frame, const QRect& available);

// Moves a top-level window to its designed top-left corner (the outer frame's,
// in screen pixels), shifted only as far as needed to lie on the available area
// of the screen that holds that corner, or of the primary screen.
void PlaceOnScreen(QWidget* window, const QPoint& designed);
