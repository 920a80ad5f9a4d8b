#include "window/window_look.h"

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>

namespace tarnwick {

QFont FixedWidthFont(qreal points) {
  const QStringList families = QFontDatabase::families();
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (const QString& name : {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")}) {
    if (families.contains(name)) {
      font = QFont(name);
      break;
    }
  }
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(points);
  return font;
}

QPoint BottomPlacement(const QRect& available, const QSize& frame, int left) {
  const int x = std::max(available.left(),
                         std::min(available.left() + left, available.right() + 1 - frame.width()));
  const int y = std::max(available.top(), available.bottom() + 1 - frame.height());
  return {x, y};
}

QRect OnSomeScreen(const QRect& frame, const QList<QRect>& screens) {
  if (screens.isEmpty()) return frame;
  const QRect strip(frame.left(), frame.top(), frame.width(), kGrabStrip);
  for (const QRect& screen : screens) {
    const QRect on = strip.intersected(screen);
    if (on.width() >= std::min(kGrabWidth, frame.width()) && on.height() >= std::min(kGrabStrip, frame.height())) {
      return frame;
    }
  }
  const QRect& home = screens.front();
  const QSize size(std::min(frame.width(), home.width()), std::min(frame.height(), home.height()));
  const int x = std::clamp(frame.left(), home.left(), home.right() + 1 - size.width());
  const int y = std::clamp(frame.top(), home.top(), home.bottom() + 1 - size.height());
  return {QPoint(x, y), size};
}

}  // namespace tarnwick
