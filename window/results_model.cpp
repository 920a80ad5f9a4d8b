#include "window/results_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/number_text.h"
#include "report/event_lines.h"
#include "report/report_lines.h"
#include "window/qt_strings.h"

namespace tarnwick {

namespace {


bool UsesP3(const RunSettings& s) { return s.chkUseP3; }

// The role as a report line names it, without the caption's padding: "g. Moon".
QString RoleText(const FoundAspect& row, int role) {
  const auto r = static_cast<size_t>(role);
  return QString::fromLatin1(CentreLabel(row.centre[r])) + QString::fromUtf8(BodyName(row.body[r]).data(),
                                                                           static_cast<qsizetype>(BodyName(row.body[r]).size()));
}

// Centres a role can be on: g, h and n.
constexpr int kCentres = 3;

// Sort key of a role: catalogue order, then the chart angles; geocentric, heliocentric, natal.
int RoleKey(const FoundAspect& row, int role) {
  const auto r = static_cast<size_t>(role);
  return row.body[r] * kCentres + static_cast<int>(row.centre[r]);
}

// A position for sorting: not-a-number last, as the report's sort does with moments.
double SortValue(double v) { return std::isnan(v) ? HUGE_VAL : v; }

}  // namespace

// The run shown before a live one, with the filter's result of the time.
struct ResultsModel::SetAside {
  ScanKind kind;
  RunSettings settings;
  RegionalFormat regional;
  std::shared_ptr<const TimeZone> zone;
  float orb1, orb2;
  FoundAspects rows;
  SkyEvents events;
  std::vector<int> base, order, shown;
};

// A filter text worked out once: which roles (body and centre) it names, whether it can be
// part of a date or time at all, and the aspect texts it matches. Rows are then matched by
// table look-ups, dates and aspects computed only where the text could be in them.
struct ResultsModel::Needle {
  QString text;
  // [point][centre]: "g. Moon" holds it; points are the bodies, then the chart angles.
  std::array<std::array<bool, kCentres>, NatalPointCount> role{};
  bool in_moment = false;  // only digits and the signs of dates and times
  bool in_aspect = false;
};

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultsModel::~ResultsModel() = default;

void ResultsModel::SetRun(ScanKind kind, const RunSettings& settings, const RegionalFormat& regional, FoundAspects rows,
                          SkyEvents events) {
  beginResetModel();
  Reset(kind, settings, regional, std::move(rows), std::move(events));
  endResetModel();
}

void ResultsModel::Reset(ScanKind kind, const RunSettings& settings, const RegionalFormat& regional,
                         FoundAspects rows, SkyEvents events) {
  kind_ = kind;
  settings_ = settings;
  regional_ = regional;
  // The run refused a zone that is no number, so a finished run always has one.
  zone_ = TimeZoneOf(settings.txtTZ, regional.decimal_separator);
  if (!zone_) zone_ = FixedOffsetZone(0.0);  // cannot happen after a run: it read the same text
  const ReportOrbs orbs = ReportOrbsOf(settings, regional);
  orb1_ = orbs.orb1;
  orb2_ = orbs.orb2;
  rows_ = std::move(rows);
  events_ = std::move(events);
  // Both lists come sorted by moment: merged, an event goes after the aspects of its moment.
  base_.clear();
  base_.reserve(rows_.size() + events_.size());
  size_t e = 0;
  for (size_t r = 0; r < rows_.size(); ++r) {
    for (; e < events_.size() && events_[e].jd_ut < rows_[r].jd_ut; ++e) base_.push_back(static_cast<int>(rows_.size() + e));
    base_.push_back(static_cast<int>(r));
  }
  for (; e < events_.size(); ++e) base_.push_back(static_cast<int>(rows_.size() + e));
  order_ = base_;
  Refilter();
}

void ResultsModel::BeginLive(ScanKind kind, const RunSettings& settings, const RegionalFormat& regional) {
  beginResetModel();
  aside_.reset(new SetAside{kind_, settings_, regional_, zone_, orb1_, orb2_, std::move(rows_), std::move(events_),
                            std::move(base_), std::move(order_), std::move(shown_)});
  Reset(kind, settings, regional, {}, {});
  endResetModel();
}

void ResultsModel::AppendLive(FoundAspects rows) {
  if (!aside_ || rows.empty()) return;
  // A live run has no events yet, so its row numbers are its rows' own.
  const Needle needle = NeedleOf(needle_);
  std::vector<int> passing;
  for (size_t k = 0; k < rows.size(); ++k) {
    const int i = static_cast<int>(rows_.size() + k);
    base_.push_back(i);
    order_.push_back(i);
    if (needle_.isEmpty() || Matches(rows[k], needle)) passing.push_back(i);
  }
  rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  if (passing.empty()) return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(passing.size()) - 1);
  shown_.insert(shown_.end(), passing.begin(), passing.end());
  endInsertRows();
}

