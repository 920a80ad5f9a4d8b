// Fonts and screen placement shared by the main window and the help window.
#pragma once

#include <QFont>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tarnwick {

// A fixed-width font, so that the columns of a report line up: "Courier New" where it is
// installed, else its metric twin "Liberation Mono", else the system's fixed-width font.
QFont FixedWidthFont(qreal points);

// Pixels of a length in twips (1/1440 inch) at the standard 96 dots per inch.
constexpr int TwipsToPixels(int twips) { return twips / 15; }

// Top-left corner for a window whose outer size is `frame`: `left` pixels in from the
// available area's left edge (less, if the window would stick out on the right) and its
// bottom on the available area's bottom. The top edge never goes above the available
// area, so on a screen less tall than the window the title bar stays reachable.
QPoint BottomPlacement(const QRect& available, const QSize& frame, int left);

// Where a window remembered at `frame` (outer rectangle, pixels of the virtual desktop) goes
// on the screens of now (their available areas; the first is the primary screen). Kept where
// it was when enough of its title strip (kGrabStrip high, kGrabWidth wide) lies on one screen
// to be grabbed with the mouse; otherwise, after a screen was unplugged or the resolution
// dropped, it is made to fit the primary screen's area and moved onto it, as near as can be
// to where it was. An empty list of screens leaves the frame as it is.
inline constexpr int kGrabStrip = 24, kGrabWidth = 100;
QRect OnSomeScreen(const QRect& frame, const QList<QRect>& screens);

}  // namespace tarnwick
