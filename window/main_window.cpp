#include "window/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QHeaderView>
#include <QListWidget>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCompleter>
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
#include <functional>
#include <numeric>
#include <ctime>

#include "report/csv_export.h"
#include "report/event_csv.h"
#include "report/report_lines.h"
#include "report/run_summary.h"
#include "store/settings_file.h"
#include "store/startup_file.h"
#include "window/aspect_set_button.h"
#include "window/chart_window.h"
#include "window/events_box.h"
#include "window/graph_view.h"
#include "window/help_window.h"
#include "window/results_model.h"
#include "window/run_exports.h"
#include "window/run_summary_label.h"
#include "window/text_box_rules.h"
#include "window/window_look.h"
#include "window/qt_strings.h"

namespace tarnwick {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

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

// The access key of each switch, in kCheckFields order: the word of its caption that takes
// the "&". Letters are unique within the window and apart from the menus' (F, A, V, U, H).
constexpr std::array<std::string_view, kCheckFields.size()> kSwitchKeys = {
    "3-planet", "combination", "midpoints", "near", "15-degree", "right", "latitude", "time period", "p2/p3"};

// A caption with "&" before the first occurrence of `key` (none when it does not occur).
QString WithAccessKey(std::string_view caption, std::string_view key) {
  QString text = Q(caption);
  const qsizetype at = text.indexOf(Q(key));
  if (at >= 0) text.insert(at, QLatin1Char('&'));
  return text;
}

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
  button->setMinimumHeight(button->fontMetrics().height() * 2);
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
  chart_ = new ChartKeeper(this, world_.chooser, world_.provider_factory, world_.files.data_folder);
  BuildControls();
  BuildMenus();
  connect(chart_, &ChartKeeper::chartChanged, this, &MainWindow::ShowChart);
  connect(chart_, &ChartKeeper::message, this, [this](const QString& text) { Tell(text); });
  ShowChart();
  AttachZoneCompletion(findChild<QLineEdit*>(QStringLiteral("txtTZ")), world_.regional.decimal_separator);
  SetTabOrder();
  setWindowTitle(QStringLiteral("Tarnwick - v") + QString::fromLatin1(kVersionText));

  // Start-up: the last run settings (bodies, centres, switches, orbs) over the initial
  // ones, the start-up file over those (span, times, zone), then the program's folders.
  RunSettings settings;
  window_state_ = ReadWindowState(ConfigFolder() / kWindowStateFileName);
  const QString chart_problem = chart_->Restore(window_state_);  // the last session's chart
  const SettingsLoad last = LoadSettingsFile(ConfigFolder() / kLastSettingsFileName, settings);
  if (last.status != SettingsLoadStatus::NotRead) settings = last.settings;
  // The one switch a settings file does not store.
  if (const auto it = window_state_.find("chkDisplayP1_P2P3_mp_aspects"); it != window_state_.end()) {
    settings.chkDisplayP1_P2P3_mp_aspects = it->second == "1";
  }
  const StartupLoad startup = ReadStartupFile(world_.files.startup_file, world_.today(), world_.regional);
  ApplyStartupValues(startup.values, settings);
  settings_file_path_ = startup.values.settings_file_path;
  SettingsToControls(settings);
  // The layout settles the window's minimum size now, before there is a window on the
  // screen to tell of each change.
  layout()->activate();
  RestoreWindowState();
  // The Start Date box has the focus at start, its text selected, so that the first date
  // typed replaces it as after a Tab (the focus that showing the window gives keeps the
  // selection, like any return of the focus to the window).
  text_boxes_[kStartDateBox]->setFocus(Qt::OtherFocusReason);
  text_boxes_[kStartDateBox]->selectAll();
  QStringList problems;
  if (!startup.message.empty()) problems << Q(startup.message);
  for (const std::string& m : CreateProgramFolders(world_.files)) problems << Q(m);
  if (!chart_problem.isEmpty()) problems << chart_problem;
  Tell(problems.join(QStringLiteral("  ")));
}

MainWindow::~MainWindow() { StopRun(); }