FoundAspects ResultsModel::EndLive(bool keep) {
  if (!aside_) return {};
  const std::unique_ptr<SetAside> before = std::move(aside_);
  if (keep) return std::move(rows_);  // SetRun follows at once
  beginResetModel();
  kind_ = before->kind;
  settings_ = std::move(before->settings);
  regional_ = std::move(before->regional);
  zone_ = std::move(before->zone);
  orb1_ = before->orb1;
  orb2_ = before->orb2;
  rows_ = std::move(before->rows);
  events_ = std::move(before->events);
  base_ = std::move(before->base);
  order_ = std::move(before->order);
  // The filter may have changed while the run went on.
  Refilter();
  endResetModel();
  return {};
}

void ResultsModel::SetNotation(Notation notation) {
  if (notation == notation_) return;
  notation_ = notation;
  if (!shown_.empty()) emit dataChanged(index(0, kPos1), index(rowCount() - 1, kAspects), {Qt::DisplayRole});
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::DisplayRole) return CellText(index.row(), index.column());
  if ((role == Qt::FontRole || role == Qt::BackgroundRole) && IsEventRow(index.row())) {
    if (role == Qt::BackgroundRole) return QBrush(QColor(0xff, 0xf6, 0xdc));  // a pale amber
    QFont italic;
    italic.setItalic(true);
    return italic;
  }
  if (role == Qt::TextAlignmentRole && index.column() >= kDate) {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  static const char* const kHeads[kColumnCount] = {"P1", "P2", "P3", "Date", "Time",
                                                   "P1 pos.", "P2 pos.", "P3 pos.", "Aspect"};
  if (section < 0 || section >= kColumnCount) return {};
  if (section >= kPos1 && section <= kPos3 && kind_ == ScanKind::Declination) {
    return QStringLiteral("P%1 %2").arg(section - kPos1 + 1).arg(settings_.chkUseGeoLat ? tr("lat.") : tr("decl."));
  }
  return tr(kHeads[section]);
}

QString ResultsModel::PositionText(const FoundAspect& row, int role) const {
  const auto r = static_cast<size_t>(role);
  if (kind_ == ScanKind::Declination) return Q(DeclinationText(row.position[r], notation_));
  // Right ascension is no zodiac position: degrees as the report's numbers are.
  if (settings_.chkUse_RA) return Q(FormatFixed(row.position[r], 1, 3));
  if (notation_ != Notation::Glyphs) {
    return Q(ZodiacPositionText(row.position[r], notation_) + RetrogradeMark(row.motion[r], notation_));
  }
  return Drawable(ZodiacPositionText(row.position[r], Notation::Glyphs) + RetrogradeMark(row.motion[r], Notation::Glyphs),
                  ZodiacPositionText(row.position[r], Notation::Text) + RetrogradeMark(row.motion[r], Notation::Text));
}

QString ResultsModel::Drawable(const std::string& glyphs, const std::string& text) const {
  const QString shown = Q(glyphs);
  const QFontMetrics metrics(QGuiApplication::font());
  for (const char32_t c : shown.toUcs4()) {
    auto known = drawable_.find(c);
    if (known == drawable_.end()) known = drawable_.emplace(c, metrics.inFontUcs4(c)).first;
    if (!known->second) return Q(text);
  }
  return shown;
}

