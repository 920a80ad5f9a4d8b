// The report of a run on pages, for a printer or a PDF file: a header of what was searched,
// the report lines in a fixed-width font (their columns kept), and on every page the run's
// date and "Page n of m". Drawn with QtGui alone (no widgets), so the runner can make a PDF
// on the offscreen platform.
#pragma once

#include <QByteArray>

#include <filesystem>
#include <string>
#include <vector>

#include <ctime>

#include "report/run_summary.h"
#include "store/atomic_file.h"

class QPagedPaintDevice;

namespace tarnwick {

struct ReportPages {
  std::string title;                // first line of the first page
  std::vector<std::string> header;  // what was searched, one line each
  std::string run_date;             // when the run was made, as the footer shows it
  std::string report;               // the report text: lines ended by CR LF (or LF)
};

// The pages of a finished run: its report text (pane_text), what was searched (the run's
// summary, one "Label: value" line per field) and the UTC date and minute of run_time.
ReportPages PagesOfRun(const std::string& report, const std::string& file_name,
                       const std::vector<SummaryField>& summary, std::time_t run_time);

// The lines of `report` as drawn: line ends removed, blank lines kept inside, and the pane's
// leading empty line and closing rule left out. An empty report gives one line saying so.
std::vector<std::string> ReportPageLines(const std::string& report);

// Draws the pages on `device` (a QPdfWriter or a QPrinter, its page layout set). The font
// is a fixed-width one, made smaller when the longest line would not fit the width. Returns
// the number of pages, 0 when the device cannot be painted on.
int PaintReportPages(QPagedPaintDevice& device, const ReportPages& pages);

// The pages as a PDF document (A4, 15 mm margins).
QByteArray ReportPdf(const ReportPages& pages);

// Writes ReportPdf to a file the user named (commit or nothing; a link is followed).
FileStatus SaveReportPdf(const std::filesystem::path& path, const ReportPages& pages);

}  // namespace tarnwick
