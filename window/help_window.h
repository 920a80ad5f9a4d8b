// frmHelpFiles: the help text in an editable fixed-width pane, with buttons to load another
// text file into it and to save the pane to a file. Edits that were not saved are never
// dropped without asking.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "store/program_files.h"
#include "window/file_chooser.h"

class QPlainTextEdit;
class QPushButton;

namespace tarnwick {

inline constexpr const char* kHelpCaptionPrefix = "Quillmere Help File - ";

class HelpWindow final : public QWidget {
  Q_OBJECT
 public:
  // Shows the default help file (HelpFileToOpen of files). A top-level window that is owned
  // by `parent` and deletes itself when closed.
  HelpWindow(const ProgramFiles& files, std::shared_ptr<FileChooser> chooser, QWidget* parent);

  const QString& currentPath() const { return path_; }
  bool hasUnsavedEdits() const;

 protected:
  // Asks to save, discard or keep the window open when the pane holds unsaved edits.
  void closeEvent(QCloseEvent* event) override;

 private:
  void LoadFile();   // cmdLoadFile
  bool SaveAsFile();  // cmdSaveAsFile; true when the pane was saved
  // Replaces the pane by the file's text; false (and the pane unchanged) if it cannot be read.
  bool ShowFile(const QString& path);
  // True when the pane may be replaced or dropped: no unsaved edits, or the user saved or
  // discarded them.
  bool MayDropEdits();
  std::optional<QString> ChooseHelpFile(FileRequest::Mode mode);
  void SetPath(const QString& path);
  void Warn(const QString& text);

  ProgramFiles files_;
  std::shared_ptr<FileChooser> chooser_;
  QString path_;  // the file the pane shows; the caption names it
  QPlainTextEdit* pane_;
};

}  // namespace tarnwick