QString ResultsModel::AspectText(const FoundAspect& row) const {
  if (kind_ == ScanKind::Declination) return {};
  const AspectColumns columns = LongitudeAspectColumns(row, settings_, ReportOrbs{orb1_, orb2_});
  if (notation_ == Notation::ReportNumbers) return Q(columns.text).trimmed();
  QStringList names;
  for (const AspectCode& code : columns.codes) {
    // A code is the angle in three digits, or blanks where no aspect lies within the orb.
    bool ok = false;
    const int angle = QString::fromStdString(code).trimmed().toInt(&ok);
    if (!ok) {
      names << QStringLiteral("-");
    } else if (notation_ == Notation::Glyphs) {
      names << Drawable(AspectName(angle, Notation::Glyphs), AspectName(angle, Notation::Text));
    } else {
      names << Q(AspectName(angle, notation_));
    }
  }
  if (settings_.chkDisplayP1_P2P3_mp_aspects && names.size() == 2) {
    return QStringLiteral("%1 (%2)").arg(names[0], names[1]);
  }
  return names.join(QLatin1Char(' '));
}

QString ResultsModel::EventCell(const SkyEvent& e, int column) const {
  switch (column) {
    case kP1: return QString::fromLatin1(CentreLabel(e.centre)) + Q(std::string(BodyName(e.body)));
    case kP2: return Q(std::string(EventWord(e.kind)));
    case kDate: return Q(ConvertJDtoDateandTime(e.jd_ut, HoursAtMinute(*zone_, e.jd_ut), regional_.order).date);
    case kTime: return Q(ConvertJDtoDateandTime(e.jd_ut, HoursAtMinute(*zone_, e.jd_ut), regional_.order).time);
    case kPos1:
      // Out of bounds is a matter of declination; everything else of the longitude of date.
      if (e.kind == EventKind::OutOfBounds) return Q(DeclinationText(e.position, notation_));
      if (notation_ != Notation::Glyphs) return Q(ZodiacPositionText(e.position, notation_));
      return Drawable(ZodiacPositionText(e.position, Notation::Glyphs), ZodiacPositionText(e.position, Notation::Text));
    case kAspects: return Q(EventDescription(e, *zone_, regional_.order));
    default: return {};
  }
}

QString ResultsModel::CellText(int row, int column) const {
  if (row < 0 || row >= rowCount()) return {};
  const int i = shown_[static_cast<size_t>(row)];
  if (IsEvent(i)) return EventCell(EventOf(i), column);
  const FoundAspect& r = rows_[static_cast<size_t>(i)];
  const bool p3 = UsesP3(settings_);
  switch (column) {
    case kP1: return RoleText(r, 0);
    case kP2: return RoleText(r, 1);
    case kP3: return p3 ? RoleText(r, 2) : QString();
    case kDate: return Q(ConvertJDtoDateandTime(r.jd_ut, HoursAtMinute(*zone_, r.jd_ut), regional_.order).date);
    case kTime: return Q(ConvertJDtoDateandTime(r.jd_ut, HoursAtMinute(*zone_, r.jd_ut), regional_.order).time);
    case kPos1: return PositionText(r, 0);
    case kPos2: return PositionText(r, 1);
    case kPos3: return p3 ? PositionText(r, 2) : QString();
    case kAspects: return AspectText(r);
    default: return {};
  }
}

bool ResultsModel::Matches(const FoundAspect& row, const Needle& needle) const {
  const int roles = UsesP3(settings_) ? 3 : 2;
  for (int r = 0; r < roles; ++r) {
    const int body = row.body[static_cast<size_t>(r)];
    if (IsPointIndex(body) && needle.role[static_cast<size_t>(body)][static_cast<size_t>(row.centre[static_cast<size_t>(r)])]) {
      return true;
    }
  }
  if (needle.in_moment) {
    const DateAndTimeText moment = ConvertJDtoDateandTime(row.jd_ut, HoursAtMinute(*zone_, row.jd_ut), regional_.order);
    if (Q(moment.date).contains(needle.text) || Q(moment.time).contains(needle.text)) return true;
  }
  return needle.in_aspect && AspectText(row).contains(needle.text, Qt::CaseInsensitive);
}

