// What the window tests hand the window instead of the world: a scratch program folder, a
// fixed clock and regional format, a file chooser that answers by script, and a helper that
// answers the next message box the way a user would.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/swiss_ephemeris.h"
#include "core/program_folder.h"
#include "window/file_chooser.h"
#include "window/main_window.h"

namespace tarnwick {

// Answers each dialog with the next scripted path (nothing = the user cancelled) and keeps
// the requests so tests can check titles, folders and preset names.
class ScriptedChooser final : public FileChooser {
 public:
  std::optional<QString> Choose(QWidget*, const FileRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    const bool cancelled = !answers.front().has_value();
    const QString path = answers.front().value_or(QString());
    answers.pop_front();
    if (cancelled) return std::nullopt;
    return path;
  }
  std::deque<std::optional<QString>> answers;
  std::vector<FileRequest> requests;
};

// A program folder of its own per test: start-up file, data/ and help.txt inside it.
struct TestWorld {
  QTemporaryDir folder;
  std::shared_ptr<ScriptedChooser> chooser = std::make_shared<ScriptedChooser>();
  CalendarDate today{2, 14, 2024};
  RegionalFormat regional;

  std::filesystem::path path() const { return std::filesystem::path(folder.path().toStdString()); }
  QString file(const QString& name) const { return folder.filePath(name); }

  WindowWorld world() const {
    WindowWorld w;
    w.today = [d = today] { return d; };
    w.regional = regional;
    // No XDG variables: a writable program folder keeps everything beside the program.
    w.files = LocateProgramFiles(path(), true, [](std::string_view) { return std::optional<std::string>(); });
    w.chooser = chooser;
    w.provider_factory = [] { return std::make_unique<SwissEphemeris>(EphemerisSearchPath(ProgramFolder())); };
    w.threads = 2;
    return w;
  }
};

// Clicks `button` on the next message box that opens, modal or not. Polls, so it works for a
// box that blocks in its own event loop as well as for one that is merely shown.
inline void AnswerNextMessageBox(QMessageBox::StandardButton button, QString* text = nullptr) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, button, text] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      if (text) *text = box->text();
      timer->stop();
      timer->deleteLater();
      box->button(button)->click();
      return;
    }
  });
  timer->start(5);
}

// The message box that is open over `parent`, nullptr when there is none.
inline QMessageBox* OpenMessageBox(QWidget* parent) {
  for (QMessageBox* box : parent->findChildren<QMessageBox*>()) {
    if (box->isVisible()) return box;
  }
  return nullptr;
}

}  // namespace tarnwick
