#include "window/graph_view.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "graph/graph_picture.h"

namespace tarnwick {

namespace {

constexpr double kShortestShownDays = 1.0 / 24.0;  // zoom stops at an hour across
constexpr double kWheelStepZoom = 1.25;           // per notch of the wheel
constexpr double kDragThresholdPx = 4.0;          // a press moved less is a click
constexpr int kResampleDelayMs = 60;              // after the last wheel notch or drag move
constexpr std::size_t kMostCachedSamples = 200000;  // positions kept between views, about 13 MB

}  // namespace

GraphView::GraphView(ProviderFactory factory, QWidget* parent) : QWidget(parent), factory_(std::move(factory)) {
  setObjectName(QStringLiteral("graphView"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QHBoxLayout;
  auto* dial_label = new QLabel(tr("&Dial:"), this);
  dial_box_ = new QComboBox(this);
  dial_box_->setObjectName(QStringLiteral("cboGraphDial"));
  for (const int d : kGraphDials) dial_box_->addItem(tr("%1 degrees").arg(d), d);
  dial_label->setBuddy(dial_box_);
  auto* whole = new QPushButton(tr("&Whole span"), this);
  whole->setObjectName(QStringLiteral("cmdGraphWholeSpan"));
  hint_ = new QLabel(tr("Wheel: zoom in time. Drag: move. Point at a marker for its report line; "
                        "click it to select the row in the table."),
                     this);
  // The hint gives way to the window's width rather than widening the window.
  hint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  bar->addWidget(dial_label);
  bar->addWidget(dial_box_);
  bar->addWidget(whole);
  bar->addWidget(hint_, 1);
  column->addLayout(bar);
  canvas_ = new GraphCanvas(this);
  column->addWidget(canvas_, 1);

  resample_timer_ = new QTimer(this);
  resample_timer_->setSingleShot(true);
  connect(resample_timer_, &QTimer::timeout, this, [this] {
    stale_ = true;
    canvas_->update();
  });
  connect(dial_box_, &QComboBox::activated, this, [this](int i) { SetDial(dial_box_->itemData(i).toInt()); });
  connect(whole, &QPushButton::clicked, this, &GraphView::ShowWholeSpan);
}

GraphView::~GraphView() = default;

void GraphView::SetRun(std::shared_ptr<const RunPlan> plan, const FoundAspects& rows) {
  plan_ = std::move(plan);
  if (!plan_) {
    Clear();
    return;
  }
  data_ = GraphOfRun(*plan_, rows);
  highlighted_.assign(data_.markers.size(), false);
  cache_.reset();
  provider_ = factory_ ? factory_() : nullptr;
  if (provider_) {
    cache_ = std::make_unique<PositionCache>(*provider_);
    cache_->SetSwitches(plan_->switches);
  }
  dial_ = data_.grid_dial;
  dial_box_->setCurrentIndex(dial_box_->findData(dial_));
  dial_box_->setEnabled(data_.Folds());
  t0_ = data_.start_jd;
  t1_ = data_.end_jd;
  stale_ = true;
  canvas_->update();
}

void GraphView::Clear() {
  plan_.reset();
  data_ = GraphData{};
  highlighted_.clear();
  cache_.reset();
  provider_.reset();
  stale_ = true;
  canvas_->update();
}

void GraphView::SetHighlighted(const std::vector<std::size_t>& rows) {
  std::fill(highlighted_.begin(), highlighted_.end(), false);
  for (const std::size_t r : rows) {
    if (r < highlighted_.size()) highlighted_[r] = true;
  }
  canvas_->update();
}

void GraphView::SetDial(int dial) {
  if (!IsGraphDial(dial) || dial == dial_) return;
  dial_ = dial;
  dial_box_->setCurrentIndex(dial_box_->findData(dial));
  stale_ = true;
  canvas_->update();
}

void GraphView::ShowSpan(double t0, double t1) {
  if (!HasRun()) return;
  const double whole = data_.end_jd - data_.start_jd;
  double length = std::clamp(t1 - t0, std::min(kShortestShownDays, whole), whole);
  t0 = std::clamp(t0, data_.start_jd, data_.end_jd - length);
  t0_ = t0;
  t1_ = t0 + length;
  ScheduleResample();
  canvas_->update();
}

void GraphView::ShowWholeSpan() { ShowSpan(data_.start_jd, data_.end_jd); }

GraphFrame GraphView::CurrentFrame() {
  EnsureSampled();
  GraphFrame f = PlotFrame(data_, dial_, canvas_->width(), canvas_->height());
  f.t0 = t0_;
  f.t1 = t1_ > t0_ ? t1_ : t0_ + 1.0;
  return f;
}

void GraphView::EnsureSampled() {
  if (!HasRun() || !cache_) return;
  GraphFrame f = PlotFrame(data_, dial_, canvas_->width(), canvas_->height());
  f.t0 = t0_;
  f.t1 = t1_;
  const double days_per_px = (t1_ - t0_) / f.width;
  // Fresh samples when asked, when the view left the sampled stretch, or when it zoomed in
  // so far that the old ones would show their corners.
  const bool outside = t0_ < sampled_t0_ || t1_ > sampled_t1_;
  const bool coarser = days_per_px < sampled_days_per_px_ / 1.5;
  if (!stale_ && !outside && !coarser && sampled_dial_ == dial_) return;
  // Half a view more on each side, so that a pan shows lines at once.
  const double margin = (t1_ - t0_) / 2.0;
  SampleLines(data_, *cache_, f, t0_ - margin, t1_ + margin);
  sampled_t0_ = std::max(t0_ - margin, data_.start_jd);
  sampled_t1_ = std::min(t1_ + margin, data_.end_jd);
  sampled_days_per_px_ = days_per_px;
  sampled_dial_ = dial_;
  stale_ = false;
  // Sample times lie on a grid of binary fractions of a day, so the positions of one view
  // serve the next zoom or pan; they are forgotten only when they pile up (some megabytes).
  std::size_t taken = 0;
  for (const GraphLine& line : data_.lines) taken += line.samples.size();
  cached_samples_ += taken;
  if (cached_samples_ > kMostCachedSamples) {
    cache_->Clear();
    cached_samples_ = 0;
  }
}

void GraphView::ScheduleResample() { resample_timer_->start(kResampleDelayMs); }

FileStatus GraphView::Save(const std::filesystem::path& path) {
  const GraphFrame f = CurrentFrame();
  return SaveGraph(path, data_, f, std::max(canvas_->width(), 200), std::max(canvas_->height(), 200));
}

GraphCanvas::GraphCanvas(GraphView* view) : QWidget(view), view_(view) {
  setObjectName(QStringLiteral("graphCanvas"));
  setMouseTracking(true);
  setMinimumSize(160, 120);
  setFocusPolicy(Qt::ClickFocus);
}

void GraphCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!view_->HasRun()) {
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::darkGray);
    p.drawText(rect(), Qt::AlignCenter, tr("The graph shows the last finished run."));
    return;
  }
  const GraphFrame f = view_->CurrentFrame();
  GraphPaintOptions options;
  options.highlighted = view_->highlighted_;
  options.title = GraphTitle(view_->data_, view_->dial_);
  PaintGraph(p, view_->data_, f, width(), height(), options);
}

