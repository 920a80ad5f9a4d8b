#include "window/events_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "core/message_text.h"
#include "engine/body_list.h"

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
  // The void-of-course rule: whose aspects count and which angles, as tarnwick-cli's
  // --voc-bodies and --voc-aspects take them.
  voc_bodies_ = new QLineEdit(QStringLiteral("Sun-Pluto"), this);
  voc_bodies_->setObjectName(QStringLiteral("txtVocBodies"));
  voc_bodies_->setToolTip(tr("Bodies whose exact aspects end the Moon's course: names or numbers, "
                             "ranges such as Sun-Pluto, separated by commas"));
  voc_aspects_ = new QLineEdit(QStringLiteral("0,60,90,120,180"), this);
  voc_aspects_->setObjectName(QStringLiteral("txtVocAspects"));
  voc_aspects_->setToolTip(tr("Angles that count, whole degrees 0 to 180, separated by commas"));
  auto* bodies_label = new QLabel(tr("Void Moon &bodies:"), this);
  bodies_label->setBuddy(voc_bodies_);
  auto* aspects_label = new QLabel(tr("an&gles:"), this);
  aspects_label->setBuddy(voc_aspects_);
  grid->addWidget(bodies_label, 3, 0);
  grid->addWidget(voc_bodies_, 3, 1);
  grid->addWidget(aspects_label, 4, 0);
  grid->addWidget(voc_aspects_, 4, 1);
  connect(kinds_[static_cast<size_t>(EventKind::VoidOfCourse)], &QCheckBox::toggled, this,
          &EventsBox::ApplyEnablingRule);
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
  const size_t voc = static_cast<size_t>(EventKind::VoidOfCourse);
  const bool void_moon = kinds_[voc]->isChecked() && offered_[voc];
  voc_bodies_->setEnabled(void_moon);
  voc_aspects_->setEnabled(void_moon);
}

std::optional<EventChoice> EventsBox::Choice(std::string* problem) const {
  EventChoice choice;
  if (voc_bodies_->isEnabled()) {
    std::string bad;
    const std::optional<BodySelection> bodies = ParseBodyList(voc_bodies_->text().toStdString(), &bad);
    if (!bodies) {
      if (problem) *problem = "Void Moon bodies: " + Quoted(bad) + " names no body (use names such as Sun or Venus, numbers 0-25 or ranges such as Sun-Pluto).";
      return std::nullopt;
    }
    const std::optional<std::vector<int>> angles = ParseAngleList(voc_aspects_->text().toStdString(), &bad);
    if (!angles) {
      if (problem) *problem = "Void Moon angles: " + Quoted(bad) + " is no angle (use whole degrees from 0 to 180, such as 0,60,90).";
      return std::nullopt;
    }
    choice.voc_bodies = *bodies;
    choice.voc_aspects = *angles;
  }
  for (int k = 0; k < kEventKinds; ++k) {
    const auto i = static_cast<size_t>(k);
    choice.Set(static_cast<EventKind>(k), kinds_[i]->isChecked() && offered_[i]);
  }
  choice.only = choice.any() && only_->isChecked();
  return choice;
}

}  // namespace tarnwick
