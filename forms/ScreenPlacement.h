#pragma once

#include <QPoint>
#include <QRect>

#include <optional>

class QWidget;

// Where a window whose outer frame is `frame` goes so that it lies fully inside
// `available`: it moves only as far as needed, and a frame larger than the area
// keeps its top-left corner on it.
QPoint KeptOnScreen(const QRect& frame, const QRect& available);

// Moves a top-level window to its designed top-left corner (the outer frame's,
// in screen pixels), shifted only as far as needed to lie on the available area
// of the screen that holds that corner, or of the primary screen.
void PlaceOnScreen(QWidget* window, const QPoint& designed);

// Where a window of outer size `outer` stands beside the main window's frame,
// inside `available`: to its right, else to its left, its top level with the
// main window's as far as the area allows. Nothing when neither side has room.
std::optional<QPoint> BesideOnScreen(const QRect& mainFrame, const QSize& outer,
                                     const QRect& available);

// Where a window of outer size `outer` stands next to the main window's frame
// without covering it, inside `available`: beside it (BesideOnScreen), else
// below it, else above it, at full size. When no side has room, the largest
// free band that takes at least `minimum`, the window shrunk to fit it. When
// not even that fits, over the lower or the upper part of the main window,
// whichever leaves more of it free. Nothing when the window is taller than the
// area.
std::optional<QRect> AroundOnScreen(const QRect& mainFrame, const QSize& outer,
                                    const QSize& minimum, const QRect& available);

// Where the main window goes so that a window of outer size `outer` fits
// beside, below or above it at full size inside `available`: moved as little
// as it can be, along one axis. Nothing when no move makes room (or none is
// needed: see AroundOnScreen).
std::optional<QPoint> RoomMadeOnScreen(const QRect& mainFrame, const QSize& outer,
                                       const QRect& available);

// The outer size a top-level window will have: before it is first shown the
// window manager has not told us its frame, so a usual one is allowed for.
QSize OuterSize(const QWidget* window);