void MainWindow::BuildControls() {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("splitMain"));
  splitter_->setChildrenCollapsible(false);

  // ---- The inputs: a column that scrolls on a short screen, the run commands below it.
  inputs_ = new QWidget(splitter_);
  inputs_->setObjectName(QStringLiteral("inputs"));
  auto* inputs = new QVBoxLayout(inputs_);
  inputs->setContentsMargins(0, 0, 0, 0);
  inputs_scroll_ = new QScrollArea(inputs_);
  inputs_scroll_->setObjectName(QStringLiteral("scrollInputs"));
  inputs_scroll_->setWidgetResizable(true);
  inputs_scroll_->setFrameShape(QFrame::NoFrame);
  auto* form = new QWidget(inputs_scroll_);
  auto* column = new QVBoxLayout(form);

  const auto typing_rules = TypingRules(world_.regional.decimal_separator);
  for (size_t i = 0; i < kTextFields.size(); ++i) {
    auto* box = new QLineEdit(form);
    box->setObjectName(Q(kTextFields[i].name));
    // Wide enough for its usual text, in the font's own units so that it scales.
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(kShownCharacters[i], QLatin1Char('0'))) +
                         box->fontMetrics().averageCharWidth() * 2);
    box->setMaximumWidth(box->minimumWidth() * 3 / 2);  // room to read a longer text, no more
    ApplyTypingRule(box, typing_rules[i]);
    connect(box, &QLineEdit::returnPressed, this, [this, box] {
      // Return in an open completion list (the zone names) picks an entry; it runs nothing.
      const auto* list = box->findChild<QCompleter*>();
      if (list != nullptr && list->popup()->isVisible()) return;
      StartRun(last_kind_);
    });
    text_boxes_[i] = box;
  }
  // The boxes in rows as one reads them: the span; the zone and the orbs; the daily times.
  auto* boxes = new QGridLayout;
  const auto labelled = [&](size_t i, int row, int col) {
    auto* label = new QLabel(Q(kTextFields[i].label).trimmed(), form);
    label->setObjectName(QString::fromLatin1(kLabelNames[i]));
    label->setBuddy(text_boxes_[i]);
    boxes->addWidget(label, row, col);
    boxes->addWidget(text_boxes_[i], row, col + 1);
  };
  labelled(kStartDateBox, 0, 0);
  labelled(kEndDateBox, 0, 2);
  labelled(2, 1, 0);
  labelled(3, 1, 2);
  labelled(4, 1, 4);
  labelled(kStartTimeBox, 2, 0);
  labelled(kEndTimeBox, 2, 2);
  boxes->setColumnStretch(6, 1);
  column->addLayout(boxes);
  QPushButton* same_date = NewCommand(form, "cmdEndDateSameAsStartDate",
                                      tr("Make the end date the same as the &start date"));
  same_date->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
  column->addWidget(same_date);

  aspect_set_ = new AspectSetButton(form);
  for (size_t i = 0; i < kCheckFields.size(); ++i) {
    switches_[i] = NewCheckBox(form, Q(kCheckFields[i].name), WithAccessKey(kCheckFields[i].caption, kSwitchKeys[i]));
    if (i != kInclude15DegAspects) {
      column->addWidget(switches_[i]);
      continue;
    }
    // The set of aspects right under the grid it filters, indented to the caption, so the
    // column stays as narrow as its longest switch.
    column->addWidget(switches_[i]);
    auto* set_row = new QHBoxLayout;
    set_row->addSpacing(switches_[i]->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, switches_[i]) +
                        switches_[i]->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, switches_[i]));
    set_row->addWidget(aspect_set_);
    set_row->addStretch();
    column->addLayout(set_row);
  }

  // The bodies: a row per body, a column per role, each column headed by its role, its
  // g/h pair and its all / none / Sun-Pluto commands.
  auto* grid_box = new QWidget(form);
  grid_box->setObjectName(QStringLiteral("bodyGrid"));
  auto* grid = new QGridLayout(grid_box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(0);
  constexpr int kFirstBodyRow = 5;
  static const char* const kPickNames[] = {"None", "All", "Planets"};
  const QString pick_captions[] = {tr("None"), tr("All"), tr("Sun-Pluto")};
  for (int b = 0; b < BodyCount; ++b) {
    auto* name = new QLabel(Q(BodyName(b)), grid_box);
    name->setObjectName(QStringLiteral("lblBody_%1").arg(b));
    grid->addWidget(name, kFirstBodyRow + b, 0);
  }
  // The chart angles follow the catalogue, as their indices do.
  for (int a = BodyCount; a < NatalPointCount; ++a) {
    auto* name = new QLabel(Q(kAngleLongNames[AngleSlot(a)]), grid_box);
    name->setObjectName(QStringLiteral("lblBody_%1").arg(a));
    grid->addWidget(name, kFirstBodyRow + a, 0);
  }
  for (size_t r = 0; r < kRoleFields.size(); ++r) {
    const RoleField& role = kRoleFields[r];
    const int col = static_cast<int>(r) + 1;
    auto* header = new QLabel(Q(role.header), grid_box);
    header->setObjectName(QStringLiteral("lbl%1Planets").arg(Q(role.header)));
    header->setFont(Bold(header->font()));
    header->setAlignment(Qt::AlignCenter);
    grid->addWidget(header, 0, col);
    auto* pair = new QWidget(grid_box);
    pair->setObjectName(Q(role.centre_name));
    auto* pair_layout = new QHBoxLayout(pair);
    pair_layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QButtonGroup(pair);
    for (int c = 0; c < (r == 0 ? 2 : 3); ++c) {
      auto* option = new QRadioButton(Q(CentreCaption(static_cast<Centre>(c))), pair);
      option->setObjectName(QStringLiteral("%1_%2").arg(Q(role.centre_name)).arg(c));
      option->setToolTip(c == 0   ? tr("%1 geocentric").arg(Q(role.header))
                         : c == 1 ? tr("%1 heliocentric").arg(Q(role.header))
                                  : tr("%1 natal: the chart's fixed points (Chart menu)").arg(Q(role.header)));
      option->setEnabled(c < 2);
      group->addButton(option, c);
      pair_layout->addWidget(option);
      centre_options_[r][static_cast<std::size_t>(c)] = option;  // c is 0 or 1
    }
    grid->addWidget(pair, 1, col, Qt::AlignCenter);
    for (int how = 0; how < 3; ++how) {
      auto* pick = new QPushButton(pick_captions[how], grid_box);
      pick->setObjectName(QStringLiteral("cmd%1%2").arg(Q(role.header), QLatin1String(kPickNames[how])));
      pick->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
      connect(pick, &QPushButton::clicked, this, [this, r, how] { SelectBodies(r, how); });
      grid->addWidget(pick, 2 + how, col);
    }
    for (const Body& body : BodyCatalogue) {
      // The caption is the row's label; the box carries it for screen readers and as a tip.
      QCheckBox* box = NewCheckBox(grid_box, QStringLiteral("%1_%2").arg(Q(role.selection_name)).arg(body.index), {});
      const QString spoken = QStringLiteral("%1 %2").arg(Q(role.header), Q(BodyName(body.index)));
      box->setAccessibleName(spoken);
      box->setToolTip(spoken);
      grid->addWidget(box, kFirstBodyRow + body.index, col, Qt::AlignCenter);
      body_boxes_[r][body.index] = box;
    }
    if (!role.angles) continue;
    for (int a = BodyCount; a < NatalPointCount; ++a) {
      const QString name = QStringLiteral("chk%1Angles_%2").arg(Q(role.header)).arg(a);
      QCheckBox* box = NewCheckBox(grid_box, name, {});
      const QString spoken = QStringLiteral("%1 %2").arg(Q(role.header), Q(kAngleLongNames[AngleSlot(a)]));
      box->setAccessibleName(spoken);
      box->setToolTip(tr("%1 natal (n), from a chart with a birth place").arg(spoken));
      grid->addWidget(box, kFirstBodyRow + a, col, Qt::AlignCenter);
      angle_boxes_[r][AngleSlot(a)] = box;
    }
    for (QRadioButton* option : centre_options_[r]) {
      connect(option, &QRadioButton::toggled, this, &MainWindow::EnableAngleBoxes);
    }
  }
  EnableAngleBoxes();
  grid->setColumnStretch(4, 1);
  // The natal chart whose points the centre n of P2 and P3 takes.
  chart_label_ = new QLabel(grid_box);
  chart_label_->setObjectName(QStringLiteral("lblChartName"));
  grid->addWidget(chart_label_, kFirstBodyRow + NatalPointCount, 2, 1, 3);
  column->addWidget(grid_box);
  // Sky events are searched for the P1 bodies on P1's centre, so they follow the grid.
  events_ = new EventsBox(form);
  column->addWidget(events_);
  connect(centre_options_[0][1], &QRadioButton::toggled, events_,
          [this](bool helio) { events_->OfferFor(helio ? Centre::Helio : Centre::Geo); });
  column->addStretch();
  inputs_scroll_->setWidget(form);
  // As wide as the column's content and its scroll bar: the column scrolls only up and down.
  inputs_scroll_->setMinimumWidth(form->sizeHint().width() +
                                  inputs_scroll_->verticalScrollBar()->sizeHint().width());
  inputs_scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  inputs->addWidget(inputs_scroll_, 1);

  QPushButton* longitude = NewCommand(inputs_, "cmdAspectarian", tr("Calculate l&ongitude aspectarian"));
  QPushButton* declination =
      NewCommand(inputs_, "cmdAspectarian_declination", tr("Calculate &declination aspectarian"));
  longitude->setToolTip(tr("Ctrl+Return"));
  declination->setToolTip(tr("Ctrl+Shift+Return"));
  auto* commands = new QVBoxLayout;
  commands->setContentsMargins(column->contentsMargins());
  commands->addWidget(longitude);
  commands->addWidget(declination);
  inputs->addLayout(commands);

  // ---- The results: the table, the report text and the notices, one switch apart.
  // The run summary above the results, whichever view is shown.
  auto* results_side = new QWidget(splitter_);
  auto* results_column = new QVBoxLayout(results_side);
  results_column->setContentsMargins(0, 0, 0, 0);
  summary_ = new RunSummaryLabel(results_side);
  results_column->addWidget(summary_);
  results_tabs_ = new QTabWidget(results_side);
  results_column->addWidget(results_tabs_, 1);
  results_tabs_->setObjectName(QStringLiteral("tabResults"));
  auto* table_page = new QWidget(results_tabs_);
  auto* table_layout = new QVBoxLayout(table_page);
  table_layout->setContentsMargins(0, 0, 0, 0);
  auto* filter_row = new QHBoxLayout;
  auto* filter_label = new QLabel(tr("Filter:"), table_page);
  filter_box_ = new QLineEdit(table_page);
  filter_box_->setObjectName(QStringLiteral("txtFilter"));
  filter_box_->setPlaceholderText(tr("body, aspect or date (Ctrl+F)"));
  filter_box_->setClearButtonEnabled(true);
  filter_label->setBuddy(filter_box_);
  row_count_ = new QLabel(table_page);
  row_count_->setObjectName(QStringLiteral("lblRowCount"));
  filter_row->addWidget(filter_label);
  filter_row->addWidget(filter_box_, 1);
  filter_row->addWidget(row_count_);
  table_layout->addLayout(filter_row);
  model_ = new ResultsModel(this);
  table_ = new QTableView(table_page);
  table_->setObjectName(QStringLiteral("tblResults"));
  table_->setModel(model_);
  table_->setSortingEnabled(true);
  table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);  // the run's order: by moment
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->setAlternatingRowColors(true);
  // Rows of one height, so a million of them need no measuring; the row numbers would only
  // repeat the position of the scroll bar.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionsMovable(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  {
    const QFontMetrics m = table_->fontMetrics();
    const int roles = m.horizontalAdvance(QStringLiteral("h. Chariklo")) + m.averageCharWidth() * 2;
    const int wide[ResultsModel::kColumnCount] = {
        roles, roles, roles, m.horizontalAdvance(QStringLiteral("00/00/0000")) + m.averageCharWidth() * 2,
        m.horizontalAdvance(QStringLiteral("00:00")) + m.averageCharWidth() * 2,
        m.horizontalAdvance(QStringLiteral("00 Sag 00 R")) + m.averageCharWidth() * 2,
        m.horizontalAdvance(QStringLiteral("00 Sag 00 R")) + m.averageCharWidth() * 2,
        m.horizontalAdvance(QStringLiteral("00 Sag 00 R")) + m.averageCharWidth() * 2,
        m.horizontalAdvance(QStringLiteral("000 000 000"))};
    for (int c = 0; c < ResultsModel::kColumnCount; ++c) table_->setColumnWidth(c, wide[c]);
  }
  table_->installEventFilter(this);
  table_layout->addWidget(table_, 1);
  results_tabs_->addTab(table_page, tr("&Table"));

  results_ = new QPlainTextEdit(results_tabs_);
  results_->setObjectName(QStringLiteral("txtResults"));
  results_->setReadOnly(true);
  results_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  results_->setLineWrapMode(QPlainTextEdit::NoWrap);
  results_->setFont(FixedWidthFont(8.25));
  results_->viewport()->installEventFilter(this);
  results_tabs_->addTab(results_, tr("&Report text"));

  notices_list_ = new QListWidget(results_tabs_);
  notices_list_->setObjectName(QStringLiteral("lstNotices"));
  notices_list_->setWordWrap(true);
  results_tabs_->addTab(notices_list_, tr("&Notices"));

  graph_ = new GraphView(world_.provider_factory, results_tabs_);
  results_tabs_->addTab(graph_, tr("&Graph"));
  connect(graph_, &GraphView::rowClicked, this, &MainWindow::SelectRunRow);
  // Rows selected in the table are highlighted on the graph.
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    // While a run streams its rows into the table, the graph still shows the run before it.
    if (running()) return;
    std::vector<std::size_t> rows;
    const FoundAspects& all = model_->runRows();
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
      if (model_->IsEventRow(index.row())) continue;
      rows.push_back(static_cast<std::size_t>(&model_->At(index.row()) - all.data()));
    }
    graph_->SetHighlighted(rows);
  });

  splitter_->addWidget(inputs_);
  splitter_->addWidget(results_side);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);

  filter_timer_ = new QTimer(this);
  filter_timer_->setSingleShot(true);
  // ms after the last key: one pass over a million rows takes about a second, so the table
  // narrows once a word is typed rather than once per letter.
  filter_timer_->setInterval(250);
  connect(filter_box_, &QLineEdit::textChanged, this, [this] {
    // Small tables narrow at once, with each letter.
    if (model_->allRows() <= 100000) filter_timer_->start(0);
    else filter_timer_->start();
  });
  connect(filter_timer_, &QTimer::timeout, this, [this] {
    model_->SetNeedle(filter_box_->text().trimmed());
    row_count_->setText(model_->rowCount() == model_->allRows()
                            ? tr("%n row(s)", nullptr, model_->allRows())
                            : tr("%1 of %2 rows").arg(model_->rowCount()).arg(model_->allRows()));
  });

  // The status line, and the run's progress and Cancel while a run is on.
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblStatus"));
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // long notices don't widen the window
  statusBar()->addWidget(status_, 1);
  notices_button_ = new QPushButton(this);
  notices_button_->setObjectName(QStringLiteral("cmdNotices"));
  notices_button_->setFlat(true);
  notices_button_->setToolTip(tr("All notices of the last run"));
  notices_button_->hide();
  connect(notices_button_, &QPushButton::clicked, this, [this] { ShowResultsView(2); });
  statusBar()->addPermanentWidget(notices_button_);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("prgRun"));
  progress_->setRange(0, 1000);  // thousandths of the scans' windows
  progress_->setTextVisible(false);
  progress_->setMaximumWidth(progress_->fontMetrics().averageCharWidth() * 25);
  cancel_button_ = new QPushButton(tr("Cancel"), this);
  cancel_button_->setObjectName(QStringLiteral("cmdCancel"));
  cancel_button_->setToolTip(tr("Esc"));
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
  exports_ = new RunExports(
      this, world_.chooser, world_.regional, [this] { return world_.files.data_folder.string(); },
      [this](const QString& text) { Tell(text); },
      [this](const QString& title, const QString& text) { Warn(title, text); });
  exports_->AddActions(file);
  save_graph_action_ = file->addAction(tr("Save &graph..."), this, &MainWindow::SaveGraphFile);
  save_graph_action_->setObjectName(QStringLiteral("mnuFileSaveGraph"));
  save_graph_action_->setStatusTip(tr("Save the Graph tab's picture as an SVG or PNG file"));
  save_graph_action_->setEnabled(false);
  exports_->SetTableRows([this]() -> std::optional<RunExports::Part> {
    // The selected rows, else the rows the filter shows; nothing when that is the whole run.
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty()) {
      if (model_->rowCount() == model_->allRows()) return std::nullopt;
      rows.resize(static_cast<size_t>(model_->rowCount()));
      std::iota(rows.begin(), rows.end(), 0);
    }
    RunExports::Part part;
    std::vector<const SkyEvent*> events;  // into the run's list, which is in the report's order
    for (const int row : rows) {
      if (model_->IsEventRow(row)) events.push_back(&model_->EventAt(row));
      else part.rows.push_back(model_->At(row));
    }
    // In the report's order (by moment), whatever column the table is sorted by.
    Sort_Aspects_by_Date(part.rows);
    std::sort(events.begin(), events.end(), std::less<const SkyEvent*>());
    for (const SkyEvent* e : events) part.events.push_back(*e);
    part.report = PaneText(model_->ReportLinesOf(part.rows, part.events));
    return part;
  });

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

  QMenu* run = menuBar()->addMenu(tr("R&un"));
  run->setObjectName(QStringLiteral("mnuRun"));
  QAction* run_longitude = run->addAction(tr("Calculate &longitude aspectarian"), this,
                                          [this] { StartRun(ScanKind::Longitude); });
  run_longitude->setObjectName(QStringLiteral("mnuRunLongitude"));
  run_longitude->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  QAction* run_declination = run->addAction(tr("Calculate &declination aspectarian"), this,
                                            [this] { StartRun(ScanKind::Declination); });
  run_declination->setObjectName(QStringLiteral("mnuRunDeclination"));
  run_declination->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Enter)});
  cancel_action_ = run->addAction(tr("&Cancel the run"), this, &MainWindow::CancelRun);
  cancel_action_->setObjectName(QStringLiteral("mnuRunCancel"));
  cancel_action_->setShortcut(QKeySequence(Qt::Key_Escape));
  cancel_action_->setEnabled(false);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->setObjectName(QStringLiteral("mnuView"));
  const struct {
    const char* name;
    const char* caption;
    QKeyCombination key;
  } kViews[] = {{"mnuViewTable", "Results &table", Qt::CTRL | Qt::Key_1},
                {"mnuViewReport", "&Report text", Qt::CTRL | Qt::Key_2},
                {"mnuViewNotices", "&Notices of the last run", Qt::CTRL | Qt::Key_3},
                {"mnuViewGraph", "&Graph of the last run", Qt::CTRL | Qt::Key_4}};
  for (int tab = 0; tab < 4; ++tab) {
    QAction* action = view->addAction(tr(kViews[tab].caption), this, [this, tab] { ShowResultsView(tab); });
    action->setObjectName(QString::fromLatin1(kViews[tab].name));
    action->setShortcut(QKeySequence(kViews[tab].key));
  }
  QAction* find = view->addAction(tr("&Find in the table"), this, [this] {
    ShowResultsView(0);
    filter_box_->setFocus(Qt::ShortcutFocusReason);
    filter_box_->selectAll();
  });
  find->setObjectName(QStringLiteral("mnuViewFind"));
  find->setShortcut(QKeySequence::Find);
  view->addSeparator();
  QMenu* notation = view->addMenu(tr("N&otation"));
  notation->setObjectName(QStringLiteral("mnuViewNotation"));
  auto* notations = new QActionGroup(this);
  const struct {
    const char* name;
    const char* caption;
    Notation notation;
  } kNotations[] = {{"mnuNotationGlyphs", "&Glyphs", Notation::Glyphs},
                    {"mnuNotationText", "&Text", Notation::Text},
                    {"mnuNotationNumbers", "The report's &numbers", Notation::ReportNumbers}};
  for (const auto& item : kNotations) {
    QAction* action = notation->addAction(tr(item.caption), this, [this, n = item.notation] { SetNotation(n); });
    action->setObjectName(QString::fromLatin1(item.name));
    action->setCheckable(true);
    notations->addAction(action);
    notation_actions_[static_cast<size_t>(item.notation)] = action;
  }
  notation_actions_[static_cast<size_t>(model_->notation())]->setChecked(true);

  chart_->AddMenu(menuBar());

  // "&Help" has no items: the title on the menu bar is the command itself.
  auto* help = new QAction(tr("&Help"), this);
  help->setObjectName(QStringLiteral("mnuHelp"));
  connect(help, &QAction::triggered, this, &MainWindow::OpenHelp);
  menuBar()->addAction(help);
}

