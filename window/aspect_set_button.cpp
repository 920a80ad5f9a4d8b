#include "window/aspect_set_button.h"

#include <QMenu>

#include "report/notation.h"

namespace tarnwick {

AspectSetButton::AspectSetButton(QWidget* parent) : QPushButton(parent) {
  setObjectName(QStringLiteral("cmdAspectSet"));
  setToolTip(tr("Which aspects a longitude run lists; the search still finds every one"));
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("mnuAspectSet"));
  const auto preset = [&](const char* name, const QString& caption, AspectSet set) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, set] {
      Tick(set);
      unreadable_text_.clear();
      ShowCaption();
      emit changed();
    });
  };
  preset("mnuAspectSetAll", tr("&All"), AspectSet::All());
  preset("mnuAspectSetMajor", tr("&Major: 0 60 90 120 180"), AspectSet::Major());
  preset("mnuAspectSetHard", tr("&Hard: 0 45 90 135 180"), AspectSet::Hard());
  menu->addSeparator();
  for (int k = 0; k < kAspectSteps; ++k) {
    const int angle = k * kAspectStepDeg;
    const QString caption = QStringLiteral("%1  %2").arg(angle).arg(
        QString::fromStdString(AspectName(angle, Notation::Text)));
    QAction* a = menu->addAction(caption);
    a->setObjectName(QStringLiteral("mnuAspectSet_%1").arg(angle));
    a->setCheckable(true);
    a->setChecked(true);
    connect(a, &QAction::triggered, this, [this] {
      unreadable_text_.clear();
      ShowCaption();
      emit changed();
    });
    ticks_[static_cast<size_t>(k)] = a;
  }
  setMenu(menu);
  ShowCaption();
}

std::string AspectSetButton::SettingsText() const {
  if (!unreadable_text_.empty()) return unreadable_text_;
  std::vector<int> angles;
  for (int k = 0; k < kAspectSteps; ++k) {
    if (ticks_[static_cast<size_t>(k)]->isChecked()) angles.push_back(k * kAspectStepDeg);
  }
  const AspectSet set = AspectSet::Of(angles);
  return set == AspectSet::All() ? std::string() : set.Text();
}

void AspectSetButton::SetSettingsText(const std::string& text) {
  const std::optional<AspectSet> set = ReadAspectSet(text);
  unreadable_text_ = set ? std::string() : text;
  Tick(set ? *set : AspectSet::All());
  ShowCaption();
}

void AspectSetButton::SetFifteenDegreeGrid(bool fifteen) {
  for (int k = 0; k < kAspectSteps; ++k) {
    ticks_[static_cast<size_t>(k)]->setEnabled(fifteen || (k * kAspectStepDeg) % 30 == 0);
  }
}

void AspectSetButton::Tick(const AspectSet& set) {
  for (int k = 0; k < kAspectSteps; ++k) ticks_[static_cast<size_t>(k)]->setChecked(set.Contains(k * kAspectStepDeg));
}

void AspectSetButton::ShowCaption() {
  const std::string text = SettingsText();
  std::string shown = text.empty() ? "all" : text;
  for (char& c : shown) {
    if (c == ',') c = ' ';
  }
  setText(tr("Aspects: %1").arg(QString::fromStdString(shown)));
}

}  // namespace tarnwick
