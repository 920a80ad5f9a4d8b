// Fonts and screen placement shared by the main window and the help window.
#pragma once

#include <QFont>
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

}  // namespace tarnwick
