#include "window/events_box.h"

#include <QCheckBox>
#include <QGridLayout>

namespace tarnwick {

namespace {

struct KindSwitch {
  const char* name;     // object name, for tests and the help
  const char* caption;  // with its access key
  const char* tip;
};

// In the order of EventKind.
constexpr KindSwitch kSwitches[kEventKinds] = {
    {"chkEventStations", "S&tations", "When a P1 body turns retrograde or direct (geocentric)"},
    {"chkEventIngresses", "&Ingresses", "When a P1 body enters a sign"},
    {"chkEventLunations", "&Lunations", "New moon, quarters and full moon, with the eclipse at them"},
    {"chkEventEclipses", "Ecli&pses", "Solar and lunar eclipses at their greatest"},
    {"chkEventOob", "Out of &bounds", "When a P1 body's declination passes the Sun's greatest"},
    {"chkEventVoc", "&Void Moon",
     "From the Moon's last aspect (0, 60, 90, 120, 180 to Sun..Pluto) to its next ingress"},
};

}  // namespace

EventsBox::EventsBox(QWidget* parent) : QGroupBox(tr("Events"), parent) {
  setObjectName(QStringLiteral("grpEvents"));
  auto* grid = new QGridLayout(this);
  for (int k = 0; k < kEventKinds; ++k) {
    auto* box = new QCheckBox(tr(kSwitches[k].caption), this);
    box->setObjectName(QString::fromLatin1(kSwitches[k].name));
    box->setToolTip(tr(kSwitches[k].tip));
    grid->addWidget(box, k / 3, k % 3);
    connect(box, &QCheckBox::toggled, this, &EventsBox::ApplyEnablingRule);
    kinds_[static_cast<size_t>(k)] = box;
  }
  only_ = new QCheckBox(tr("Events &only (no aspects)"), this);
  only_->setObjectName(QStringLiteral("chkEventsOnly"));
  only_->setToolTip(tr("A calendar of the chosen events, without the aspect search"));
  grid->addWidget(only_, 2, 0, 1, 3);
  ApplyEnablingRule();
}

void EventsBox::OfferFor(Centre p1_centre) {
  for (int k = 0; k < kEventKinds; ++k) {
    offered_[static_cast<size_t>(k)] = EventOffered(static_cast<EventKind>(k), p1_centre);
    kinds_[static_cast<size_t>(k)]->setEnabled(offered_[static_cast<size_t>(k)]);
  }
  ApplyEnablingRule();
}

void EventsBox::ApplyEnablingRule() {
  bool any = false;
  for (size_t k = 0; k < kinds_.size(); ++k) any = any || (kinds_[k]->isChecked() && offered_[k]);
  if (!any) only_->setChecked(false);
  only_->setEnabled(any);
}

EventChoice EventsBox::Choice() const {
  EventChoice choice;
  for (int k = 0; k < kEventKinds; ++k) {
    const auto i = static_cast<size_t>(k);
    choice.Set(static_cast<EventKind>(k), kinds_[i]->isChecked() && offered_[i]);
  }
  choice.only = choice.any() && only_->isChecked();
  return choice;
}

}  // namespace tarnwick
