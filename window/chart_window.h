// The natal chart in the window: the Chart menu (New, Open, Save, Edit), the dialog with the
// birth data and the chart's positions, and the chart the runs take for the centre "n".
#pragma once

#include <QDialog>
#include <QObject>
#include <filesystem>
#include <memory>
#include <optional>

#include "engine/natal_chart.h"
#include "engine/scan.h"
#include "store/window_state.h"
#include "window/file_chooser.h"

class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTableWidget;

namespace tarnwick {

// The birth data and, once they read, the chart's positions (body, sign, degree, minute,
// declination) so the user can check them against their own chart. OK takes the chart only
// when it can be cast; otherwise the dialog says which field is wrong and stays open.
// Object names: txtChartName, txtChartDate, txtChartTime, txtChartZone, txtChartPlace,
// cmdChartCompute, tblChartPositions, lblChartProblems, cmdChartOk.
class ChartDialog final : public QDialog {
  Q_OBJECT
 public:
  ChartDialog(const NatalChart& chart, ProviderFactory factory, QWidget* parent);
  NatalChart Chart() const;

 private:
  bool Compute();  // casts the chart into the table; false, with the problems shown, if it cannot

  ProviderFactory factory_;
  QLineEdit* name_ = nullptr;
  QLineEdit* date_ = nullptr;
  QLineEdit* time_ = nullptr;
  QLineEdit* zone_ = nullptr;
  QLineEdit* place_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* problems_ = nullptr;
};

// Keeps the window's chart and its file. Actions: mnuChartNew, mnuChartOpen, mnuChartSave,
// mnuChartEdit (Save is enabled once there is a chart).
class ChartKeeper final : public QObject {
  Q_OBJECT
 public:
  ChartKeeper(QWidget* window, std::shared_ptr<FileChooser> chooser, ProviderFactory factory,
              std::filesystem::path start_folder);

  void AddMenu(QMenuBar* bar);
  const std::optional<NatalChart>& chart() const { return chart_; }
  // "Chart: Ada (n)" for the label near the P2/P3 columns; "No chart (n)" without one.
  QString Caption() const;

  // The chart and its file as entries of the window's state ("chart.name", "chart.date",
  // "chart.time", "chart.zone", "chart.place", "chart.file"), so the next start takes the
  // same chart; without a chart, the entries are removed.
  void Remember(WindowState& state) const;
  // Takes the chart those entries hold. One whose birth data no longer read (a zone name the
  // system has dropped, say) is not taken: returns why, for the status line; else "".
  QString Restore(const WindowState& state);

 signals:
  void chartChanged();
  void message(const QString& text);  // for the status line: a file that failed, a save done

 private:
  void EditChart(const NatalChart& start);
  void Open();
  void Save();

  QWidget* window_;
  std::shared_ptr<FileChooser> chooser_;
  ProviderFactory factory_;
  std::filesystem::path folder_;
  std::filesystem::path path_;  // the chart's file; empty before it is saved
  std::optional<NatalChart> chart_;
  QAction* save_ = nullptr;
};

}  // namespace tarnwick
