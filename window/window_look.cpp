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

}  // namespace tarnwick
