#include "print/report_pages.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>


namespace tarnwick {

namespace {

constexpr double kMarginMm = 15.0;
constexpr double kLargestPointSize = 9.0;  // the report's size when its lines fit
constexpr double kSmallestPointSize = 5.0;  // below this a page is no longer readable
constexpr int kPdfResolutionDpi = 300;

QString Text(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QFont FixedFont(double point_size) {
  // Liberation Mono (fonts-liberation) is the metric twin of Courier New, the report's font.
  QFont font(QStringLiteral("Liberation Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(point_size);
  return font;
}

}  // namespace

ReportPages PagesOfRun(const std::string& report, const std::string& file_name,
                       const std::vector<SummaryField>& summary, std::time_t run_time) {
  ReportPages pages;
  pages.title = "Tarnwick aspectarian";
  if (!file_name.empty()) pages.title += ": " + file_name;
  for (const SummaryField& f : summary) pages.header.push_back(f.label + ": " + f.value);
  std::tm utc{};
  gmtime_r(&run_time, &utc);
  char when[64];
  std::strftime(when, sizeof when, "Run on %Y-%m-%d at %H:%M UTC", &utc);
  pages.run_date = when;
  pages.report = report;
  return pages;
}

std::vector<std::string> ReportPageLines(const std::string& report) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < report.size()) {
    size_t end = report.find('\n', pos);
    if (end == std::string::npos) end = report.size();
    std::string line = report.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  // The pane's frame: an empty first line, and a closing rule of hyphens.
  if (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
  if (!lines.empty() && !lines.back().empty() &&
      lines.back().find_first_not_of('-') == std::string::npos) {
    lines.pop_back();
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  if (lines.empty()) lines.push_back("No exact aspect lies in the span for these settings.");
  return lines;
}

int PaintReportPages(QPagedPaintDevice& device, const ReportPages& pages) {
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  const QRectF area(0, 0, device.width(), device.height());  // inside the margins, device pixels
  const std::vector<std::string> lines = ReportPageLines(pages.report);

  // The largest fixed-width size at which the longest line fits the width.
  size_t longest = 1;
  for (const std::string& l : lines) longest = std::max(longest, static_cast<size_t>(Text(l).size()));
  double size = kLargestPointSize;
  QFont body = FixedFont(size);
  while (size > kSmallestPointSize &&
         QFontMetricsF(body, &device).horizontalAdvance(QString(static_cast<qsizetype>(longest), QChar('0'))) >
             area.width()) {
    size -= 0.25;
    body = FixedFont(size);
  }
  QFont title = FixedFont(kLargestPointSize + 3);
  title.setBold(true);
  const QFont small = FixedFont(kLargestPointSize - 1);
  const double line_h = QFontMetricsF(body, &device).lineSpacing();
  const double small_h = QFontMetricsF(small, &device).lineSpacing();
  const double footer_h = small_h * 2;

  // First page: title and header (each wrapped at words to the width), one blank line; then
  // report lines, which are never wrapped (the font was made small enough for them).
  const auto wrapped = [&](const QFont& font, const std::string& text) {
    return QFontMetricsF(font, &device)
        .boundingRect(QRectF(0, 0, area.width(), area.height()), Qt::TextWordWrap, Text(text))
        .height();
  };
  double first_top = wrapped(title, pages.title) + line_h;
  for (const std::string& h : pages.header) first_top += wrapped(body, h);
  const auto per_page = [&](double top) {
    return std::max(1, static_cast<int>(std::floor((area.height() - top - footer_h) / line_h)));
  };
  const int first_rows = per_page(first_top), other_rows = per_page(0);
  const int rest = std::max(0, static_cast<int>(lines.size()) - first_rows);
  const int page_count = 1 + (rest + other_rows - 1) / other_rows;

  size_t next = 0;
  for (int page = 1; page <= page_count; ++page) {
    if (page > 1) device.newPage();
    double y = 0;
    if (page == 1) {
      const auto draw_wrapped = [&](const QFont& font, const std::string& text) {
        painter.setFont(font);
        const double h = wrapped(font, text);
        painter.drawText(QRectF(0, y, area.width(), h), Qt::TextWordWrap, Text(text));
        y += h;
      };
      draw_wrapped(title, pages.title);
      for (const std::string& h : pages.header) draw_wrapped(body, h);
      y += line_h;
    }
    painter.setFont(body);
    const int rows = page == 1 ? first_rows : other_rows;
    for (int r = 0; r < rows && next < lines.size(); ++r, ++next) {
      painter.drawText(QPointF(0, y + QFontMetricsF(body, &device).ascent()), Text(lines[next]));
      y += line_h;
    }
    painter.setFont(small);
    const double base = area.height() - QFontMetricsF(small, &device).descent();
    painter.drawText(QPointF(0, base), Text(pages.run_date));
    const QString number = QStringLiteral("Page %1 of %2").arg(page).arg(page_count);
    painter.drawText(QPointF(area.width() - QFontMetricsF(small, &device).horizontalAdvance(number), base), number);
  }
  painter.end();
  return page_count;
}

QByteArray ReportPdf(const ReportPages& pages) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolutionDpi);
    writer.setTitle(Text(pages.title));
    writer.setCreator(QStringLiteral("Tarnwick"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    if (PaintReportPages(writer, pages) == 0) return {};
  }  // the writer finishes the document when it goes
  return bytes;
}

FileStatus SaveReportPdf(const std::filesystem::path& path, const ReportPages& pages) {
  const QByteArray pdf = ReportPdf(pages);
  if (pdf.isEmpty()) {
    return {false, "Could not save \"" + path.string() + "\": the pages could not be drawn"};
  }
  return WriteFileAtomically(path, std::string_view(pdf.constData(), static_cast<size_t>(pdf.size())),
                             LinkPolicy::FollowLink);
}

}  // namespace tarnwick
