#include "graph/graph_picture.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <system_error>

namespace tarnwick {

namespace {

QColor ColourOf(int style) {
  const unsigned rgb = StyleColour(style);
  return QColor(static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF), static_cast<int>(rgb & 0xFF));
}

Qt::PenStyle DashOf(int style) {
  switch (StyleDash(style)) {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    default: return Qt::SolidLine;
  }
}

// Pixel sizes, so that a picture looks the same on every screen and in every file.
QFont GraphFont(int pixels, bool bold = false) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPen LinePen(const GraphLine& line, bool retrograde) {
  // Body lines 1.6 px, thinner where the body moves backwards; midpoint lines dashed and thin.
  QPen pen(ColourOf(line.style), line.key.IsMidpoint() ? 1.0 : retrograde ? 0.6 : 1.0);
  pen.setStyle(line.key.IsMidpoint() ? Qt::DashLine : DashOf(line.style));
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void DrawPieces(QPainter& p, const GraphLine& line, const std::vector<GraphPiece>& pieces, const QPen& base,
                bool keep_pen) {
  for (const GraphPiece& piece : pieces) {
    if (piece.points.size() < 2) continue;
    p.setPen(keep_pen ? base : LinePen(line, piece.retrograde));
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(piece.points.size()));
    for (const GraphPoint& pt : piece.points) poly << QPointF(pt.x, pt.y);
    p.drawPolyline(poly);
  }
}

QPolygonF Diamond(QPointF c, double r) {
  return QPolygonF({QPointF(c.x(), c.y() - r), QPointF(c.x() + r, c.y()), QPointF(c.x(), c.y() + r),
                    QPointF(c.x() - r, c.y())});
}

// The y of each line's end label at the right edge, moved apart so that none overlap.
std::vector<double> SpreadLabels(std::vector<std::pair<double, std::size_t>> ys, double gap, double top,
                                 double bottom, std::size_t count) {
  std::sort(ys.begin(), ys.end());
  for (std::size_t i = 1; i < ys.size(); ++i) ys[i].first = std::max(ys[i].first, ys[i - 1].first + gap);
  if (!ys.empty() && ys.back().first > bottom) {
    ys.back().first = bottom;
    for (std::size_t i = ys.size() - 1; i > 0; --i) ys[i - 1].first = std::min(ys[i - 1].first, ys[i].first - gap);
  }
  std::vector<double> out(count, -1.0);
  for (const auto& [y, line] : ys) out[line] = std::max(y, top);
  return out;
}

std::string XmlEscaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // Control characters have no place in XML 1.0; a report line holds none, but a
        // body name from a user's file might.
        if (static_cast<unsigned char>(c) < 0x20) out += ' ';
        else out += c;
    }
  }
  return out;
}

std::string Number(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::round(v * 100.0) / 100.0, std::chars_format::fixed, 2);
  return std::string(buf, r.ptr);
}

}  // namespace

GraphFrame PlotFrame(const GraphData& data, int dial, double width, double height) {
  return FrameFor(data, dial, kGraphMarginLeft, kGraphMarginTop,
                  std::max(1.0, width - kGraphMarginLeft - kGraphMarginRight),
                  std::max(1.0, height - kGraphMarginTop - kGraphMarginBottom));
}

GraphFrame PrepareGraph(GraphData& data, PositionProvider& eph, int dial, double width, double height) {
  GraphFrame frame = PlotFrame(data, dial, width, height);
  SampleLines(data, eph, frame, frame.t0, frame.t1);
  // Declination ranges follow the lines: a wider range only makes the samples finer than asked.
  if (!data.Folds()) frame = PlotFrame(data, dial, width, height);
  return frame;
}

std::string GraphTitle(const GraphData& data, int dial) {
  switch (data.quantity) {
    case GraphQuantity::Longitude: return "Longitude, " + std::to_string(dial) + "-degree dial";
    case GraphQuantity::RightAscension: return "Right ascension, " + std::to_string(dial) + "-degree dial";
    case GraphQuantity::Declination: return "Declination (dotted: mirrored, for contra-parallels)";
    case GraphQuantity::GeoLatitude: return "Latitude (dotted: mirrored, for contra-parallels)";
  }
  return {};
}

