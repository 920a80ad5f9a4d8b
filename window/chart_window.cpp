#include "window/chart_window.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "report/natal_table.h"
#include "store/chart_file.h"
#include "window/qt_strings.h"

namespace tarnwick {

namespace {


QLineEdit* NewBox(QWidget* parent, const char* name, const std::string& text, const QString& tip) {
  auto* box = new QLineEdit(Q(text), parent);
  box->setObjectName(QLatin1String(name));
  box->setPlaceholderText(tip);
  return box;
}

}  // namespace

ChartDialog::ChartDialog(const NatalChart& chart, ProviderFactory factory, QWidget* parent)
    : QDialog(parent), factory_(std::move(factory)) {
  setObjectName(QStringLiteral("dlgChart"));
  setWindowTitle(tr("Natal chart"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name_ = NewBox(this, "txtChartName", chart.name, tr("name"));
  date_ = NewBox(this, "txtChartDate", chart.date, tr("MM/DD/YYYY"));
  time_ = NewBox(this, "txtChartTime", chart.time, tr("HH:MM local time"));
  zone_ = NewBox(this, "txtChartZone", chart.zone, tr("hours positive west, or Europe/Berlin"));
  place_ = NewBox(this, "txtChartPlace", chart.place, tr("52N31 13E24 (optional)"));
  form->addRow(tr("&Name:"), name_);
  form->addRow(tr("Birth &date:"), date_);
  form->addRow(tr("Birth &time:"), time_);
  form->addRow(tr("Time &zone:"), zone_);
  form->addRow(tr("&Place:"), place_);
  layout->addLayout(form);

  auto* compute = new QPushButton(tr("&Compute positions"), this);
  compute->setObjectName(QStringLiteral("cmdChartCompute"));
  layout->addWidget(compute);
  problems_ = new QLabel(this);
  problems_->setObjectName(QStringLiteral("lblChartProblems"));
  problems_->setWordWrap(true);
  layout->addWidget(problems_);
  table_ = new QTableWidget(0, 5, this);
  table_->setObjectName(QStringLiteral("tblChartPositions"));
  table_->setHorizontalHeaderLabels({tr("Body"), tr("Sign"), tr("Degree"), tr("Minute"), tr("Declination")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->setMinimumHeight(300);
  layout->addWidget(table_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdChartOk"));
  layout->addWidget(buttons);
  connect(compute, &QPushButton::clicked, this, [this] { Compute(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Compute()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  if (!chart.date.empty()) Compute();
}

NatalChart ChartDialog::Chart() const {
  return {name_->text().trimmed().toStdString(), date_->text().trimmed().toStdString(),
          time_->text().trimmed().toStdString(), zone_->text().trimmed().toStdString(),
          place_->text().trimmed().toStdString()};
}

bool ChartDialog::Compute() {
  const std::unique_ptr<PositionProvider> eph = factory_();
  const CastChart cast = CastNatalChart(Chart(), *eph);
  table_->setRowCount(0);
  if (!cast.positions) {
    problems_->setText(Q(cast.problems.front()));
    return false;
  }
  problems_->clear();
  const std::vector<NatalTableRow> rows = NatalTableRows(*cast.positions, Notation::Text);
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const NatalTableRow& r = rows[static_cast<size_t>(i)];
    const bool known = !r.sign.empty();
    const QString cells[] = {Q(r.body), known ? Q(r.sign) : Q(r.note), known ? QString::number(r.degree) : QString(),
                             known ? QString::number(r.minute) : QString(), Q(r.declination)};
    for (int c = 0; c < 5; ++c) table_->setItem(i, c, new QTableWidgetItem(cells[c]));
  }
  table_->resizeColumnsToContents();
  return true;
}

ChartKeeper::ChartKeeper(QWidget* window, std::shared_ptr<FileChooser> chooser, ProviderFactory factory,
                         std::filesystem::path start_folder)
    : QObject(window), window_(window), chooser_(std::move(chooser)), factory_(std::move(factory)),
      folder_(std::move(start_folder)) {}

void ChartKeeper::AddMenu(QMenuBar* bar) {
  QMenu* menu = bar->addMenu(tr("&Chart"));
  menu->setObjectName(QStringLiteral("mnuChart"));
  const auto add = [&](const char* name, const QString& text, const QString& tip, auto slot) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    a->setStatusTip(tip);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  add("mnuChartNew", tr("&New..."), tr("Type the birth data of a natal chart"),
      [this] { EditChart(NatalChart{}); });
  add("mnuChartOpen", tr("&Open..."), tr("Open a natal chart file"), [this] { Open(); });
  save_ = add("mnuChartSave", tr("&Save..."), tr("Save the natal chart to a file"), [this] { Save(); });
  add("mnuChartEdit", tr("&Edit..."), tr("Change the chart's birth data and see its positions"),
      [this] { EditChart(chart_.value_or(NatalChart{})); });
  save_->setEnabled(chart_.has_value());
}

namespace {

struct ChartEntry {
  const char* key;
  std::string NatalChart::*field;
};
constexpr ChartEntry kChartEntries[] = {{"chart.name", &NatalChart::name},
                                        {"chart.date", &NatalChart::date},
                                        {"chart.time", &NatalChart::time},
                                        {"chart.zone", &NatalChart::zone},
                                        {"chart.place", &NatalChart::place}};
constexpr const char* kChartFileEntry = "chart.file";

}  // namespace

void ChartKeeper::Remember(WindowState& state) const {
  for (const ChartEntry& e : kChartEntries) state.erase(e.key);
  state.erase(kChartFileEntry);
  if (!chart_) return;
  // A line break cannot be stored in the state file (it would refuse the whole file); the
  // dialog and the chart file let none through, so this only guards.
  const auto one_line = [](const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; };
  for (const ChartEntry& e : kChartEntries) {
    if (!one_line((*chart_).*e.field)) return;
  }
  for (const ChartEntry& e : kChartEntries) state[e.key] = (*chart_).*e.field;
  if (!path_.empty() && one_line(path_.string())) state[kChartFileEntry] = path_.string();
}

QString ChartKeeper::Restore(const WindowState& state) {
  if (state.find("chart.date") == state.end()) return {};
  NatalChart chart;
  for (const ChartEntry& e : kChartEntries) {
    if (const auto it = state.find(e.key); it != state.end()) chart.*e.field = it->second;
  }
  std::vector<std::string> problems;
  std::string place_problem;
  BirthMoment(chart, problems);
  PlaceOf(chart.place, place_problem);
  if (!place_problem.empty()) problems.push_back(place_problem);
  if (!problems.empty()) return tr("The last natal chart was not opened again: %1").arg(Q(problems.front()));
  chart_ = chart;
  if (const auto it = state.find(kChartFileEntry); it != state.end()) {
    path_ = it->second;
    folder_ = path_.parent_path();
  }
  if (save_) save_->setEnabled(true);
  emit chartChanged();
  return {};
}

QString ChartKeeper::Caption() const {
  if (!chart_) return tr("No chart (n)");
  return tr("Chart: %1 (n)").arg(chart_->name.empty() ? tr("unnamed") : Q(chart_->name));
}

void ChartKeeper::EditChart(const NatalChart& start) {
  auto* dialog = new ChartDialog(start, factory_, window_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    chart_ = dialog->Chart();
    save_->setEnabled(true);
    emit chartChanged();
  });
  dialog->open();  // window-modal, without a nested event loop
}

void ChartKeeper::Open() {
  FileRequest request;
  request.mode = FileRequest::Mode::Load;
  request.title = tr("Open natal chart");
  request.filter = tr("Chart Files (*.chart)");
  request.default_suffix = QStringLiteral("chart");
  request.start_folder = Q(folder_.string());
  const std::optional<QString> path = chooser_->Choose(window_, request);
  if (!path) return;
  const ChartLoad load = LoadChartFile(path->toStdString());
  if (!load.ok) {
    emit message(Q(load.message));
    return;
  }
  chart_ = load.chart;
  path_ = path->toStdString();
  folder_ = path_.parent_path();
  save_->setEnabled(true);
  emit chartChanged();
}

void ChartKeeper::Save() {
  if (!chart_) return;
  FileRequest request;
  request.mode = FileRequest::Mode::Save;
  request.title = tr("Save natal chart");
  request.filter = tr("Chart Files (*.chart)");
  request.default_suffix = QStringLiteral("chart");
  request.start_folder = Q(folder_.string());
  request.preset_name = Q(path_.empty() ? (folder_ / (chart_->name.empty() ? "chart.chart" : chart_->name + ".chart")).string()
                                        : path_.string());
  const std::optional<QString> path = chooser_->Choose(window_, request);
  if (!path) return;
  const FileStatus status = SaveChartFile(path->toStdString(), *chart_);
  if (!status) {
    emit message(Q(status.message));
    return;
  }
  path_ = path->toStdString();
  folder_ = path_.parent_path();
  emit message(tr("Saved %1.").arg(*path));
}

}  // namespace tarnwick