bool ResultsModel::MatchesEvent(const SkyEvent& e, const QString& needle) const {
  for (const int column : {kP1, kP2, kDate, kTime, kAspects}) {
    if (EventCell(e, column).contains(needle, Qt::CaseInsensitive)) return true;
  }
  return false;
}

ResultsModel::Needle ResultsModel::NeedleOf(const QString& text) const {
  Needle needle;
  needle.text = text;
  for (int b = 0; b < NatalPointCount; ++b) {
    for (int c = 0; c < kCentres; ++c) {
      FoundAspect probe;
      probe.body[0] = b;
      probe.centre[0] = static_cast<Centre>(c);
      needle.role[static_cast<size_t>(b)][static_cast<size_t>(c)] = RoleText(probe, 0).contains(text, Qt::CaseInsensitive);
    }
  }
  needle.in_moment = std::all_of(text.begin(), text.end(), [this](QChar ch) {
    return ch.isDigit() || ch == QLatin1Char(':') || ch == QLatin1Char(' ') || ch == QLatin1Char('/') ||
           QString::fromStdString(regional_.date_separator).contains(ch);
  });
  // Aspects are named by the angles 0 to 180 in steps of 15, or "-" where none holds.
  if (kind_ == ScanKind::Longitude) {
    QString names = QStringLiteral("- ( )");
    for (int angle = 0; angle <= 180; angle += 15) {
      names += QLatin1Char(' ') + QString::fromStdString(AspectName(angle, notation_)) +
               QStringLiteral(" %1").arg(angle, 3, 10, QLatin1Char('0'));
    }
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    needle.in_aspect = std::all_of(words.begin(), words.end(), [&](const QString& w) { return names.contains(w, Qt::CaseInsensitive); });
  }
  return needle;
}

void ResultsModel::Refilter() {
  if (needle_.isEmpty()) {
    shown_ = order_;
    return;
  }
  const Needle needle = NeedleOf(needle_);
  shown_.clear();
  for (int i : order_) {
    if (IsEvent(i) ? MatchesEvent(EventOf(i), needle_) : Matches(rows_[static_cast<size_t>(i)], needle)) shown_.push_back(i);
  }
}

void ResultsModel::SetNeedle(const QString& needle) {
  if (needle == needle_) return;
  beginResetModel();
  needle_ = needle;
  Refilter();
  endResetModel();
}

void ResultsModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // Selections and the current row follow their rows to where the sort puts them.
  const QModelIndexList before = persistentIndexList();
  std::vector<int> rows_of_before;
  rows_of_before.reserve(static_cast<size_t>(before.size()));
  for (const QModelIndex& i : before) rows_of_before.push_back(shown_[static_cast<size_t>(i.row())]);

  // The run's own order (by moment) first, so that equal keys come out by moment.
  order_ = base_;
  const auto by = [&](auto key) {
    // Keys taken out once, beside their rows, so that the sort walks memory in order.
    using Key = std::decay_t<decltype(key(0))>;
    std::vector<std::pair<Key, int>> keyed;
    keyed.reserve(order_.size());
    for (int i : order_) keyed.emplace_back(key(i), i);
    const auto ascending = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (order == Qt::AscendingOrder) std::stable_sort(keyed.begin(), keyed.end(), ascending);
    else std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) { return ascending(b, a); });
    for (size_t k = 0; k < keyed.size(); ++k) order_[k] = keyed[k].second;
  };
  const auto row = [this](int i) -> const FoundAspect& { return rows_[static_cast<size_t>(i)]; };
  // Event rows: P1 by body like an aspect's; the event word and what happened after every
  // body and aspect, by kind; no P2 or P3 position, so last.
  constexpr int kAfterBodies = NatalPointCount * kCentres;
  switch (column) {
    case kP1: case kP2: case kP3:
      by([&, c = column](int i) {
        if (!IsEvent(i)) return RoleKey(row(i), c);
        const SkyEvent& e = EventOf(i);
        if (c == kP1) return e.body * kCentres + static_cast<int>(e.centre);
        return c == kP2 ? kAfterBodies + static_cast<int>(e.kind) : kAfterBodies + kEventKinds;
      });
      break;
    case kDate: case kTime:
      by([&](int i) { return SortValue(IsEvent(i) ? EventOf(i).jd_ut : row(i).jd_ut); });
      break;
    case kPos1: case kPos2: case kPos3:
      by([&, c = static_cast<size_t>(column - kPos1)](int i) {
        if (IsEvent(i)) return c == 0 ? SortValue(EventOf(i).position) : HUGE_VAL;
        return SortValue(row(i).position[c]);
      });
      break;
    case kAspects: {
      // The codes in the report's order as one number (angle + 1 per code, 0 for none):
      // they sort by angle, whatever the notation shows.
      by([&](int i) {
        std::uint64_t key = 0;
        if (IsEvent(i)) return ~std::uint64_t{0} - static_cast<std::uint64_t>(kEventKinds - static_cast<int>(EventOf(i).kind));
        if (kind_ != ScanKind::Longitude) return key;
        for (const AspectCode& code : LongitudeAspectColumns(row(i), settings_, ReportOrbs{orb1_, orb2_}).codes) {
          const int angle = std::atoi(code.c_str());  // blanks read as 0, told apart below
          key = key * 256 + (code.find_first_not_of(' ') == std::string::npos ? 0 : static_cast<std::uint64_t>(angle) + 1);
        }
        return key;
      });
      break;
    }
    default: break;
  }
  Refilter();

  std::vector<int> shown_at(rows_.size() + events_.size(), -1);  // rows_ index -> new shown row
  for (size_t i = 0; i < shown_.size(); ++i) shown_at[static_cast<size_t>(shown_[i])] = static_cast<int>(i);
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype k = 0; k < before.size(); ++k) {
    after << index(shown_at[static_cast<size_t>(rows_of_before[static_cast<size_t>(k)])], before[k].column());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::string ResultsModel::ReportLines(const std::vector<int>& rows) const {
  // Aspect lines are made a stretch at a time (the report's builders take a list), event
  // lines one by one, in the order given.
  std::string out;
  FoundAspects picked;
  const auto flush = [&] {
    if (picked.empty()) return;
    out += kind_ == ScanKind::Declination ? Display_Aspects_declination(picked, settings_, regional_)
                                          : Display_Aspects_longitude(picked, settings_, regional_);
    picked.clear();
  };
  for (int row : rows) {
    if (row < 0 || row >= rowCount()) continue;
    const int i = shown_[static_cast<size_t>(row)];
    if (IsEvent(i)) {
      flush();
      out += EventLine(EventOf(i), *zone_, regional_.order);
    } else {
      picked.push_back(rows_[static_cast<size_t>(i)]);
    }
  }
  flush();
  return out;
}

std::string ResultsModel::ReportLinesOf(const FoundAspects& rows, const SkyEvents& events) const {
  const std::string aspects = kind_ == ScanKind::Declination ? Display_Aspects_declination(rows, settings_, regional_)
                                                             : Display_Aspects_longitude(rows, settings_, regional_);
  return events.empty() ? aspects : MergeEventLines(aspects, rows, events, *zone_, regional_.order);
}

QString ResultsModel::TabSeparated(const std::vector<int>& rows) const {
  QString out;
  const auto add_line = [&out](const QStringList& cells) {
    out += cells.join(QLatin1Char('\t'));
    out += QLatin1Char('\n');
  };
  QStringList cells;
  for (int c = 0; c < kColumnCount; ++c) cells << headerData(c, Qt::Horizontal).toString();
  add_line(cells);
  for (int row : rows) {
    cells.clear();
    for (int c = 0; c < kColumnCount; ++c) cells << CellText(row, c);
    add_line(cells);
  }
  return out;
}

}  // namespace tarnwick
