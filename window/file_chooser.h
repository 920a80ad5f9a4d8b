// The file dialog as the window uses it: a request (title, filter, default suffix, starting
// folder, preset name) and a chooser that answers with a full path or nothing on cancel.
// The window only sees the interface, so tests hand in a chooser that answers by script.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace tarnwick {

struct FileRequest {
  enum class Mode { Load, Save };
  Mode mode = Mode::Load;
  QString title;           // "Load settings file", "Save help file", ...
  QString filter;          // "Settings Files (*.opt)"
  QString default_suffix;  // without the dot: "opt", "txt"
  QString start_folder;    // folder shown first
  QString preset_name;     // full path offered as the file name; empty for none
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen file's full path, or nothing when the user cancelled. A save asks before
  // replacing an existing file; a load accepts existing files only.
  virtual std::optional<QString> Choose(QWidget* parent, const FileRequest& request) = 0;
};

// The platform's open/save dialog.
class DialogFileChooser final : public FileChooser {
 public:
  std::optional<QString> Choose(QWidget* parent, const FileRequest& request) override;
};

}  // namespace tarnwick