void GraphCanvas::wheelEvent(QWheelEvent* event) {
  if (!view_->HasRun()) return;
  const GraphFrame f = view_->CurrentFrame();
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0.0) return;
  // The moment under the mouse stays where it is.
  const double x = event->position().x();
  const double at = f.JdAtX(std::clamp(x, f.left, f.left + f.width));
  const double scale = std::pow(kWheelStepZoom, -notches);
  view_->ShowSpan(at - (at - view_->t0_) * scale, at + (view_->t1_ - at) * scale);
  event->accept();
}

void GraphCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  press_ = event->position();
  press_t0_ = view_->t0_;
  press_t1_ = view_->t1_;
  dragged_ = false;
}

void GraphCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (!view_->HasRun()) return;
  const GraphFrame f = view_->CurrentFrame();
  if (press_ && (event->buttons() & Qt::LeftButton)) {
    const double dx = event->position().x() - press_->x();
    if (std::fabs(dx) >= kDragThresholdPx) dragged_ = true;
    if (dragged_) {
      const double days = dx / f.width * (press_t1_ - press_t0_);
      view_->ShowSpan(press_t0_ - days, press_t1_ - days);
    }
    return;
  }
  const std::optional<std::size_t> hit =
      MarkerAt(view_->data_, f, event->position().x(), event->position().y(), kMarkerRadius + 2.0);
  const QString tip = hit ? QString::fromStdString(view_->data_.titles[*hit]) : QString();
  if (tip != toolTip()) {
    setToolTip(tip);
    if (tip.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(event->globalPosition().toPoint(), tip, this);
  }
}

void GraphCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !press_) return;
  press_.reset();
  if (dragged_ || !view_->HasRun()) return;
  const GraphFrame f = view_->CurrentFrame();
  const std::optional<std::size_t> hit =
      MarkerAt(view_->data_, f, event->position().x(), event->position().y(), kMarkerRadius + 2.0);
  if (hit) emit view_->rowClicked(view_->data_.markers[*hit].row);
}

}  // namespace tarnwick
