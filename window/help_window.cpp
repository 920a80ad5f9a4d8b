#include "window/help_window.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/atomic_file.h"
#include "store/text_encoding.h"
#include "window/window_look.h"
#include "window/qt_strings.h"

namespace tarnwick {

namespace {


// Longest line the pane is given, in bytes. The pane lays a line out whole, about a
// millisecond per thousand characters: this many take a tenth of a second, where the 15 MiB
// single line a 16 MiB file can hold would freeze the window for a quarter of a minute. No
// text meant to be read has lines this long.
constexpr std::size_t kMaxPaneLineBytes = 65536;
// Largest help file the pane is given, in bytes. The pane takes a file in one step at about
// 0.1 s per MiB of short lines (more on a busy machine), and the window does not answer
// meanwhile; a help text is some tens of KiB, so this leaves room for any real one while a
// large file chosen by mistake is refused at once instead of freezing the window.
constexpr std::size_t kMaxHelpFileBytes = 1 << 20;


}  // namespace

HelpWindow::HelpWindow(const ProgramFiles& files, std::shared_ptr<FileChooser> chooser, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(files), chooser_(std::move(chooser)) {
  setObjectName(QStringLiteral("frmHelpFiles"));
  setAttribute(Qt::WA_DeleteOnClose);

  auto* load = new QPushButton(tr("Edit/Load help file"), this);
  load->setObjectName(QStringLiteral("cmdLoadFile"));
  auto* save = new QPushButton(tr("Save help file"), this);
  save->setObjectName(QStringLiteral("cmdSaveAsFile"));
  for (QPushButton* b : {load, save}) {
    QFont bold = b->font();
    bold.setBold(true);
    b->setFont(bold);
    // Tall buttons, 1300 by 1200 twips; the caption wraps only if the font demands it.
    b->setMinimumSize(TwipsToPixels(1300), TwipsToPixels(1200));
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }
  pane_ = new QPlainTextEdit(this);
  pane_->setObjectName(QStringLiteral("RichText1"));
  pane_->setFont(FixedWidthFont(9));
  pane_->setLineWrapMode(QPlainTextEdit::NoWrap);

  // The pane fills the window to the right of the buttons; a layout never gives it a
  // negative size, however small the window is made.
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(load);
  buttons->addWidget(save);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buttons);
  layout->addWidget(pane_, 1);
  resize(TwipsToPixels(12660), TwipsToPixels(6180));

  connect(load, &QPushButton::clicked, this, &HelpWindow::LoadFile);
  connect(save, &QPushButton::clicked, this, &HelpWindow::SaveAsFile);

  const QString start = TextOf(HelpFileToOpen(files_));
  SetPath(start);
  if (!ShowFile(start)) pane_->clear();
}

bool HelpWindow::hasUnsavedEdits() const { return pane_->document()->isModified(); }

void HelpWindow::SetPath(const QString& path) {
  path_ = path;
  setWindowTitle(QString::fromUtf8(kHelpCaptionPrefix) + path);
}

void HelpWindow::Warn(const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

bool HelpWindow::ShowFile(const QString& path) {
  const FileRead read = ReadWholeFile(PathOf(path));
  if (!read.ok) {
    Warn(QString::fromStdString(read.message));
    return false;
  }
  if (read.bytes.size() > kMaxHelpFileBytes) {
    Warn(tr("Could not load \"%1\": it is %2 bytes long, more than the %3 (1 MiB) this window "
            "shows; a help text is far shorter.")
             .arg(path)
             .arg(read.bytes.size())
             .arg(kMaxHelpFileBytes));
    return false;
  }
  // UTF-8, an older 8-bit file or UTF-16 with its mark; a binary file is not shown as text.
  const DecodedText decoded = DecodeTextFile(read.bytes);
  if (!decoded.ok) {
    Warn(tr("Could not load \"%1\": %2.").arg(path, QString::fromStdString(decoded.problem)));
    return false;
  }
  if (const auto long_line = FirstLineLongerThan(decoded.text, kMaxPaneLineBytes)) {
    Warn(tr("Could not load \"%1\": its line %2 is %3 bytes long, more than the %4 this "
            "window shows; it is not a text meant to be read.")
             .arg(path)
             .arg(long_line->number)
             .arg(long_line->bytes)
             .arg(kMaxPaneLineBytes));
    return false;
  }
  QStringList text;
  for (const std::string& line : SplitLines(decoded.text)) text << QString::fromStdString(line);
  pane_->setPlainText(text.join(QLatin1Char('\n')));
  pane_->document()->setModified(false);
  return true;
}

std::optional<QString> HelpWindow::ChooseHelpFile(FileRequest::Mode mode) {
  FileRequest request;
  request.mode = mode;
  const bool save = mode == FileRequest::Mode::Save;
  request.title = save ? tr("Save help file") : tr("Load help file");
  request.filter = tr("Help Files (*.txt)");
  request.default_suffix = QStringLiteral("txt");
  // The folder of the user's own help.txt: the program's folder, or the XDG data folder of
  // an installed copy, where the shipped file cannot be replaced.
  request.start_folder = TextOf(files_.help_file.parent_path());
  request.preset_name = path_;
  if (save && PathOf(path_) == files_.shipped_help_file && files_.help_file != files_.shipped_help_file) {
    request.preset_name = TextOf(files_.help_file);
  }
  return chooser_->Choose(this, request);
}

void HelpWindow::LoadFile() {
  if (!MayDropEdits()) return;
  const std::optional<QString> chosen = ChooseHelpFile(FileRequest::Mode::Load);
  if (!chosen) return;
  if (ShowFile(*chosen)) SetPath(*chosen);
}

bool HelpWindow::SaveAsFile() {
  const std::optional<QString> chosen = ChooseHelpFile(FileRequest::Mode::Save);
  if (!chosen) return false;
  std::vector<std::string> lines;
  for (const QString& line : pane_->toPlainText().split(QLatin1Char('\n'))) {
    lines.push_back(line.toStdString());
  }
  const FileStatus saved = WriteFileAtomically(PathOf(*chosen), JoinLinesCrLf(lines));
  if (!saved) {
    Warn(QString::fromStdString(saved.message));
    return false;
  }
  SetPath(*chosen);
  pane_->document()->setModified(false);
  return true;
}

bool HelpWindow::MayDropEdits() {
  if (!hasUnsavedEdits()) return true;
  QMessageBox ask(QMessageBox::Question, windowTitle(),
                  tr("The help text has changes that are not saved.\nSave them before going on?"),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
  ask.setDefaultButton(QMessageBox::Save);
  switch (ask.exec()) {
    case QMessageBox::Save:
      return SaveAsFile();
    case QMessageBox::Discard:
      pane_->document()->setModified(false);
      return true;
    default:
      return false;
  }
}

void HelpWindow::closeEvent(QCloseEvent* event) {
  if (MayDropEdits()) {
    event->accept();
    if (QWidget* main = parentWidget()) main->activateWindow();  // back to the main window
  } else {
    event->ignore();
  }
}

}  // namespace tarnwick
