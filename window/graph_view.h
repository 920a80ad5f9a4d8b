// The Graph tab: the graphic ephemeris of the last finished run, with the dial to fold on,
// zoom (mouse wheel) and pan (drag) in time, the row's report line on hovering a marker, a
// click on a marker to pick its row, and the rows selected in the table highlighted.
#pragma once

#include <QWidget>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/position_cache.h"
#include "engine/scan.h"
#include "report/graph_model.h"
#include "store/atomic_file.h"

class QComboBox;
class QLabel;
class QTimer;

namespace tarnwick {

class GraphCanvas;

// Object names: the view graphView, its canvas graphCanvas, the dial box cboGraphDial, the
// button showing the whole span cmdGraphWholeSpan.
class GraphView final : public QWidget {
  Q_OBJECT
 public:
  // `factory` makes the position provider the lines are sampled from (on the window's thread).
  explicit GraphView(ProviderFactory factory, QWidget* parent = nullptr);
  ~GraphView() override;

  // A finished run: its plan and its rows in the report's order. The lines are sampled when
  // the graph is first shown.
  void SetRun(std::shared_ptr<const RunPlan> plan, const FoundAspects& rows);
  void Clear();
  bool HasRun() const { return plan_ != nullptr; }

  // Rows (indices into the run's rows) drawn highlighted.
  void SetHighlighted(const std::vector<std::size_t>& rows);

  int dial() const { return dial_; }
  void SetDial(int dial);
  // The time shown, Julian days (UT); ShowSpan(start, end) zooms to it.
  double shownStart() const { return t0_; }
  double shownEnd() const { return t1_; }
  void ShowSpan(double t0, double t1);
  void ShowWholeSpan();

  const GraphData& data() const { return data_; }
  // The plot frame as the canvas draws it now (its samples brought up to date first).
  GraphFrame CurrentFrame();
  GraphCanvas* canvas() const { return canvas_; }

  // Saves the graph as shown (the time and dial on screen) at the canvas' size, as SVG or PNG
  // by the name's extension.
  FileStatus Save(const std::filesystem::path& path);

 signals:
  void rowClicked(std::size_t row);  // index into the run's rows

 private:
  friend class GraphCanvas;
  void EnsureSampled();      // the visible stretch sampled at the canvas' scale
  void ScheduleResample();   // after a zoom or a pan, once the mouse rests

  ProviderFactory factory_;
  std::unique_ptr<PositionProvider> provider_;
  std::unique_ptr<PositionCache> cache_;
  std::shared_ptr<const RunPlan> plan_;
  GraphData data_;
  std::vector<bool> highlighted_;
  int dial_ = 15;
  double t0_ = 0.0, t1_ = 1.0;
  // What the samples were taken for: stale when any differs from the view's.
  double sampled_t0_ = 0.0, sampled_t1_ = 0.0, sampled_days_per_px_ = 0.0;
  int sampled_dial_ = -1;
  std::size_t cached_samples_ = 0;  // samples taken since the cache was last cleared
  bool stale_ = true;
  QComboBox* dial_box_ = nullptr;
  QLabel* hint_ = nullptr;
  GraphCanvas* canvas_ = nullptr;
  QTimer* resample_timer_ = nullptr;
};

// The drawing surface: paints the picture, turns the wheel into zoom and a drag into a pan,
// shows a marker's report line as tooltip and reports clicks on markers.
class GraphCanvas final : public QWidget {
  Q_OBJECT
 public:
  explicit GraphCanvas(GraphView* view);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  GraphView* view_;
  std::optional<QPointF> press_;   // where a press began, while the button is down
  double press_t0_ = 0.0, press_t1_ = 0.0;
  bool dragged_ = false;
};

}  // namespace tarnwick