void MainWindow::ShowChart() {
  chart_label_->setText(chart_->Caption());
  const bool loaded = chart_->chart().has_value();
  for (size_t r = 1; r < centre_options_.size(); ++r) {
    QRadioButton* natal = centre_options_[r][2];
    if (!loaded && natal->isChecked()) centre_options_[r][0]->setChecked(true);
    natal->setEnabled(loaded);
  }
  EnableAngleBoxes();
}

void MainWindow::EnableAngleBoxes() {
  // The angles need the birth place.
  std::string problem;
  const bool placed = chart_ && chart_->chart() && PlaceOf(chart_->chart()->place, problem).has_value();
  for (size_t r = 0; r < angle_boxes_.size(); ++r) {
    const QRadioButton* natal = centre_options_[r][2];
    const bool on = placed && natal && natal->isChecked();
    for (QCheckBox* box : angle_boxes_[r]) {
      if (box) box->setEnabled(on);
    }
  }
}

void MainWindow::SetTabOrder() {
  // As the screen reads, row by row: the text boxes, the date button, the switches, the body
  // grid (centres, column commands, then each body across P1, P2, P3), the run commands, and
  // the results.
  const auto named = [this](const QString& name) { return findChild<QWidget*>(name); };
  std::vector<QWidget*> chain(text_boxes_.begin(), text_boxes_.end());
  chain.push_back(named(QStringLiteral("cmdEndDateSameAsStartDate")));
  for (size_t i = 0; i < switches_.size(); ++i) {
    chain.push_back(switches_[i]);
    if (i == kInclude15DegAspects) chain.push_back(aspect_set_);
  }
  for (int c = 0; c < 2; ++c) {
    for (const auto& pair : centre_options_) chain.push_back(pair[static_cast<size_t>(c)]);
  }
  for (const char* pick : {"None", "All", "Planets"}) {
    for (const RoleField& role : kRoleFields) chain.push_back(named(QStringLiteral("cmd%1%2").arg(Q(role.header), QLatin1String(pick))));
  }
  for (int b = 0; b < BodyCount; ++b) {
    for (const auto& column : body_boxes_) chain.push_back(column[static_cast<size_t>(b)]);
  }
  for (size_t a = 0; a < NatalAngleCount; ++a) {
    for (const auto& column : angle_boxes_) {
      if (column[a]) chain.push_back(column[a]);
    }
  }
  chain.push_back(named(QStringLiteral("cmdAspectarian")));
  chain.push_back(named(QStringLiteral("cmdAspectarian_declination")));
  chain.push_back(results_tabs_->tabBar());
  chain.push_back(filter_box_);
  chain.push_back(table_);
  for (size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

RunSettings MainWindow::ControlsToSettings() const {
  RunSettings s;
  for (size_t i = 0; i < kTextFields.size(); ++i) s.*kTextFields[i].member = text_boxes_[i]->text().toStdString();
  for (size_t i = 0; i < kCheckFields.size(); ++i) s.*kCheckFields[i].member = switches_[i]->isChecked();
  s.txtAspectSet = aspect_set_->SettingsText();
  for (size_t r = 0; r < kRoleFields.size(); ++r) {
    for (std::size_t b = 0; b < BodyCount; ++b) (s.*kRoleFields[r].selection)[b] = body_boxes_[r][b]->isChecked();
    if (kRoleFields[r].angles) {
      for (std::size_t a = 0; a < NatalAngleCount; ++a) (s.*kRoleFields[r].angles)[a] = angle_boxes_[r][a]->isChecked();
    }
    const QRadioButton* natal = centre_options_[r][2];
    s.*kRoleFields[r].centre = centre_options_[r][1]->isChecked() ? Centre::Helio
                               : natal && natal->isChecked()     ? Centre::Natal
                                                                 : Centre::Geo;
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
    for (std::size_t b = 0; b < BodyCount; ++b) body_boxes_[r][b]->setChecked((s.*kRoleFields[r].selection)[b]);
    if (kRoleFields[r].angles) {
      for (std::size_t a = 0; a < NatalAngleCount; ++a) angle_boxes_[r][a]->setChecked((s.*kRoleFields[r].angles)[a]);
    }
    QRadioButton* option = centre_options_[r][static_cast<size_t>(s.*kRoleFields[r].centre)];
    (option && option->isEnabled() ? option : centre_options_[r][0])->setChecked(true);
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
  if (window_state_.count("geometry") == 0) {
    // The first time: nine tenths of the screen, centred; never less than the window needs.
    const QRect available = screen()->availableGeometry();
    const QSize size = QSize(available.width() * 9 / 10, available.height() * 9 / 10)
                           .expandedTo(minimumSizeHint())
                           .boundedTo(available.size());
    resize(size);
    move(available.center() - QPoint(size.width() / 2, size.height() / 2));
  }
  if (window_state_["maximized"] == "1") showMaximized();
  else show();
}

Notation MainWindow::notation() const { return model_->notation(); }

std::filesystem::path MainWindow::ConfigFolder() const { return world_.files.startup_file.parent_path(); }

// ---- Remembered choices ----------------------------------------------------------------------

namespace {

QList<int> Numbers(const std::string& text) {
  QList<int> numbers;
  for (const QString& part : Q(text).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    bool ok = false;
    const int n = part.trimmed().toInt(&ok);
    if (!ok) return {};
    numbers << n;
  }
  return numbers;
}

std::string NumbersText(const QList<int>& numbers) {
  QStringList parts;
  for (int n : numbers) parts << QString::number(n);
  return parts.join(QLatin1Char(',')).toStdString();
}

constexpr const char* kNotationNames[] = {"glyphs", "text", "numbers"};  // in Notation order

}  // namespace

void MainWindow::RestoreWindowState() {
  auto& st = window_state_;
  // Size and place: the frame's place and the inside's size, as the window manager takes them.
  if (const QList<int> g = Numbers(st["geometry"]); g.size() == 4 && g[2] > 0 && g[3] > 0) {
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen()) screens << primary->availableGeometry();
    for (QScreen* other : QGuiApplication::screens()) {
      if (other != QGuiApplication::primaryScreen()) screens << other->availableGeometry();
    }
    const QRect placed = OnSomeScreen(QRect(g[0], g[1], g[2], g[3]), screens);
    resize(placed.size().expandedTo(minimumSizeHint()));
    move(placed.topLeft());
  } else {
    st.erase("geometry");
  }
  if (const QList<int> sizes = Numbers(st["splitter"]); sizes.size() == 2) splitter_->setSizes(sizes);
  if (const std::string& columns = st["columns"]; !columns.empty()) {
    table_->horizontalHeader()->restoreState(QByteArray::fromBase64(QByteArray::fromStdString(columns)));
  }
  for (size_t n = 0; n < std::size(kNotationNames); ++n) {
    if (st["notation"] == kNotationNames[n]) SetNotation(static_cast<Notation>(n));
  }
  if (const QList<int> view = Numbers(st["view"]); view.size() == 1) ShowResultsView(view[0]);
  last_kind_ = st["last_run"] == "declination" ? ScanKind::Declination : ScanKind::Longitude;
}

void MainWindow::SaveWindowState() {
  auto& st = window_state_;
  // The frame's top-left corner and the inside's size, as move() and resize() take them; of
  // a maximized window the size and place it goes back to.
  const QRect normal = normalGeometry();
  st["geometry"] = isMaximized() ? NumbersText({normal.x(), normal.y(), normal.width(), normal.height()})
                                 : NumbersText({pos().x(), pos().y(), width(), height()});
  st["maximized"] = isMaximized() ? "1" : "0";
  st["splitter"] = NumbersText(splitter_->sizes());
  st["columns"] = table_->horizontalHeader()->saveState().toBase64().toStdString();
  st["notation"] = kNotationNames[static_cast<size_t>(notation())];
  st["view"] = std::to_string(results_tabs_->currentIndex());
  st["last_run"] = last_kind_ == ScanKind::Declination ? "declination" : "longitude";
  st["chkDisplayP1_P2P3_mp_aspects"] = ControlsToSettings().chkDisplayP1_P2P3_mp_aspects ? "1" : "0";
  chart_->Remember(st);
}

void MainWindow::ShowResultsView(int tab) {
  if (tab < 0 || tab >= results_tabs_->count()) return;
  results_tabs_->setCurrentIndex(tab);
}

void MainWindow::SetNotation(Notation notation) {
  model_->SetNotation(notation);
  if (QAction* action = notation_actions_[static_cast<size_t>(notation)]) action->setChecked(true);
}

void MainWindow::SelectBodies(size_t role, int how) {
  for (int b = 0; b < BodyCount; ++b) {
    // Sun to Pluto are the first ten of the catalogue.
    const bool on = how == 1 || (how == 2 && b <= 9);
    body_boxes_[role][static_cast<size_t>(b)]->setChecked(on);
  }
  // "None" clears the chart angles too; the other two pick bodies only.
  if (how == 0) {
    for (QCheckBox* box : angle_boxes_[role]) {
      if (box) box->setChecked(false);
    }
  }
}

void MainWindow::CopySelectedRows() {
  std::vector<int> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  if (rows.empty()) return;
  // In the order the table shows them, whatever order they were picked in.
  std::sort(rows.begin(), rows.end());
  auto* mime = new QMimeData;
  mime->setText(Q(model_->ReportLines(rows)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  mime->setData(QStringLiteral("text/tab-separated-values"), model_->TabSeparated(rows).toUtf8());
  QGuiApplication::clipboard()->setMimeData(mime);
  Tell(tr("Copied %n row(s).", nullptr, static_cast<int>(rows.size())));
}

void MainWindow::ShowNotices(const QStringList& notices) {
  notices_list_->clear();
  QStringList fresh;
  for (const QString& notice : notices) {
    auto* item = new QListWidgetItem(notice, notices_list_);
    if (notices_.contains(notice)) {
      // Said after the run before too: listed, but not brought up again as news.
      item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
      item->setToolTip(tr("As after the run before"));
    } else {
      fresh << notice;
    }
  }
  notices_ = notices;
  notices_button_->setText(tr("%n notice(s)", nullptr, static_cast<int>(notices.size())));
  notices_button_->setVisible(!notices.isEmpty());
  if (fresh.isEmpty()) {
    Tell(notices.isEmpty() ? QString() : notices.front());
  } else if (fresh.size() == 1) {
    Tell(fresh.front());
  } else {
    Tell(tr("%1  (%n more in the notices list, Ctrl+3)", nullptr, static_cast<int>(fresh.size() - 1)).arg(fresh.front()));
  }
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

std::optional<QString> MainWindow::ChooseRunFile(const QString& title, const QString& filter,
                                                 const char* suffix) {
  FileRequest request;
  request.mode = FileRequest::Mode::Save;
  request.title = title;
  request.filter = filter;
  request.default_suffix = QLatin1String(suffix);
  request.start_folder = TextOf(world_.files.data_folder);
  request.preset_name = TextOf(world_.files.data_folder / std::filesystem::path(last_run_->report_name)
                                                              .replace_extension(std::string(".") + suffix));
  return world_.chooser->Choose(this, request);
}

void MainWindow::ExportCsv() {
  if (!last_run_ || running()) return;
  const std::optional<QString> chosen = ChooseRunFile(tr("Export CSV"), tr("CSV Files (*.csv)"), "csv");
  if (!chosen) return;
  const FileStatus saved = SaveRunCsvWithEvents(PathOf(*chosen), model_->runRows(), last_run_->events,
                                                last_run_->kind, last_run_->settings, world_.regional,
                                                last_run_->chart_name);
  if (!saved) {
    Warn(tr("Export CSV"), Q(saved.message));
    Tell(Q(saved.message));
    return;
  }
  Tell(tr("Saved %1").arg(*chosen));
}

void MainWindow::SaveGraphFile() {
  if (!last_run_ || running() || !graph_->HasRun()) return;
  const std::optional<QString> chosen =
      ChooseRunFile(tr("Save graph"), tr("SVG pictures (*.svg);;PNG images (*.png)"), "svg");
  if (!chosen) return;
  const FileStatus saved = graph_->Save(PathOf(*chosen));
  if (!saved) {
    Warn(tr("Save graph"), Q(saved.message));
    Tell(Q(saved.message));
    return;
  }
  Tell(tr("Saved %1").arg(*chosen));
}

void MainWindow::SelectRunRow(std::size_t run_row) {
  if (running()) return;  // the table holds the rows of the run that is going on
  const FoundAspects& all = model_->runRows();
  if (run_row >= all.size()) return;
  for (int row = 0; row < model_->rowCount(); ++row) {
    if (model_->IsEventRow(row) || &model_->At(row) != &all[run_row]) continue;
    table_->selectRow(row);
    table_->scrollTo(model_->index(row, 0));
    Tell(tr("Row %1 selected in the table (Ctrl+1).").arg(row + 1));
    return;
  }
  Tell(tr("That row is hidden by the table's filter."));
}

// ---- Runs ----------------------------------------------------------------------------------

void MainWindow::StartRun(ScanKind kind) {
  if (running()) return;
  last_kind_ = kind;
  auto request = std::make_shared<RunRequest>();
  request->kind = kind;
  request->settings = ControlsToSettings();
  std::string events_problem;
  const std::optional<EventChoice> events = events_->Choice(&events_problem);
  if (!events) {
    Tell(tr("The run did not start."));
    Warn(tr("The run cannot start"), tr("The run cannot start:\n\n%1").arg(Q(events_problem)));
    return;
  }
  request->events = *events;
  request->chart = chart_->chart();
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
  // The rows go to the table as they come; the table keeps them, and the report text is
  // made whole for the pane and the file.
  request->keep_rows = false;
  request->on_rows = [state](FoundAspects& batch) {
    const std::lock_guard<std::mutex> hold(state->fresh_lock);
    state->fresh.insert(state->fresh.end(), batch.begin(), batch.end());
  };
  request->on_start = [state, fits = world_.size_problem, folder = request->data_folder](
                          const std::vector<std::string>&, const RunSize& size, std::vector<std::string>& problems) {
    // The window keeps the rows in its table and saves the report once it is shown.
    RunSize kept = size;
    const auto rows = static_cast<std::uint64_t>(std::max<std::int64_t>(size.rows, 0));
    kept.kept_bytes += rows * sizeof(FoundAspect);
    kept.report_bytes = rows * size.line_bytes;
    state->size_problem = fits(kept, folder);
    if (state->size_problem.empty()) return true;
    state->asking.store(true, std::memory_order_release);
    state->size_answer.wait(kPending, std::memory_order_acquire);
    if (state->size_answer.load(std::memory_order_acquire) == kSave) return true;
    problems.push_back("Size: " + state->size_problem);
    return false;
  };

  model_->BeginLive(kind, request->settings, world_.regional);
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
  if (run_state_->asking.exchange(false, std::memory_order_acq_rel)) AskRunSize();
  TakeFreshRows(*run_state_);
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

void MainWindow::TakeFreshRows(RunState& state) {
  FoundAspects taken;
  {
    const std::lock_guard<std::mutex> hold(state.fresh_lock);
    taken.swap(state.fresh);
  }
  model_->AppendLive(std::move(taken));
}

void MainWindow::AskRunSize() {
  auto* box = new QMessageBox(QMessageBox::Question, tr("Run"),
                              tr("This run is very large: %1\n\nRun it anyway?").arg(Q(run_state_->size_problem)),
                              QMessageBox::Yes | QMessageBox::No, this);
  box->setObjectName(QStringLiteral("boxRunSize"));
  box->setDefaultButton(QMessageBox::No);
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this, [this, box](int) {
    AnswerRunSize(box->clickedButton() == box->button(QMessageBox::Yes) ? kSave : kDrop);
  });
  box->open();
}

void MainWindow::AnswerRunSize(int answer) {
  if (!run_state_ || run_state_->size_answer.load(std::memory_order_acquire) != kPending) return;
  run_state_->size_answer.store(answer, std::memory_order_release);
  run_state_->size_answer.notify_one();
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
  AnswerRunSize(kDrop);
  AbandonShowing();
  Tell(tr("Cancelling the run..."));
}

void MainWindow::StopRun() {
  if (!worker_.joinable()) return;
  cancel_ = true;
  AnswerRunSize(kDrop);
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
  cancel_action_->setEnabled(on);
  export_csv_action_->setEnabled(!on && last_run_.has_value());
  save_graph_action_->setEnabled(!on && last_run_.has_value());
  exports_->SetBusy(on);
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
  // The table keeps the run's rows only when the report is shown; else it shows the last
  // run's again.
  TakeFreshRows(*state);
  FoundAspects rows = model_->EndLive(shown && failure.isEmpty() && outcome->status == RunOutcome::Status::Done);
  if (!failure.isEmpty()) {
    Tell(tr("The run stopped: %1").arg(failure));
    Warn(tr("Run"), tr("The run stopped: %1").arg(failure));
    return;
  }
  if (outcome->status == RunOutcome::Status::Refused &&
      state->size_answer.load(std::memory_order_acquire) == kDrop) {
    Tell(tr("The run did not start: %1").arg(Q(state->size_problem)));
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

  summary_->Show(RunSummary(state->kind, state->settings, world_.regional, *outcome));
  last_run_ = FinishedRun{state->kind, state->settings, outcome->events, outcome->file_name, outcome->chart_name};
  export_csv_action_->setEnabled(true);
  // The table takes the rows over, in the sort the user chose last, narrowed by the filter
  // text still in its box.
  model_->SetRun(state->kind, state->settings, world_.regional, std::move(rows), outcome->events);
  exports_->SetRun({state->kind, state->settings, model_->runRows(), outcome->pane_text, outcome->file_name,
                    std::time(nullptr), RunSummary(state->kind, state->settings, world_.regional, *outcome),
                    outcome->events, outcome->chart_name});
  graph_->SetRun(outcome->plan, model_->runRows());
  save_graph_action_->setEnabled(true);
  const QHeaderView* header = table_->horizontalHeader();
  if (header->sortIndicatorSection() >= 0) model_->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
  filter_timer_->start(0);

  // The centre choices as the run leaves them.
  const std::array<Centre, 3> centres = {outcome->opt1_ghd, outcome->opt2_ghd, outcome->opt3_ghd};
  for (size_t r = 0; r < centres.size(); ++r) {
    if (QRadioButton* option = centre_options_[r][static_cast<size_t>(centres[r])]) option->setChecked(true);
  }

  QStringList words;
  if (!outcome->save_error.empty()) {
    words << Q(outcome->save_error);
  } else if (!outcome->file_path.empty()) {
    words << tr("Saved %1.").arg(TextOf(outcome->file_path));
  }
  if (model_->runRows().empty() && outcome->found_count > 0) {
    words << tr("None of the %1 exact aspects in the span is in the aspect set.").arg(outcome->found_count);
  } else if (model_->runRows().empty() && outcome->events.empty()) {
    words << tr("No exact aspect lies in the span for these settings.");
  }
  for (const std::string& notice : outcome->notices) words << Q(notice);
  ShowNotices(words);
  if (!outcome->save_error.empty()) Warn(tr("Report file not saved"), Q(outcome->save_error));
  if (results_tabs_->currentWidget() == results_) results_->setFocus(Qt::OtherFocusReason);
  else table_->setFocus(Qt::OtherFocusReason);
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
  if (results_ && watched == results_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    results_->selectAll();  // the whole report, ready to copy
    return true;
  }
  if (watched == table_ && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    // The table's own copy takes one cell; ours the selected rows in both forms.
    event->accept();
    if (event->type() == QEvent::KeyPress) CopySelectedRows();
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
  // The last settings and the window's own state, each in a file of its own beside the
  // start-up file, which keeps its seven lines. Losing them costs only comfort: a line on
  // standard error, no message box.
  SaveWindowState();
  QStringList lost;
  if (const FileStatus last = SaveSettingsFile(ConfigFolder() / kLastSettingsFileName, ControlsToSettings()); !last) {
    lost << Q(last.message);
  }
  if (const FileStatus state = WriteWindowState(ConfigFolder() / kWindowStateFileName, window_state_); !state) {
    lost << Q(state.message);
  }
  if (!lost.isEmpty() && shutdown_problem_.isEmpty()) {
    if (!shutdown_notice_.isEmpty()) lost.prepend(shutdown_notice_);
    shutdown_notice_ = lost.join(QLatin1Char(' '));
  }
  event->accept();
}

}  // namespace tarnwick
