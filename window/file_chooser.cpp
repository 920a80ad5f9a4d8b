#include "window/file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace tarnwick {

std::optional<QString> DialogFileChooser::Choose(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, request.title, request.start_folder, request.filter);
  const bool save = request.mode == FileRequest::Mode::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // A save may name a new file but only in a folder that exists; the dialog asks before
  // replacing a file (Qt's default for AcceptSave).
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(request.default_suffix);
  if (!request.preset_name.isEmpty()) {
    const QFileInfo preset(request.preset_name);
    // The preset is shown in its own folder when that folder still exists.
    if (preset.dir().exists()) dialog.setDirectory(preset.dir());
    dialog.selectFile(preset.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
}

}  // namespace tarnwick