void PaintGraph(QPainter& p, const GraphData& data, const GraphFrame& frame, double width, double height,
                const GraphPaintOptions& options) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(QRectF(0, 0, width, height), Qt::white);
  const QRectF plot(frame.left, frame.top, frame.width, frame.height);
  const QFont small = GraphFont(11);
  p.setFont(small);
  const QFontMetricsF fm(small);

  if (!options.title.empty()) {
    p.setFont(GraphFont(13, true));
    p.setPen(Qt::black);
    p.drawText(QRectF(frame.left, 4, frame.width, kGraphMarginTop - 6), Qt::AlignLeft | Qt::AlignVCenter,
               Q(options.title));
    p.setFont(small);
  }

  // The value axis: grid lines, sign boundaries darker, labels on the left.
  for (const GraphTick& t : ValueTicks(frame, data.Folds())) {
    const double y = frame.Y(t.at);
    p.setPen(QPen(t.major ? QColor(150, 150, 150) : QColor(225, 225, 225), t.major ? 1.0 : 0.7));
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    if (!t.label.empty()) {
      p.setPen(QColor(60, 60, 60));
      p.drawText(QRectF(0, y - 8, kGraphMarginLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter, Q(t.label));
    }
  }
  if (!data.Folds()) {
    // The obliquity: the Sun's greatest declination, where bodies near the ecliptic turn.
    QPen guide(QColor(120, 120, 120), 1.0, Qt::DashLine);
    p.setPen(guide);
    for (const double v : {kObliquityDeg, -kObliquityDeg}) {
      p.drawLine(QPointF(plot.left(), frame.Y(v)), QPointF(plot.right(), frame.Y(v)));
    }
  }
  // The date axis.
  const std::shared_ptr<const TimeZone> zone = data.zone ? data.zone : FixedOffsetZone(0.0);
  for (const GraphTick& t : TimeTicks(frame.t0, frame.t1, frame.width, *zone)) {
    const double x = frame.X(t.at);
    p.setPen(QPen(t.major ? QColor(170, 170, 170) : QColor(230, 230, 230), 0.7));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.setPen(QColor(60, 60, 60));
    p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
    p.drawText(QRectF(x - 50, plot.bottom() + 5, 100, 16), Qt::AlignHCenter | Qt::AlignTop, Q(t.label));
  }
  p.setPen(QPen(QColor(80, 80, 80), 1.0));
  p.drawRect(plot);

  // The lines, clipped to the plot.
  p.save();
  p.setClipRect(plot);
  std::vector<std::pair<double, std::size_t>> ends;
  for (std::size_t i = 0; i < data.lines.size(); ++i) {
    const GraphLine& line = data.lines[i];
    if (!data.Folds()) {
      QPen mirror(ColourOf(line.style), 0.8, Qt::DotLine);
      DrawPieces(p, line, LinePieces(line, frame, true), mirror, true);
    }
    const std::vector<GraphPiece> pieces = LinePieces(line, frame);
    DrawPieces(p, line, pieces, QPen(), false);
    // Where the line leaves the visible stretch: its last sample before the right edge.
    const auto& s = line.samples;
    const auto last = std::upper_bound(s.begin(), s.end(), frame.t1,
                                       [](double t, const GraphSample& g) { return t < g.jd_ut; });
    if (last != s.begin() && !line.key.IsMidpoint()) {
      const GraphSample& g = *(last - 1);
      const double v = data.Folds() ? FoldToDial(g.value, frame.dial) : g.value;
      ends.push_back({frame.Y(v), i});
    }
  }
  p.restore();

  // Labels at the line ends, so that lines read in grey print too.
  const std::vector<double> label_y =
      SpreadLabels(ends, fm.height(), plot.top(), plot.bottom(), data.lines.size());
  for (std::size_t i = 0; i < data.lines.size(); ++i) {
    if (label_y[i] < 0.0) continue;
    p.setPen(ColourOf(data.lines[i].style).darker(130));
    p.drawText(QRectF(plot.right() + 4, label_y[i] - fm.height() / 2, 70, fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, Q(data.lines[i].label));
  }

  // The legend: a stroke of each line's pen and its name.
  double ly = plot.top();
  const double lx = plot.right() + 78;
  for (const GraphLine& line : data.lines) {
    if (ly + fm.height() > height) break;
    p.setPen(LinePen(line, false));
    p.drawLine(QPointF(lx, ly + fm.height() / 2), QPointF(lx + 28, ly + fm.height() / 2));
    p.setPen(Qt::black);
    p.drawText(QRectF(lx + 32, ly, kGraphMarginRight - 112, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               Q(line.label));
    ly += fm.height();
  }

  if (options.markers) {
    p.save();
    p.setClipRect(plot.adjusted(-kMarkerRadius, -kMarkerRadius, kMarkerRadius, kMarkerRadius));
    const auto first = std::lower_bound(data.markers.begin(), data.markers.end(), frame.JdAtX(plot.left() - 10),
                                        [](const GraphMarker& m, double jd) { return m.jd_ut < jd; });
    for (auto it = first; it != data.markers.end(); ++it) {
      const GraphPoint c = MarkerPoint(*it, frame);
      if (c.x > plot.right() + 10) break;
      const auto index = static_cast<std::size_t>(it - data.markers.begin());
      const bool lit = index < options.highlighted.size() && options.highlighted[index];
      const double r = lit ? kMarkerRadius + 2.0 : kMarkerRadius;
      p.setPen(QPen(lit ? QColor(0xD5, 0x5E, 0x00) : Qt::black, lit ? 2.0 : 1.0));
      p.setBrush(lit ? QColor(0xD5, 0x5E, 0x00, 160) : QColor(255, 255, 255, 200));
      if (it->contra) p.drawPolygon(Diamond(QPointF(c.x, c.y), r + 1.0));
      else p.drawEllipse(QPointF(c.x, c.y), r, r);
    }
    p.restore();
  }
  p.restore();
}

QByteArray GraphSvg(const GraphData& data, const GraphFrame& frame, int width, int height) {
  QByteArray svg;
  {
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setTitle(QString::fromStdString(GraphTitle(data, frame.dial)));
    generator.setDescription(QStringLiteral("Tarnwick graphic ephemeris"));
    QPainter painter;
    if (!painter.begin(&generator)) return {};
    GraphPaintOptions options;
    options.markers = false;  // written below, one titled element each
    options.title = GraphTitle(data, frame.dial);
    PaintGraph(painter, data, frame, width, height, options);
    painter.end();
  }
  // The markers: one element per row, its report line as the title a viewer shows on hover.
  std::string marks = "<g id=\"markers\" stroke=\"#000000\" stroke-width=\"1\" fill=\"#ffffff\">\n";
  for (std::size_t i = 0; i < data.markers.size(); ++i) {
    const GraphPoint c = MarkerPoint(data.markers[i], frame);
    const std::string title = "<title>" + XmlEscaped(i < data.titles.size() ? data.titles[i] : std::string()) + "</title>";
    if (data.markers[i].contra) {
      const double r = kMarkerRadius + 1.0;
      marks += "<polygon class=\"marker contra\" points=\"" + Number(c.x) + "," + Number(c.y - r) + " " +
               Number(c.x + r) + "," + Number(c.y) + " " + Number(c.x) + "," + Number(c.y + r) + " " +
               Number(c.x - r) + "," + Number(c.y) + "\">" + title + "</polygon>\n";
    } else {
      marks += "<circle class=\"marker\" cx=\"" + Number(c.x) + "\" cy=\"" + Number(c.y) + "\" r=\"" +
               Number(kMarkerRadius) + "\">" + title + "</circle>\n";
    }
  }
  marks += "</g>\n";
  const qsizetype end = svg.lastIndexOf("</svg>");
  if (end < 0) return {};
  svg.insert(end, marks.data(), static_cast<qsizetype>(marks.size()));
  return svg;
}

QByteArray GraphPng(const GraphData& data, const GraphFrame& frame, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    GraphPaintOptions options;
    options.title = GraphTitle(data, frame.dial);
    PaintGraph(painter, data, frame, width, height, options);
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return png;
}

std::optional<GraphFormat> GraphFormatOf(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".svg") return GraphFormat::Svg;
  if (ext == ".png") return GraphFormat::Png;
  return std::nullopt;
}

FileStatus SaveGraph(const std::filesystem::path& path, const GraphData& data, const GraphFrame& frame, int width,
                     int height) {
  const std::optional<GraphFormat> format = GraphFormatOf(path);
  if (!format) {
    return {false, "Could not save \"" + path.string() + "\": a graph's file name ends in .svg or .png."};
  }
  const QByteArray bytes = *format == GraphFormat::Svg ? GraphSvg(data, frame, width, height)
                                                       : GraphPng(data, frame, width, height);
  if (bytes.isEmpty()) return {false, "Could not save \"" + path.string() + "\": the graph could not be drawn."};
  return WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                             LinkPolicy::FollowLink);
}

}  // namespace tarnwick
