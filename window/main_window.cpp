#include "window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "report/csv_export.h"
#include "report/run_summary.h"
#include "store/settings_file.h"
#include "store/startup_file.h"
#include "window/aspect_set_button.h"
#include "window/help_window.h"
#include "window/run_summary_label.h"
#include "window/text_box_rules.h"
#include "window/window_look.h"

namespace tarnwick {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::filesystem::path PathOf(const QString& path) { return std::filesystem::path(path.toStdString()); }
QString TextOf(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Places of some fields in the tables of run_settings.h.
constexpr size_t kStartDateBox = 0, kEndDateBox = 1, kStartTimeBox = 5, kEndTimeBox = 6;
constexpr size_t kUseMidpoints = 2, kUseNearAndFar = 3, kInclude15DegAspects = 4, kEnableTimePeriod = 7;
static_assert(kTextFields[kStartDateBox].name == "txtStartDate" &&
              kTextFields[kEndDateBox].name == "txtEndDate" &&
              kTextFields[kStartTimeBox].name == "txtStartTime" &&
              kTextFields[kEndTimeBox].name == "txtEndTime");
static_assert(kCheckFields[kUseMidpoints].name == "chkUseMidpoints" &&
              kCheckFields[kUseNearAndFar].name == "chkUseNear_and_Far" &&
              kCheckFields[kInclude15DegAspects].name == "chkInclude15DegAspects" &&
              kCheckFields[kEnableTimePeriod].name == "chkEnableTimePeriod");

// What may be typed into each text box, in kTextFields order: dates anything up to 12
// characters, the time zone a signed decimal number, orbs digits and the point, times digits,
// the point and the colon ("10:30", as the boxes start). Where the locale's decimal sign is
// not the point (a ","), it may be typed into the number boxes too: it is what such a user
// types, and the readers take it as the point.
std::array<TypingRule, kTextFields.size()> TypingRules(char decimal_separator) {
  QString point = QStringLiteral(".");
  if (decimal_separator != '.' && decimal_separator != ':' && decimal_separator != '-' &&
      !(decimal_separator >= '0' && decimal_separator <= '9')) {
    point += QLatin1Char(decimal_separator);
  }
  const QString digits_and_point = QStringLiteral("0123456789") + point;
  return {{
      {QString(), 12},
      {QString(), 12},
      {digits_and_point + QLatin1Char('-'), 6},
      {digits_and_point, 6},
      {digits_and_point, 6},
      {digits_and_point + QLatin1Char(':'), 5},
      {digits_and_point + QLatin1Char(':'), 5},
  }};
}
// Labels of the text boxes, and how many characters each box shows without scrolling.
constexpr std::array<const char*, kTextFields.size()> kLabelNames = {
    "lblStartDate", "lblEndDate", "lblTZ", "lblOrb1", "lblOrb2", "lblStartTime", "lblEndTime"};
constexpr std::array<int, kTextFields.size()> kShownCharacters = {11, 11, 5, 5, 5, 5, 5};

struct DateMenuItem {
  const char* name;
  const char* caption;
  Qt::Key key;
  DateCommand command;
};
constexpr DateMenuItem kDayItems[] = {
    {"mnuPreviousStartDate", "&Previous start date", Qt::Key_F1, DateCommand::PreviousStartDate},
    {"mnuNextStartDate", "&Next start date", Qt::Key_F2, DateCommand::NextStartDate},
    {"mnuPreviousEndDate", "Previous &end date", Qt::Key_F3, DateCommand::PreviousEndDate},
    {"mnuNextEndDate", "Next end &date", Qt::Key_F4, DateCommand::NextEndDate},
};
constexpr DateMenuItem kMonthItems[] = {
    {"mnuPreviousMonth", "Previous month", Qt::Key_F5, DateCommand::PreviousMonth},
    {"mnuNextMonth", "Next month", Qt::Key_F6, DateCommand::NextMonth},
};

QFont Bold(QFont font) {
  font.setBold(true);
  return font;
}

QCheckBox* NewCheckBox(QWidget* parent, const QString& name, const QString& caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setFont(Bold(box->font()));
  return box;
}

QPushButton* NewCommand(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFont(Bold(button->font()));
  button->setMinimumHeight(TwipsToPixels(450));
  return button;
}

// What the thread and the window hand each other about a computed run.
constexpr int kPending = 0, kSave = 1, kDrop = 2;

// Lines of the pane's text per piece, and at most this many pieces per slice of showing: the
// pane takes about 5 microseconds a line (a slice of 2000 lines some 10 ms), and the window
// answers its events between slices. A slice also ends after kShowSliceMs, on a busy machine,
// well within the tenth of a second in which a user notices a delay.
constexpr qsizetype kLinesPerPiece = 500;
constexpr size_t kPiecesPerSlice = 4;
constexpr qint64 kShowSliceMs = 25;

// The pane's text in pieces of kLinesPerPiece lines, each line ended by "\n" (the file keeps
// CR LF; the pane shows lines ended by the platform's line break), and the count of lines.
// Made on the run's thread: for a report of hundreds of thousands of lines the conversion alone
// takes seconds. Stops early, with what it has, once `cancel` is set.
std::vector<QString> PanePieces(std::string_view text, const std::atomic<bool>& cancel, qsizetype& lines) {
  std::vector<QString> pieces;
  lines = 0;
  size_t begin = 0;
  while (begin < text.size() && !cancel.load(std::memory_order_relaxed)) {
    size_t end = begin;
    qsizetype n = 0;
    while (end < text.size() && n < kLinesPerPiece) {
      const size_t lf = text.find('\n', end);
      end = lf == std::string_view::npos ? text.size() : lf + 1;
      ++n;
    }
    pieces.push_back(Q(text.substr(begin, end - begin)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    lines += n;
    begin = end;
  }
  return pieces;
}

}  // namespace

MainWindow::MainWindow(WindowWorld world, QWidget* parent)
    : QMainWindow(parent), world_(std::move(world)) {
  setObjectName(QStringLiteral("frmMain"));
  BuildControls();
  BuildMenus();
  SetTabOrder();
  setWindowTitle(QStringLiteral("Tarnwick - v") + QString::fromLatin1(kVersionText));

  // Start-up: the start-up file over the initial settings, then the program's folders.
  RunSettings settings;
  const StartupLoad startup = ReadStartupFile(world_.files.startup_file, world_.today(), world_.regional);
  ApplyStartupValues(startup.values, settings);
  settings_file_path_ = startup.values.settings_file_path;
  SettingsToControls(settings);
  // The Start Date box has the focus at start, its text selected, so that the first date
  // typed replaces it as after a Tab (the focus that showing the window gives keeps the
  // selection, like any return of the focus to the window).
  text_boxes_[kStartDateBox]->setFocus(Qt::OtherFocusReason);
  text_boxes_[kStartDateBox]->selectAll();
  QStringList problems;
  if (!startup.message.empty()) problems << Q(startup.message);
  for (const std::string& m : CreateProgramFolders(world_.files)) problems << Q(m);
  Tell(problems.join(QStringLiteral("  ")));
}

MainWindow::~MainWindow() { StopRun(); }

void MainWindow::BuildControls() {
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  inputs_ = new QWidget(central);
  inputs_->setObjectName(QStringLiteral("inputs"));
  auto* inputs = new QVBoxLayout(inputs_);
  inputs->setContentsMargins(0, 0, 0, 0);

  const auto typing_rules = TypingRules(world_.regional.decimal_separator);
  for (size_t i = 0; i < kTextFields.size(); ++i) {
    auto* box = new QLineEdit(inputs_);
    box->setObjectName(Q(kTextFields[i].name));
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(kShownCharacters[i], QLatin1Char('0'))) + 14);
    ApplyTypingRule(box, typing_rules[i]);
    text_boxes_[i] = box;
  }
  const auto labelled = [&](QHBoxLayout* row, size_t i) {
    auto* label = new QLabel(Q(kTextFields[i].label), inputs_);
    label->setObjectName(QString::fromLatin1(kLabelNames[i]));
    label->setBuddy(text_boxes_[i]);
    row->addWidget(label);
    row->addWidget(text_boxes_[i]);
  };

  // The span, the time zone and the orbs across the top.
  auto* top = new QHBoxLayout;
  for (size_t i = 0; i < kStartTimeBox; ++i) labelled(top, i);
  top->addStretch();
  inputs->addLayout(top);

  // The three body columns, each headed by its role and its g/h pair.
  auto* bodies = new QGridLayout;
  bodies->setVerticalSpacing(0);
  bodies->setHorizontalSpacing(TwipsToPixels(150));
  for (size_t r = 0; r < kRoleFields.size(); ++r) {
    const RoleField& role = kRoleFields[r];
    auto* head = new QHBoxLayout;
    auto* header = new QLabel(Q(role.header), inputs_);
    header->setObjectName(QStringLiteral("lbl%1Planets").arg(Q(role.header)));
    head->addWidget(header);
    head->addSpacing(TwipsToPixels(90));
    auto* pair = new QWidget(inputs_);
    pair->setObjectName(Q(role.centre_name));
    auto* pair_layout = new QHBoxLayout(pair);
    pair_layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(pair);
    for (int c = 0; c < 2; ++c) {
      auto* option = new QRadioButton(Q(CentreCaption(static_cast<Centre>(c))), pair);
      option->setObjectName(QStringLiteral("%1_%2").arg(Q(role.centre_name)).arg(c));
      group->addButton(option, c);
      pair_layout->addWidget(option);
      centre_options_[r][c] = option;
    }
    head->addWidget(pair);
    head->addStretch();
    bodies->addLayout(head, 0, static_cast<int>(r));
    for (const Body& body : BodyCatalogue) {
      QCheckBox* box = NewCheckBox(inputs_, QStringLiteral("%1_%2").arg(Q(role.selection_name)).arg(body.index),
                                   Q(body.caption));
      bodies->addWidget(box, body.index + 1, static_cast<int>(r));
      body_boxes_[r][body.index] = box;
    }
  }
  bodies->setRowStretch(BodyCount + 1, 1);

  // The switches and the commands on the right.
  for (size_t i = 0; i < kCheckFields.size(); ++i) {
    switches_[i] = NewCheckBox(inputs_, Q(kCheckFields[i].name), Q(kCheckFields[i].caption));
  }
  auto* right = new QVBoxLayout;
  right->setSpacing(TwipsToPixels(150));
  aspect_set_ = new AspectSetButton(inputs_);
  for (size_t i = 0; i < kEnableTimePeriod; ++i) {
    if (i != kInclude15DegAspects) {
      right->addWidget(switches_[i]);
      continue;
    }
    auto* grid_row = new QHBoxLayout;  // the set of aspects sits beside the grid it filters
    grid_row->setSpacing(TwipsToPixels(60));
    grid_row->addWidget(switches_[i]);
    grid_row->addWidget(aspect_set_);
    grid_row->addStretch();
    right->addLayout(grid_row);
  }
  QPushButton* same_date = NewCommand(inputs_, "cmdEndDateSameAsStartDate",
                                      tr("Make the end date the same as the start date"));
  right->addWidget(same_date);
  auto* times = new QHBoxLayout;
  labelled(times, kStartTimeBox);
  times->addSpacing(TwipsToPixels(180));
  labelled(times, kEndTimeBox);
  times->addStretch();
  right->addLayout(times);
  for (size_t i = kEnableTimePeriod; i < kCheckFields.size(); ++i) right->addWidget(switches_[i]);
  QPushButton* longitude = NewCommand(inputs_, "cmdAspectarian", tr("Calculate longitude aspectarian"));
  QPushButton* declination =
      NewCommand(inputs_, "cmdAspectarian_declination", tr("Calculate declination aspectarian"));
  right->addWidget(longitude);
  right->addWidget(declination);
  right->addStretch();

  auto* middle = new QHBoxLayout;
  middle->addLayout(bodies);
  middle->addSpacing(TwipsToPixels(150));
  middle->addLayout(right, 1);
  inputs->addLayout(middle);
  outer->addWidget(inputs_);

  summary_ = new RunSummaryLabel(central);
  outer->addWidget(summary_);
  results_ = new QPlainTextEdit(central);
  results_->setObjectName(QStringLiteral("txtResults"));
  results_->setReadOnly(true);
  results_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  results_->setLineWrapMode(QPlainTextEdit::NoWrap);
  results_->setFont(FixedWidthFont(8.25));
  results_->setMinimumHeight(TwipsToPixels(2400));
  results_->viewport()->installEventFilter(this);
  outer->addWidget(results_, 1);
  setCentralWidget(central);
  resize(TwipsToPixels(11160), TwipsToPixels(13350));

  // The status line, and the run's progress and Cancel while a run is on.
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblStatus"));
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // long notices don't widen the window
  statusBar()->addWidget(status_, 1);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("prgRun"));
  progress_->setRange(0, 1000);  // thousandths of the scans' windows
  progress_->setTextVisible(false);
  progress_->setMaximumWidth(TwipsToPixels(3000));
  cancel_button_ = new QPushButton(tr("Cancel"), this);
  cancel_button_->setObjectName(QStringLiteral("cmdCancel"));
  cancel_button_->setCursor(Qt::ArrowCursor);  // usable while the window shows the busy pointer
  statusBar()->addPermanentWidget(progress_);
  statusBar()->addPermanentWidget(cancel_button_);
  progress_->hide();
  cancel_button_->hide();
  run_poll_ = new QTimer(this);
  run_poll_->setInterval(50);  // ms: the bar moves smoothly and the end of a run shows at once
  connect(run_poll_, &QTimer::timeout, this, &MainWindow::PollRun);
  show_timer_ = new QTimer(this);
  show_timer_->setInterval(0);  // the next slice as soon as the window has answered its events
  connect(show_timer_, &QTimer::timeout, this, &MainWindow::ShowMoreResults);

