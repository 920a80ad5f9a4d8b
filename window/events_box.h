// The "Events" group of the main window: one switch per kind of sky event and one for a
// calendar of events alone. It only reads its switches into an EventChoice for the run.
#pragma once

#include <QGroupBox>
#include <array>
#include <optional>
#include <string>

#include "engine/sky_events.h"

class QCheckBox;
class QLineEdit;

namespace tarnwick {

class EventsBox final : public QGroupBox {
  Q_OBJECT

 public:
  explicit EventsBox(QWidget* parent = nullptr);

  // The events the switches ask for, of the kinds offered, with the bodies and angles that
  // end the void-of-course Moon as typed. Nothing when a list cannot be read: `problem`
  // names the box and the item at fault.
  std::optional<EventChoice> Choice(std::string* problem) const;

  // Offers the kinds that have a meaning for P1's centre: heliocentrically only ingresses.
  // A switch not offered is disabled and keeps its check for when it is offered again.
  void OfferFor(Centre p1_centre);

 private:
  // Keeps "Events only" off and disabled while no kind is chosen: a calendar needs one.
  void ApplyEnablingRule();

  std::array<QCheckBox*, kEventKinds> kinds_{};
  std::array<bool, kEventKinds> offered_{true, true, true, true, true, true};
  QCheckBox* only_ = nullptr;
  QLineEdit* voc_bodies_ = nullptr;   // txtVocBodies: bodies whose aspects end the void Moon
  QLineEdit* voc_aspects_ = nullptr;  // txtVocAspects: the angles that count, degrees
};

}  // namespace tarnwick
