// The compact control beside the 15-degree switch that chooses which aspects a longitude run
// lists: a button showing the set ("Aspects: major") whose menu holds the presets and one
// tick per multiple of 15 degrees.
#pragma once

#include <QPushButton>
#include <array>
#include <string>

#include "engine/aspect_set.h"

class QAction;

namespace tarnwick {

// Object names: the button "cmdAspectSet"; the presets "mnuAspectSetAll",
// "mnuAspectSetMajor", "mnuAspectSetHard"; the ticks "mnuAspectSet_0" .. "mnuAspectSet_180".
class AspectSetButton final : public QPushButton {
  Q_OBJECT
 public:
  explicit AspectSetButton(QWidget* parent = nullptr);

  // RunSettings::txtAspectSet as the ticks stand: "" when every aspect is ticked, else
  // AspectSet::Text() ("major", "0,90,180", "none").
  std::string SettingsText() const;
  // Ticks the set of a settings text. A text that is no set (from a settings file edited by
  // hand) is kept as it is until the user ticks something, so that the run says what is
  // wrong with it rather than running with another set.
  void SetSettingsText(const std::string& text);
  // On the 30-degree grid the odd multiples of 15 are never found: their ticks are greyed
  // out (and keep their marks for the 15-degree grid).
  void SetFifteenDegreeGrid(bool fifteen);

 signals:
  void changed();

 private:
  void Tick(const AspectSet& set);
  void ShowCaption();

  std::array<QAction*, kAspectSteps> ticks_{};
  std::string unreadable_text_;  // a settings text that is no set; "" once the user ticks
};

}  // namespace tarnwick
