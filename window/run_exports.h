// The File menu's exports of the last finished run: Export > CSV / iCalendar / PDF /
// Report text, Export PDF..., and Print... . The whole run is exported; the window hands the
// run over when it has shown its report and switches the actions off while a run works.
#pragma once

#include <QObject>
#include <QString>

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/date_text.h"
#include "engine/found_aspects.h"
#include "engine/run_settings.h"
#include "engine/scan.h"
#include "engine/sky_events.h"
#include "report/run_summary.h"
#include "window/file_chooser.h"

class QAction;
class QMenu;
class QPrinter;
class QWidget;

namespace tarnwick {

class RunExports final : public QObject {
  Q_OBJECT
 public:
  enum class Format { Csv, Ics, Pdf, Text };

  // What a finished run leaves for the exports.
  struct Run {
    ScanKind kind = ScanKind::Longitude;
    RunSettings settings;
    FoundAspects rows;          // sorted as the report
    std::string report;         // the pane text, as the report file holds it
    std::string report_name;    // the report file's name; the exports offer it with their suffix
    std::time_t finished = 0;   // when the run finished (the pages' run date)
    std::vector<SummaryField> summary;  // what was searched: the pages' header
    SkyEvents events;           // sorted by moment; the CSV and the calendar hold them too
    std::string chart_name;     // the natal chart's name, "" in a run without one
  };

  // Asks for a printer and its settings; true to print. The window's default shows the
  // platform's print dialog; tests hand in one that answers by script.
  using PrinterSetup = std::function<bool(QPrinter& printer, QWidget* parent)>;

  // tell: the status line; warn: a message box that does not block.
  RunExports(QWidget* parent, std::shared_ptr<FileChooser> chooser, RegionalFormat regional,
             std::function<std::string()> data_folder, std::function<void(const QString&)> tell,
             std::function<void(const QString&, const QString&)> warn);

  // Adds Export (a submenu: mnuFileExportCsvFormat, mnuFileExportIcs, mnuFileExportPdfFormat,
  // mnuFileExportText, and the switch mnuFileExportTableRows "Only the rows shown or
  // selected"), Export PDF... (mnuFileExportPdf) and Print... (mnuFilePrint, Ctrl+P) to the
  // menu. All off until a run has finished.
  void AddActions(QMenu* file_menu);

  // Part of a run the table narrows to: rows in the report's order and their report text.
  struct Part {
    FoundAspects rows;
    SkyEvents events;    // in the report's order too
    std::string report;  // as the report file would hold these rows alone
  };
  // The rows the results table shows or has selected, or nothing when it shows the whole run
  // with nothing selected. Asked at each export while "Only the rows shown or selected" is on.
  using TableRows = std::function<std::optional<Part>()>;

  void SetRun(Run run);            // after a run whose report was shown
  void SetTableRows(TableRows rows) { table_rows_ = std::move(rows); }
  void SetBusy(bool running);      // off while a run works
  void SetPrinterSetup(PrinterSetup setup) { printer_setup_ = std::move(setup); }

  void Export(Format format);
  void Print();

 private:
  void UpdateEnabled();

  QWidget* parent_;
  std::shared_ptr<FileChooser> chooser_;
  RegionalFormat regional_;
  std::function<std::string()> data_folder_;
  std::function<void(const QString&)> tell_;
  std::function<void(const QString&, const QString&)> warn_;
  PrinterSetup printer_setup_;
  TableRows table_rows_;
  QAction* table_rows_only_ = nullptr;
  std::optional<Run> run_;
  bool busy_ = false;
  QMenu* export_menu_ = nullptr;
  QAction* export_pdf_ = nullptr;
  QAction* print_ = nullptr;
};

// Gives the Time Zone box zone names: letters, "/", "_" and "+" may be typed too (a zone name
// such as Europe/Berlin, beside the number of hours and the regional decimal sign), up to 40
// characters; the box is wide enough to show a name, and a completion list of the tz
// database's names pops up while typing.
void AttachZoneCompletion(QWidget* time_zone_box, char decimal_separator);

}  // namespace tarnwick
