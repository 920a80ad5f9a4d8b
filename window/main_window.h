// The main window: every run setting as a control, the two run commands on a worker thread,
// the results pane, the File, Adjust Dates and Help menus, and the start-up and shut-down of
// the program. The window wires controls to the layers below; it computes nothing itself.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <optional>
#include <mutex>
#include <thread>

#include "core/date_text.h"
#include "engine/run_settings.h"
#include "report/notation.h"
#include "report/run_command.h"
#include "store/date_commands.h"
#include "store/program_files.h"
#include "store/window_state.h"
#include "window/file_chooser.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QTableView;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTextDocument;
class QTimer;

namespace tarnwick {

class AspectSetButton;
class EventsBox;
class GraphView;
class HelpWindow;
class RunExports;
class RunSummaryLabel;

inline constexpr const char* kVersionText = "1.00";

// What the window takes from the world outside, handed in so that tests can fix it.
struct WindowWorld {
  std::function<CalendarDate()> today;  // the clock: today's local date, for the start-up defaults
  RegionalFormat regional;              // read once at start (Get_Regional_Settings)
  ProgramFiles files;                   // start-up file, data folder, help files
  std::shared_ptr<FileChooser> chooser;
  ProviderFactory provider_factory;     // called on the run's own thread
  int threads = 1;                      // worker threads of a scan
  // What would not fit of a run of this size, "" when it fits (RunSizeProblem: the disk of
  // the data folder and the memory available); the window asks before such a run searches.
  std::function<std::string(const RunSize&, const std::filesystem::path&)> size_problem = RunSizeProblem;
};

// Object names: each control is named after its run-settings field or its name in the
// program's vocabulary (txtStartDate, chkUseP3, cmdAspectarian, mnuFileLoad). The members of
// the body arrays are named "<array>_<index>" (chkP1Planets_0 .. chkP3Planets_25); an option
// pair is a widget named after its field (opt1_ghd) holding "opt1_ghd_0" ("g") and
// "opt1_ghd_1" ("h"). The run's progress bar is prgRun, its Cancel button cmdCancel, the
// status line lblStatus. The results: the tab widget tabResults with the table tblResults
// (filter box txtFilter), the report text txtResults and the notices list lstNotices.
class ResultsModel;

class MainWindow final : public QMainWindow {
  Q_OBJECT
 public:
  // Builds the window and runs the start-up sequence: the start-up file is read (or its
  // defaults taken from today's month), the data folder created. Problems found on the way
  // are shown in the status line.
  explicit MainWindow(WindowWorld world, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the window where it was last time (brought onto a screen when that place is on
  // none of today's screens), or the first time centred on the screen, nine tenths of it.
  void ShowPlaced();

  // The notation of positions and aspects in the table (View > Notation).
  Notation notation() const;

  // The run settings, equal to the controls at every moment.
  RunSettings ControlsToSettings() const;
  // Puts settings into the controls (the enabling rule follows).
  void SettingsToControls(const RunSettings& settings);

  // Full path of the current settings file, "" for none.
  const std::string& settingsFilePath() const { return settings_file_path_; }
  bool running() const { return worker_.joinable(); }
  HelpWindow* helpWindow() const;
  // Why the start-up file could not be written at shut-down; empty when it was.
  const QString& shutdownProblem() const { return shutdown_problem_; }
  // Why the start-up file was left as it was on purpose (the user made it read-only); empty
  // when it was written. Worth a line on standard error, not a message box.
  const QString& shutdownNotice() const { return shutdown_notice_; }

 protected:
  // Shut-down: closes the help window (which may ask about unsaved edits and so keep the
  // program open), stops a run, writes the start-up file.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void SetTabOrder();
  void ApplyEnablingRule();
  void Tell(const QString& text);  // the status line
  // The notices of a finished run: all of them into the notices list, the first one that
  // did not come with the run before into the status line (with the count of the others).
  void ShowNotices(const QStringList& notices);
  void ShowResultsView(int tab);   // 0 table, 1 report text, 2 notices, 3 graph
  void SetNotation(Notation notation);
  void CopySelectedRows();        // Ctrl+C in the table: report lines and tab-separated values
  void SelectBodies(size_t role, int how);  // a body column: 0 none, 1 all, 2 Sun to Pluto
  void RestoreWindowState();      // at start, from the window's state file and last.opt
  void SaveWindowState();         // at shut-down, into window_state_
  std::filesystem::path ConfigFolder() const;  // the start-up file's folder
  void Warn(const QString& title, const QString& text);  // a message box that does not block

  void LoadSettings();  // mnuFileLoad
  void SaveSettings();  // mnuFileSave
  void ExportCsv();     // mnuFileExportCsv: the rows of the last finished run
  void SaveGraphFile(); // mnuFileSaveGraph: the Graph tab's picture as SVG or PNG
  void SelectRunRow(std::size_t run_row);  // a marker clicked in the Graph tab
  std::optional<QString> ChooseSettingsFile(FileRequest::Mode mode);
  void RunDateCommand(DateCommand command);

  // What the run's thread hands back: written there, read here once `finished` is set. The
  // window polls it rather than being sent events from the run's thread, so every hand-over
  // is a C++ atomic or the join, which ThreadSanitizer can follow (Qt's own event queue is
  // locked inside Qt, out of its sight).
  //
  // A run goes through three phases: computing (the thread scans and builds the report and
  // the pane's text), showing (the window puts that text into the pane a slice at a time, so
  // that it stays responsive and Cancel works until the report is shown whole) and saving
  // (the thread writes the report file, told to by `decision`).
  struct RunState {
    std::atomic<int> permille{0};  // thousandths of the scans' windows done
    std::atomic<bool> computed{false};  // outcome, pane_pieces and failure are set
    std::atomic<int> decision{0};       // kPending, then kSave or kDrop; the thread waits on it
    std::atomic<bool> finished{false};
    ScanKind kind = ScanKind::Longitude;
    RunSettings settings;               // as the run took them
    RunOutcome outcome;
    std::vector<QString> pane_pieces;   // the pane's text in pieces of whole lines
    qsizetype pane_lines = 0;           // lines in all pieces
    QString failure;  // an exception's text, when the run stopped on one
    // Rows found and not yet in the table, in time order: the thread adds, the window takes.
    std::mutex fresh_lock;
    FoundAspects fresh;
    // A run too large for the disk or memory: the thread sets size_problem, then asking, and
    // waits on size_answer (kSave: run it anyway; kDrop: do not).
    std::string size_problem;
    std::atomic<bool> asking{false};
    std::atomic<int> size_answer{0};
  };
  enum class RunPhase { Idle, Computing, Showing, Saving };

  void StartRun(ScanKind kind);
  void PollRun();    // the progress bar, and the next phase once the thread has done its part
  void BeginShowing();
  void ShowMoreResults();  // one slice of the pane's text, a few hundredths of a second
  void AbandonShowing();   // the pane back to the report it showed before the run
  void Decide(int decision);
  void AskRunSize();         // the thread's question about a run too large, once
  void AnswerRunSize(int answer);
  void TakeFreshRows(RunState& state);  // rows found since the last look, into the table
  void FinishRun();
  void CancelRun();
  void StopRun();    // cancels and joins the thread, at shut-down
  void SetRunning(bool running);

  void OpenHelp();  // mnuHelp

  WindowWorld world_;
  std::string settings_file_path_;         // current settings file, "" for none
  std::filesystem::path dialog_folder_;    // folder of the last chosen settings file
  QString shutdown_problem_;
  QString shutdown_notice_;

  std::array<QLineEdit*, kTextFields.size()> text_boxes_{};          // in kTextFields order
  std::array<QCheckBox*, kCheckFields.size()> switches_{};           // in kCheckFields order
  std::array<PerBody<QCheckBox*>, kRoleFields.size()> body_boxes_{};
  // The chart angles of P2 and P3 (slot AngleSlot(i)); null for P1. Enabled while the role's
  // centre is n and the chart has a birth place.
  std::array<std::array<QCheckBox*, NatalAngleCount>, kRoleFields.size()> angle_boxes_{};
  void EnableAngleBoxes();
  // g, h and, for P2 and P3, n (the natal chart's points; enabled while a chart is loaded).
  std::array<std::array<QRadioButton*, 3>, kRoleFields.size()> centre_options_{};
  class ChartKeeper* chart_ = nullptr;  // the Chart menu and the chart the runs take
  QLabel* chart_label_ = nullptr;       // lblChartName, above the P2 and P3 columns
  void ShowChart();
  QWidget* inputs_ = nullptr;  // every control that feeds a run, locked while one runs
  QSplitter* splitter_ = nullptr;  // inputs | results
  QScrollArea* inputs_scroll_ = nullptr;
  QTabWidget* results_tabs_ = nullptr;
  QTableView* table_ = nullptr;
  QLineEdit* filter_box_ = nullptr;
  QLabel* row_count_ = nullptr;
  QTimer* filter_timer_ = nullptr;  // narrows the table once the user pauses typing
  ResultsModel* model_ = nullptr;
  QListWidget* notices_list_ = nullptr;
  QPushButton* notices_button_ = nullptr;
  QStringList notices_;               // of the last finished run
  std::array<QAction*, 3> notation_actions_{};  // in Notation order
  QAction* cancel_action_ = nullptr;
  ScanKind last_kind_ = ScanKind::Longitude;   // what Enter in a text box runs
  WindowState window_state_;          // as read at start; written back at shut-down
  AspectSetButton* aspect_set_ = nullptr;  // beside chkInclude15DegAspects
  RunSummaryLabel* summary_ = nullptr;     // above the results
  EventsBox* events_ = nullptr;  // sky events for the run (not stored in the settings file)
  QPlainTextEdit* results_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QAction* load_action_ = nullptr;
  QAction* export_csv_action_ = nullptr;  // enabled once a run has finished
  // The last run whose report was shown, for Export CSV; its rows as the report has them.
  struct FinishedRun {
    ScanKind kind = ScanKind::Longitude;
    RunSettings settings;
    SkyEvents events;
    std::string report_name;  // the report file's name, offered with .csv for the export
    std::string chart_name;   // the natal chart's name, "" in a run without one
  };
  // Asks where to save a file of the last run: the data folder, the report's name with
  // `suffix` ("csv").
  std::optional<QString> ChooseRunFile(const QString& title, const QString& filter, const char* suffix);
  std::optional<FinishedRun> last_run_;
  QMenu* dates_menu_ = nullptr;
  QPointer<HelpWindow> help_;
  RunExports* exports_ = nullptr;  // File > Export, Export PDF..., Print...
  GraphView* graph_ = nullptr;     // the Graph tab
  QAction* save_graph_action_ = nullptr;  // enabled once a run has finished

  std::thread worker_;
  std::atomic<bool> cancel_{false};
  std::shared_ptr<RunState> run_state_;
  RunPhase phase_ = RunPhase::Idle;
  QTimer* run_poll_ = nullptr;
  QTimer* show_timer_ = nullptr;          // a slice of the pane's text each time the loop is idle
  size_t next_piece_ = 0;                 // of run_state_->pane_pieces
  QTextDocument* shown_before_ = nullptr;  // the pane's report before the run, while showing
};

}  // namespace tarnwick
