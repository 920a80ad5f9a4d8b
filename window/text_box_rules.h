// The typing rules of a text box: which characters a user may type, how long typing may make
// the text, and the whole text selected when the focus enters. They act on what the user types
// or pastes only; text that the program places in a box (from a settings file, the start-up
// file or a date command) is shown as it is, neither filtered nor cut.
#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

namespace tarnwick {

struct TypingRule {
  QString allowed;  // the characters that may be typed; empty: any printable character
  int max_length;   // typing stops at this many characters
};

// Installs the rule on the box; the rules object lives as long as the box.
void ApplyTypingRule(QLineEdit* box, const TypingRule& rule);

// The event filter behind ApplyTypingRule.
class TextBoxRules final : public QObject {
  Q_OBJECT
 public:
  TextBoxRules(QLineEdit* box, TypingRule rule);

  // What of `typed` the box takes at its cursor now: the allowed characters, cut to the room
  // left (the selection, which typing replaces, counts as room).
  QString Admit(const QString& typed) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PasteAdmitted();

  QLineEdit* box_;
  TypingRule rule_;
};

}  // namespace tarnwick
