// The graphic ephemeris drawn: axes, guides, the body lines with their end labels and legend,
// and the rows' markers, with QtGui alone (no widgets), so the runner draws SVG and PNG files
// on the offscreen platform and the window draws the same picture on screen.
#pragma once

#include <QByteArray>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/position_provider.h"
#include "report/graph_model.h"
#include "store/atomic_file.h"

class QPainter;

namespace tarnwick {

// Room around the plot area, pixels: value labels on the left, the date axis below, line-end
// labels and the legend on the right.
inline constexpr double kGraphMarginLeft = 64.0;
inline constexpr double kGraphMarginTop = 28.0;
inline constexpr double kGraphMarginRight = 200.0;
inline constexpr double kGraphMarginBottom = 40.0;
inline constexpr int kGraphDefaultWidth = 1600;   // pixels, the runner's default picture
inline constexpr int kGraphDefaultHeight = 900;
inline constexpr double kMarkerRadius = 4.0;      // pixels

// The plot frame of a picture of width x height pixels: the whole span, the dial's degrees
// (or the declinations sampled).
GraphFrame PlotFrame(const GraphData& data, int dial, double width, double height);

// Samples the lines for a picture of that size over the whole span and returns its frame.
GraphFrame PrepareGraph(GraphData& data, PositionProvider& eph, int dial, double width, double height);

// What is drawn over the picture: rows shown highlighted (index into data.markers; may be
// empty) and whether the markers are drawn at all (the SVG writes them itself).
struct GraphPaintOptions {
  std::vector<bool> highlighted;
  bool markers = true;
  std::string title;  // above the plot; empty for none
};

// Draws the picture in a width x height box at the painter's origin.
void PaintGraph(QPainter& painter, const GraphData& data, const GraphFrame& frame, double width, double height,
                const GraphPaintOptions& options);

// The heading of a graph: what it shows and on which dial ("Longitude, 15-degree dial").
std::string GraphTitle(const GraphData& data, int dial);

// The picture as an SVG document: each row's marker one element (a circle, or a diamond for a
// contra-parallel) of class "marker" carrying the row's report line as its <title>.
QByteArray GraphSvg(const GraphData& data, const GraphFrame& frame, int width, int height);
// The picture as a PNG image.
QByteArray GraphPng(const GraphData& data, const GraphFrame& frame, int width, int height);

enum class GraphFormat { Svg, Png };
// By the file's extension (.svg or .png, any case); nothing for another.
std::optional<GraphFormat> GraphFormatOf(const std::filesystem::path& path);

// Writes the picture in the format of the path's extension (commit or nothing; a link is
// followed). An unknown extension is refused with a message naming the file.
FileStatus SaveGraph(const std::filesystem::path& path, const GraphData& data, const GraphFrame& frame, int width,
                     int height);

}  // namespace tarnwick