  connect(switches_[kUseMidpoints], &QCheckBox::toggled, this, &MainWindow::ApplyEnablingRule);
  connect(switches_[kInclude15DegAspects], &QCheckBox::toggled, aspect_set_, &AspectSetButton::SetFifteenDegreeGrid);
  connect(same_date, &QPushButton::clicked, this,
          [this] { RunDateCommand(DateCommand::EndDateSameAsStartDate); });
  connect(longitude, &QPushButton::clicked, this, [this] { StartRun(ScanKind::Longitude); });
  connect(declination, &QPushButton::clicked, this, [this] { StartRun(ScanKind::Declination); });
  connect(cancel_button_, &QPushButton::clicked, this, &MainWindow::CancelRun);
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->setObjectName(QStringLiteral("mnuFile"));
  load_action_ = file->addAction(tr("&Load"), this, &MainWindow::LoadSettings);
  load_action_->setObjectName(QStringLiteral("mnuFileLoad"));
  load_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  QAction* save = file->addAction(tr("&Save"), this, &MainWindow::SaveSettings);
  save->setObjectName(QStringLiteral("mnuFileSave"));
  save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  file->addSeparator();
  export_csv_action_ = file->addAction(tr("Export &CSV..."), this, &MainWindow::ExportCsv);
  export_csv_action_->setObjectName(QStringLiteral("mnuFileExportCsv"));
  export_csv_action_->setStatusTip(tr("Save the found rows of the last run as a CSV file"));
  export_csv_action_->setEnabled(false);  // nothing to export before a run has finished

