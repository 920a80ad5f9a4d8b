// The results table with a million rows: how long the window's thread is busy handing the
// rows to the model, painting the first screen, scrolling (page steps and jumps of the scroll
// bar, each painted at once), sorting by a column and narrowing by a filter text. The
// longest single step is what a user would feel as a stall.
//
//   QT_QPA_PLATFORM=offscreen build/bin/tarnwick-results-table [ROWS]
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <cmath>
#include <cstdio>
#include <random>

#include "window/results_model.h"

using namespace tarnwick;

// Elapsed time of a timer in milliseconds. Nanoseconds convert to double exactly up to 2^53
// (about 104 days).
static double Milliseconds(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000000;
  FoundAspects rows(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    FoundAspect& r = rows[static_cast<size_t>(i)];
    r.body = {idxMoon, i % 10, (i / 10) % 10};
    r.jd_ut = 2451545.0 + i / 1440.0;
    r.position = {std::fmod(i * 0.37, 360.0), std::fmod(i * 0.011, 360.0), std::fmod(i * 0.007, 360.0)};
    r.motion = {13.2, i % 7 == 0 ? -0.2 : 0.9, 0.03};
  }
  RunSettings s;
  s.chkUseP3 = true;

  ResultsModel model;
  ResultsModel& filter = model;
  QTableView view;
  view.setModel(&model);
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->hide();
  view.setSortingEnabled(true);
  view.resize(1200, 900);
  view.show();
  QApplication::processEvents();

  QElapsedTimer t;
  const auto step = [&](const char* what, auto&& work) {
    t.start();
    work();
    view.viewport()->repaint();
    const double ms = Milliseconds(t);
    std::printf("%-40s %9.1f ms\n", what, ms);
    return ms;
  };
  step("hand over the rows, first paint", [&] { model.SetRun(ScanKind::Longitude, s, RegionalFormat{}, std::move(rows)); });

  std::mt19937 random(1);
  QScrollBar* bar = view.verticalScrollBar();
  double longest_page = 0, longest_jump = 0;
  for (int i = 0; i < 200; ++i) {
    t.start();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    view.viewport()->repaint();
    longest_page = std::max(longest_page, Milliseconds(t));
  }
  for (int i = 0; i < 200; ++i) {
    t.start();
    bar->setValue(static_cast<int>(random() % static_cast<unsigned>(bar->maximum() + 1)));
    view.viewport()->repaint();
    longest_jump = std::max(longest_jump, Milliseconds(t));
  }
  std::printf("%-40s %9.1f ms\n", "longest of 200 page steps", longest_page);
  std::printf("%-40s %9.1f ms\n", "longest of 200 jumps of the scroll bar", longest_jump);
  step("sort by P2", [&] { view.sortByColumn(ResultsModel::kP2, Qt::AscendingOrder); });
  step("sort by the date", [&] { view.sortByColumn(ResultsModel::kDate, Qt::DescendingOrder); });
  step("sort by the aspect", [&] { view.sortByColumn(ResultsModel::kAspects, Qt::AscendingOrder); });
  step("filter \"Jupiter\"", [&] { filter.SetNeedle(QStringLiteral("Jupiter")); });
  step("filter cleared", [&] { filter.SetNeedle(QString()); });
  return 0;
}
