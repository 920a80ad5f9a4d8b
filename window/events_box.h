// The "Events" group of the main window: one switch per kind of sky event and one for a
// calendar of events alone. It only reads its switches into an EventChoice for the run.
#pragma once

#include <QGroupBox>
#include <array>

#include "engine/sky_events.h"

class QCheckBox;

namespace tarnwick {

class EventsBox final : public QGroupBox {
  Q_OBJECT

 public:
  explicit EventsBox(QWidget* parent = nullptr);

  // The events the switches ask for; the void-of-course Moon counted by its default rule.
  EventChoice Choice() const;

 private:
  // Keeps "Events only" off and disabled while no kind is chosen: a calendar needs one.
  void ApplyEnablingRule();

  std::array<QCheckBox*, kEventKinds> kinds_{};
  QCheckBox* only_ = nullptr;
};

}  // namespace tarnwick