  dates_menu_ = menuBar()->addMenu(tr("&Adjust Dates"));
  dates_menu_->setObjectName(QStringLiteral("mnuAdjustDates"));
  const auto add_items = [this](const auto& items) {
    for (const DateMenuItem& item : items) {
      QAction* action = dates_menu_->addAction(tr(item.caption));
      action->setObjectName(QString::fromLatin1(item.name));
      action->setShortcut(QKeySequence(item.key));
      connect(action, &QAction::triggered, this, [this, c = item.command] { RunDateCommand(c); });
    }
  };
  add_items(kDayItems);
  dates_menu_->addSeparator()->setObjectName(QStringLiteral("mnuSplit1"));
  add_items(kMonthItems);

  // "&Help" has no items: the title on the menu bar is the command itself.
  auto* help = new QAction(tr("&Help"), this);
  help->setObjectName(QStringLiteral("mnuHelp"));
  connect(help, &QAction::triggered, this, &MainWindow::OpenHelp);
  menuBar()->addAction(help);
}

void MainWindow::SetTabOrder() {
  // The text boxes first, then the option pairs, then the body columns from the top.
  std::vector<QWidget*> chain(text_boxes_.begin(), text_boxes_.end());
  for (const auto& pair : centre_options_) chain.insert(chain.end(), pair.begin(), pair.end());
  for (const auto& column : body_boxes_) chain.insert(chain.end(), column.begin(), column.end());
  chain.insert(chain.end(), switches_.begin(), switches_.end());
  for (size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

RunSettings MainWindow::ControlsToSettings() const {
  RunSettings s;
  for (size_t i = 0; i < kTextFields.size(); ++i) s.*kTextFields[i].member = text_boxes_[i]->text().toStdString();
  for (size_t i = 0; i < kCheckFields.size(); ++i) s.*kCheckFields[i].member = switches_[i]->isChecked();
  s.txtAspectSet = aspect_set_->SettingsText();
  for (size_t r = 0; r < kRoleFields.size(); ++r) {
    for (int b = 0; b < BodyCount; ++b) (s.*kRoleFields[r].selection)[b] = body_boxes_[r][b]->isChecked();
    s.*kRoleFields[r].centre = centre_options_[r][1]->isChecked() ? Centre::Helio : Centre::Geo;
  }
  return s;
}

void MainWindow::SettingsToControls(const RunSettings& s) {
  for (size_t i = 0; i < kTextFields.size(); ++i) {
    const QString text = Q(s.*kTextFields[i].member);
    if (text_boxes_[i]->text() != text) text_boxes_[i]->setText(text);
  }
  for (size_t i = 0; i < kCheckFields.size(); ++i) switches_[i]->setChecked(s.*kCheckFields[i].member);
  aspect_set_->SetSettingsText(s.txtAspectSet);
  aspect_set_->SetFifteenDegreeGrid(s.chkInclude15DegAspects);
  for (size_t r = 0; r < kRoleFields.size(); ++r) {
    for (int b = 0; b < BodyCount; ++b) body_boxes_[r][b]->setChecked((s.*kRoleFields[r].selection)[b]);
    centre_options_[r][static_cast<int>(s.*kRoleFields[r].centre)]->setChecked(true);
  }
  ApplyEnablingRule();
}

void MainWindow::ApplyEnablingRule() {
  // The near/far choice only matters for mid-degrees; its mark is kept either way.
  switches_[kUseNearAndFar]->setEnabled(!switches_[kUseMidpoints]->isChecked());
}

HelpWindow* MainWindow::helpWindow() const { return help_.data(); }

void MainWindow::Tell(const QString& text) {
  status_->setText(text);
  status_->setToolTip(text);
}

void MainWindow::Warn(const QString& title, const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void MainWindow::ShowPlaced() {
  show();
  const QRect available = screen()->availableGeometry();
  const int frame_extra = frameGeometry().height() - height();
  if (frameGeometry().height() > available.height()) {
    resize(width(), std::max(minimumSizeHint().height(), available.height() - frame_extra));
  }
  move(BottomPlacement(available, frameGeometry().size(), TwipsToPixels(855)));
}

// ---- Settings files ------------------------------------------------------------------------

std::optional<QString> MainWindow::ChooseSettingsFile(FileRequest::Mode mode) {
  FileRequest request;
  request.mode = mode;
  request.title = mode == FileRequest::Mode::Save ? tr("Save settings file") : tr("Load settings file");
  request.filter = tr("Settings Files (*.opt)");
  request.default_suffix = Q(kSettingsFileExtension);
  // The folder of the last chosen file; at first the folder of the user's files (the
  // program's folder, or the XDG data folder of an installed copy).
  request.start_folder = TextOf(dialog_folder_.empty() ? world_.files.help_file.parent_path() : dialog_folder_);
  request.preset_name = Q(settings_file_path_);
  // The next dialog opens in the chosen folder; the file itself is remembered (and offered
  // after a restart) only once it was loaded or saved.
  const std::optional<QString> chosen = world_.chooser->Choose(this, request);
  if (chosen) dialog_folder_ = PathOf(*chosen).parent_path();
  return chosen;
}

void MainWindow::LoadSettings() {
  const std::optional<QString> chosen = ChooseSettingsFile(FileRequest::Mode::Load);
  if (!chosen) return;
  const SettingsLoad load = LoadSettingsFile(PathOf(*chosen), ControlsToSettings());
  if (load.status == SettingsLoadStatus::NotRead) {
    Warn(tr("Load settings file"), Q(load.message));
    Tell(Q(load.message));
    return;
  }
  if (IsPlainlyNoSettingsFile(load, world_.regional)) {
    QMessageBox ask(QMessageBox::Question, tr("Load settings file"),
                    tr("\"%1\" has %2 %3 where a settings file has %4, and its first two lines "
                       "(Start Date and End Date) are not dates: it does not look like a settings "
                       "file.\n\nLoad it all the same?")
                        .arg(*chosen)
                        .arg(load.lines_read)
                        .arg(load.lines_read == 1 ? tr("line") : tr("lines"))
                        .arg(kSettingsFileLines),
                    QMessageBox::Yes | QMessageBox::No, this);
    ask.setDefaultButton(QMessageBox::No);
    if (ask.exec() != QMessageBox::Yes) {
      Tell(tr("\"%1\" was not loaded.").arg(*chosen));
      return;
    }
  }
  settings_file_path_ = chosen->toStdString();
  SettingsToControls(load.settings);
  Tell(load.message.empty() ? tr("Loaded %1").arg(*chosen) : Q(load.message));
}

void MainWindow::SaveSettings() {
  const std::optional<QString> chosen = ChooseSettingsFile(FileRequest::Mode::Save);
  if (!chosen) return;
  const FileStatus saved = SaveSettingsFile(PathOf(*chosen), ControlsToSettings());
  if (!saved) {
    Warn(tr("Save settings file"), Q(saved.message));
    Tell(Q(saved.message));
    return;
  }
  settings_file_path_ = chosen->toStdString();
  Tell(tr("Saved %1").arg(*chosen));
}

// ---- Date commands ---------------------------------------------------------------------------

void MainWindow::RunDateCommand(DateCommand command) {
  const DateBoxes boxes{text_boxes_[kStartDateBox]->text().toStdString(),
                        text_boxes_[kEndDateBox]->text().toStdString()};
  const DateCommandResult result = ApplyDateCommand(command, boxes, world_.regional);
  if (!result.ok()) {
    Tell(Q(result.message));
    return;
  }
  text_boxes_[kStartDateBox]->setText(Q(result.boxes.start));
  text_boxes_[kEndDateBox]->setText(Q(result.boxes.end));
  Tell(QString());
}

void MainWindow::ExportCsv() {
  if (!last_run_ || running()) return;
  FileRequest request;
  request.mode = FileRequest::Mode::Save;
  request.title = tr("Export CSV");
  request.filter = tr("CSV Files (*.csv)");
  request.default_suffix = QStringLiteral("csv");
  request.start_folder = TextOf(world_.files.data_folder);
  request.preset_name = TextOf(world_.files.data_folder /
                               std::filesystem::path(last_run_->report_name).replace_extension(".csv"));
  const std::optional<QString> chosen = world_.chooser->Choose(this, request);
  if (!chosen) return;
  const FileStatus saved = SaveRunCsv(PathOf(*chosen), last_run_->rows, last_run_->kind,
                                      last_run_->settings, world_.regional);
  if (!saved) {
    Warn(tr("Export CSV"), Q(saved.message));
    Tell(Q(saved.message));
    return;
  }
  Tell(tr("Saved %1").arg(*chosen));
}

// ---- Runs ----------------------------------------------------------------------------------

void MainWindow::StartRun(ScanKind kind) {
  if (running()) return;
  auto request = std::make_shared<RunRequest>();
  request->kind = kind;
  request->settings = ControlsToSettings();
  request->regional = world_.regional;
  request->data_folder = world_.files.data_folder;
  request->save = false;  // saved by the thread once the pane shows the report
  request->options.threads = std::max(1, world_.threads);
  cancel_ = false;
  request->cancel = &cancel_;
  auto state = std::make_shared<RunState>();
  state->kind = kind;
  state->settings = request->settings;
  request->progress = [state](std::int64_t done, std::int64_t total) {
    state->permille.store(total > 0 ? static_cast<int>(std::min(done, total) * 1000 / total) : 0,
                          std::memory_order_relaxed);
  };

  SetRunning(true);
  run_state_ = state;
  phase_ = RunPhase::Computing;
  worker_ = std::thread([state, request, factory = world_.provider_factory] {
    bool done = false;
    try {
      state->outcome = RunAspectarian(*request, factory);
      done = state->outcome.status == RunOutcome::Status::Done;
      if (done) state->pane_pieces = PanePieces(state->outcome.pane_text, *request->cancel, state->pane_lines);
    } catch (const std::exception& e) {
      state->failure = QString::fromLocal8Bit(e.what());
      done = false;
    }
    state->computed.store(true, std::memory_order_release);
    if (done) {
      // The window shows the report, then says save; or the user cancels while it shows.
      state->decision.wait(kPending, std::memory_order_acquire);
      if (state->decision.load(std::memory_order_acquire) == kSave) {
        try {
          SaveRunReport(request->data_folder, state->outcome);
        } catch (const std::exception& e) {
          state->outcome.save_error = e.what();
        }
      }
    }
    state->finished.store(true, std::memory_order_release);
  });
  run_poll_->start();
}

void MainWindow::PollRun() {
  if (!run_state_) return;
  progress_->setValue(run_state_->permille.load(std::memory_order_relaxed));
  if (phase_ == RunPhase::Computing && run_state_->computed.load(std::memory_order_acquire)) {
    const bool done = run_state_->failure.isEmpty() && run_state_->outcome.status == RunOutcome::Status::Done;
    if (done && cancel_) {
      Decide(kDrop);  // cancelled while the report was being built
    } else if (done) {
      BeginShowing();
    }
  }
  if (run_state_->finished.load(std::memory_order_acquire)) FinishRun();
}

void MainWindow::Decide(int decision) {
  if (!run_state_) return;
  run_state_->decision.store(decision, std::memory_order_release);
  run_state_->decision.notify_one();
}

void MainWindow::BeginShowing() {
  phase_ = RunPhase::Showing;
  // The report shown before stays aside until the new one is in the pane whole: a Cancel
  // meanwhile puts it back as it was. The window, not the pane, owns it meanwhile (the pane
  // deletes a document of its own when it is given another).
  shown_before_ = results_->document();
  shown_before_->setParent(this);
  auto* doc = new QTextDocument(results_);
  doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
  doc->setDefaultFont(results_->font());
  doc->setUndoRedoEnabled(false);
  results_->setDocument(doc);
  next_piece_ = 0;
  progress_->setValue(1000);
  show_timer_->start();
  ShowMoreResults();
}

void MainWindow::ShowMoreResults() {
  if (phase_ != RunPhase::Showing) return;
  std::vector<QString>& pieces = run_state_->pane_pieces;
  QTextCursor end(results_->document());
  end.movePosition(QTextCursor::End);
  QElapsedTimer slice;
  slice.start();
  const size_t slice_end = std::min(pieces.size(), next_piece_ + kPiecesPerSlice);
  while (next_piece_ < slice_end && slice.elapsed() < kShowSliceMs) {
    end.insertText(pieces[next_piece_]);
    pieces[next_piece_++] = QString();  // shown: its memory goes back
  }
  if (next_piece_ < pieces.size()) {
    const qsizetype shown = std::min<qsizetype>(static_cast<qsizetype>(next_piece_) * kLinesPerPiece,
                                                run_state_->pane_lines);
    Tell(tr("Showing the report: %1 of %2 lines...").arg(shown).arg(run_state_->pane_lines));
    return;
  }
  // Shown whole: the old report goes, and the thread saves the new one.
  show_timer_->stop();
  results_->moveCursor(QTextCursor::Start);
  delete shown_before_;
  shown_before_ = nullptr;
  phase_ = RunPhase::Saving;
  cancel_button_->setEnabled(false);
  Tell(tr("Saving the report..."));
  Decide(kSave);
}

void MainWindow::AbandonShowing() {
  if (phase_ != RunPhase::Showing) return;
  show_timer_->stop();
  QTextDocument* partial = results_->document();
  results_->setDocument(shown_before_);
  delete partial;
  shown_before_->setParent(results_);
  shown_before_ = nullptr;
  phase_ = RunPhase::Computing;  // what is left is the thread's end
  Decide(kDrop);
}

void MainWindow::CancelRun() {
  if (!running() || phase_ == RunPhase::Saving) return;
  cancel_ = true;
  cancel_button_->setEnabled(false);
  AbandonShowing();
  Tell(tr("Cancelling the run..."));
}

void MainWindow::StopRun() {
  if (!worker_.joinable()) return;
  cancel_ = true;
  AbandonShowing();
  if (phase_ != RunPhase::Saving) Decide(kDrop);
  worker_.join();
  run_poll_->stop();
  run_state_.reset();
  phase_ = RunPhase::Idle;
}

void MainWindow::SetRunning(bool on) {
  inputs_->setEnabled(!on);
  load_action_->setEnabled(!on);
  export_csv_action_->setEnabled(!on && last_run_.has_value());
  for (QAction* action : dates_menu_->actions()) action->setEnabled(!on);
  progress_->setValue(0);
  progress_->setVisible(on);
  cancel_button_->setEnabled(on);
  cancel_button_->setVisible(on);
  if (on) {
    setCursor(Qt::BusyCursor);
    Tell(tr("Calculating..."));
  } else {
    unsetCursor();
  }
}

void MainWindow::FinishRun() {
  run_poll_->stop();
  if (worker_.joinable()) worker_.join();
  const std::shared_ptr<RunState> state = std::move(run_state_);
  const bool shown = phase_ == RunPhase::Saving;
  phase_ = RunPhase::Idle;
  const RunOutcome* outcome = &state->outcome;
  const QString& failure = state->failure;
  SetRunning(false);
  if (!failure.isEmpty()) {
    Tell(tr("The run stopped: %1").arg(failure));
    Warn(tr("Run"), tr("The run stopped: %1").arg(failure));
    return;
  }
  if (outcome->status == RunOutcome::Status::Refused) {
    QStringList problems;
    for (const std::string& p : outcome->problems) problems << Q(p);
    Tell(tr("The run did not start."));
    Warn(tr("The run cannot start"), tr("The run cannot start:\n\n%1").arg(problems.join(QLatin1Char('\n'))));
    return;
  }
  if (outcome->status == RunOutcome::Status::Cancelled || !shown) {
    Tell(tr("Run cancelled. The results pane and the report files are as they were."));
    return;
  }

  last_run_ = FinishedRun{state->kind, state->settings, outcome->rows, outcome->file_name};
  summary_->Show(RunSummary(state->kind, state->settings, world_.regional, *outcome));
  export_csv_action_->setEnabled(true);

  // The centre choices as the run leaves them.
  const std::array<Centre, 3> centres = {outcome->opt1_ghd, outcome->opt2_ghd, outcome->opt3_ghd};
  for (size_t r = 0; r < centres.size(); ++r) centre_options_[r][static_cast<int>(centres[r])]->setChecked(true);

  QStringList words;
  if (!outcome->save_error.empty()) {
    words << Q(outcome->save_error);
  } else if (!outcome->file_path.empty()) {
    words << tr("Saved %1.").arg(TextOf(outcome->file_path));
  }
  if (outcome->rows.empty() && outcome->found_count > 0) {
    words << tr("None of the %1 exact aspects in the span is in the aspect set.").arg(outcome->found_count);
  } else if (outcome->rows.empty()) {
    words << tr("No exact aspect lies in the span for these settings.");
  }
  for (const std::string& notice : outcome->notices) words << Q(notice);
  Tell(words.join(QStringLiteral("  ")));
  if (!outcome->save_error.empty()) Warn(tr("Report file not saved"), Q(outcome->save_error));
  results_->setFocus(Qt::OtherFocusReason);
}

// ---- Help and shut-down --------------------------------------------------------------------

void MainWindow::OpenHelp() {
  if (help_) {
    // The old window may hold edits; if the user keeps it, it stays as it is.
    if (!help_->close()) {
      help_->raise();
      help_->activateWindow();
      return;
    }
    delete help_.data();
  }
  help_ = new HelpWindow(world_.files, world_.chooser, this);
  help_->show();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == results_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    results_->selectAll();  // the whole report, ready to copy
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (help_) {
    if (!help_->close()) {
      event->ignore();
      return;
    }
    delete help_.data();
  }
  if (running()) {
    StopRun();
    SetRunning(false);
  }
  const FileStatus saved = WriteStartupFile(world_.files.startup_file,
                                            StartupValuesOf(ControlsToSettings(), settings_file_path_));
  shutdown_problem_ = saved ? QString() : Q(saved.message);
  shutdown_notice_ = saved ? Q(saved.message) : QString();
  event->accept();
}

}  // namespace tarnwick
