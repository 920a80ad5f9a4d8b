#include "window/text_box_rules.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <algorithm>

namespace tarnwick {

void ApplyTypingRule(QLineEdit* box, const TypingRule& rule) {
  box->installEventFilter(new TextBoxRules(box, rule));
}

TextBoxRules::TextBoxRules(QLineEdit* box, TypingRule rule)
    : QObject(box), box_(box), rule_(std::move(rule)) {
  // Dropped text would bypass the rules; typing and pasting are the ways in.
  box_->setAcceptDrops(false);
}

QString TextBoxRules::Admit(const QString& typed) const {
  QString out;
  for (const QChar c : typed) {
    if (c.isPrint() && (rule_.allowed.isEmpty() || rule_.allowed.contains(c))) out += c;
  }
  const qsizetype kept = box_->text().size() - box_->selectedText().size();
  const qsizetype room = std::max<qsizetype>(0, rule_.max_length - kept);
  return out.left(room);
}

void TextBoxRules::PasteAdmitted() {
  const QString admitted = Admit(QGuiApplication::clipboard()->text());
  if (!admitted.isEmpty()) box_->insert(admitted);
}

bool TextBoxRules::eventFilter(QObject* watched, QEvent* event) {
  if (watched != box_) return false;
  switch (event->type()) {
    case QEvent::FocusIn: {
      // Focus coming back from a menu or from another program keeps the user's selection;
      // entering the box by Tab, click or shortcut selects it all, so typing replaces it.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
        // After the click that gave the focus has placed the caret.
        QTimer::singleShot(0, box_, [box = box_] { box->selectAll(); });
      }
      return false;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->matches(QKeySequence::Paste)) {
        PasteAdmitted();
        return true;
      }
      const QString text = key->text();
      // Editing keys, Backspace and shortcuts carry no printable text: the box handles them.
      if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); })) {
        return false;
      }
      const QString admitted = Admit(text);
      if (admitted == text) return false;  // the box types it itself
      if (!admitted.isEmpty()) box_->insert(admitted);
      return true;
    }
    case QEvent::ContextMenu: {
      // The box's own menu, with its Paste going through the rules.
      QMenu* menu = box_->createStandardContextMenu();
      if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, box_, nullptr);
        connect(paste, &QAction::triggered, this, &TextBoxRules::PasteAdmitted);
      }
      menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
      delete menu;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tarnwick
