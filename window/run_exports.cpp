#include "window/run_exports.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QLineEdit>
#include <QMenu>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

#include <filesystem>

#include "core/time_zone.h"
#include "print/report_pages.h"
#include "report/csv_export.h"
#include "report/event_csv.h"
#include "report/ics_export.h"
#include "store/atomic_file.h"
#include "window/text_box_rules.h"
#include "window/qt_strings.h"

namespace tarnwick {

namespace {


struct FormatInfo {
  const char* object_name;
  const char* caption;
  const char* title;
  const char* filter;
  const char* suffix;
};

FormatInfo InfoOf(RunExports::Format f) {
  switch (f) {
    case RunExports::Format::Csv:
      return {"mnuFileExportCsvFormat", "&CSV...", "Export CSV", "CSV Files (*.csv)", "csv"};
    case RunExports::Format::Ics:
      return {"mnuFileExportIcs", "&iCalendar...", "Export iCalendar", "iCalendar Files (*.ics)", "ics"};
    case RunExports::Format::Pdf:
      return {"mnuFileExportPdfFormat", "&PDF...", "Export PDF", "PDF Files (*.pdf)", "pdf"};
    case RunExports::Format::Text:
      break;
  }
  return {"mnuFileExportText", "&Report text...", "Export report text", "Text Files (*.txt)", "txt"};
}

bool DialogPrinterSetup(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

RunExports::RunExports(QWidget* parent, std::shared_ptr<FileChooser> chooser, RegionalFormat regional,
                       std::function<std::string()> data_folder, std::function<void(const QString&)> tell,
                       std::function<void(const QString&, const QString&)> warn)
    : QObject(parent),
      parent_(parent),
      chooser_(std::move(chooser)),
      regional_(std::move(regional)),
      data_folder_(std::move(data_folder)),
      tell_(std::move(tell)),
      warn_(std::move(warn)),
      printer_setup_(DialogPrinterSetup) {}

void RunExports::AddActions(QMenu* file_menu) {
  export_menu_ = file_menu->addMenu(tr("E&xport"));
  export_menu_->setObjectName(QStringLiteral("mnuFileExport"));
  for (const Format f : {Format::Csv, Format::Ics, Format::Pdf, Format::Text}) {
    const FormatInfo info = InfoOf(f);
    QAction* a = export_menu_->addAction(tr(info.caption), this, [this, f] { Export(f); });
    a->setObjectName(QString::fromLatin1(info.object_name));
  }
  export_menu_->addSeparator();
  table_rows_only_ = export_menu_->addAction(tr("Only the rows &shown or selected in the table"));
  table_rows_only_->setObjectName(QStringLiteral("mnuFileExportTableRows"));
  table_rows_only_->setCheckable(true);
  table_rows_only_->setStatusTip(tr("Export the selected rows, or the rows the filter shows, instead of the whole run"));
  export_pdf_ = file_menu->addAction(tr("Export &PDF..."), this, [this] { Export(Format::Pdf); });
  export_pdf_->setObjectName(QStringLiteral("mnuFileExportPdf"));
  export_pdf_->setStatusTip(tr("Save the report of the last run as PDF pages"));
  print_ = file_menu->addAction(tr("&Print..."), this, &RunExports::Print);
  print_->setObjectName(QStringLiteral("mnuFilePrint"));
  print_->setShortcut(QKeySequence::Print);
  print_->setStatusTip(tr("Print the report of the last run with a header and page numbers"));
  UpdateEnabled();
}

void RunExports::SetRun(Run run) {
  run_ = std::move(run);
  UpdateEnabled();
}

void RunExports::SetBusy(bool running) {
  busy_ = running;
  UpdateEnabled();
}

void RunExports::UpdateEnabled() {
  const bool on = run_.has_value() && !busy_;
  if (export_menu_) {
    for (QAction* a : export_menu_->actions()) a->setEnabled(on);
    export_menu_->menuAction()->setEnabled(on);
  }
  if (export_pdf_) export_pdf_->setEnabled(on);
  if (print_) print_->setEnabled(on);
}

void RunExports::Export(Format format) {
  if (!run_ || busy_) return;
  const FormatInfo info = InfoOf(format);
  const std::filesystem::path folder = data_folder_();
  FileRequest request;
  request.mode = FileRequest::Mode::Save;
  request.title = tr(info.title);
  request.filter = tr(info.filter);
  request.default_suffix = QString::fromLatin1(info.suffix);
  request.start_folder = Q(folder.string());
  request.preset_name =
      Q((folder / std::filesystem::path(run_->report_name).replace_extension(std::string(".") + info.suffix)).string());
  const std::optional<QString> chosen = chooser_->Choose(parent_, request);
  if (!chosen) return;
  const std::filesystem::path path(chosen->toStdString());
  // The whole run, or the part of it the table narrows to.
  std::optional<Part> part;
  if (table_rows_only_ && table_rows_only_->isChecked() && table_rows_) part = table_rows_();
  const FoundAspects& rows = part ? part->rows : run_->rows;
  const SkyEvents& events = part ? part->events : run_->events;
  const std::string& report = part ? part->report : run_->report;
  FileStatus saved;
  switch (format) {
    case Format::Csv:
      saved = SaveRunCsvWithEvents(path, rows, events, run_->kind, run_->settings, regional_, run_->chart_name);
      break;
    case Format::Ics:
      saved = SaveRunIcs(path, rows, run_->kind, run_->settings, regional_, std::time(nullptr), events,
                         run_->chart_name);
      break;
    case Format::Pdf:
      saved = SaveReportPdf(path, PagesOfRun(report, run_->report_name, run_->summary, run_->finished));
      break;
    case Format::Text:
      saved = WriteFileAtomically(path, report, LinkPolicy::FollowLink);
      break;
  }
  if (!saved) {
    warn_(tr(info.title), Q(saved.message));
    tell_(Q(saved.message));
    return;
  }
  tell_(part ? tr("Saved %n row(s) in %1", nullptr, static_cast<int>(rows.size() + events.size())).arg(*chosen)
             : tr("Saved %1").arg(*chosen));
}

void RunExports::Print() {
  if (!run_ || busy_) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  printer.setDocName(Q(run_->report_name));
  if (!printer_setup_(printer, parent_)) return;
  const int pages =
      PaintReportPages(printer, PagesOfRun(run_->report, run_->report_name, run_->summary, run_->finished));
  if (pages == 0) {
    warn_(tr("Print"), tr("The printer could not be used."));
    tell_(tr("Nothing was printed."));
    return;
  }
  tell_(pages == 1 ? tr("Printed 1 page.") : tr("Printed %1 pages.").arg(pages));
}

void AttachZoneCompletion(QWidget* time_zone_box, char decimal_separator) {
  auto* box = qobject_cast<QLineEdit*>(time_zone_box);
  if (!box) return;
  // Beside the number's digits, sign and decimal signs, the characters of zone names
  // (letters, "/", "_", "+"); the longest name has 32 characters.
  constexpr int kLongestZoneText = 40;
  QString allowed = QStringLiteral("0123456789.-/_+abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  if (decimal_separator != '.' && decimal_separator != ':' && decimal_separator != '-' &&
      !(decimal_separator >= '0' && decimal_separator <= '9')) {
    allowed += QLatin1Char(decimal_separator);
  }
  delete box->findChild<TextBoxRules*>();
  ApplyTypingRule(box, {allowed, kLongestZoneText});
  QStringList names;
  for (const std::string& n : TimeZoneNames()) names << Q(n);
  auto* completer = new QCompleter(names, box);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setFilterMode(Qt::MatchContains);  // "berl" finds Europe/Berlin
  completer->setObjectName(QStringLiteral("txtTZCompleter"));
  // The list opens for a name only: a number typed is an offset, and a list of the names
  // holding "-5" (Etc/GMT-5) would take the focus from the next box clicked.
  completer->setWidget(box);
  QObject::connect(box, &QLineEdit::textEdited, completer, [completer](const QString& text) {
    if (text.isEmpty() || !text.front().isLetter()) {
      completer->popup()->hide();
      return;
    }
    completer->setCompletionPrefix(text);
    completer->complete();
  });
  QObject::connect(completer, qOverload<const QString&>(&QCompleter::activated), box,
                   [box](const QString& name) { box->setText(name); });
  box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("America/New_York")) + 14);
}

}  // namespace tarnwick
