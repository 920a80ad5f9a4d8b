// The results table: a table model over the rows of the last finished run (one row per exact
// moment), sortable by any column and narrowed by a filter text, and the two forms a
// selection is copied in (the report's own lines, tab-separated values). The model sorts and
// filters itself, by typed keys and a list of shown rows: a proxy model compares through
// QVariant and tells the view of every removed stretch apart, which for a million rows takes
// minutes instead of a fraction of a second.
#pragma once

#include <QAbstractTableModel>
#include <map>
#include <memory>
#include <vector>

#include "core/date_text.h"
#include "core/time_zone.h"
#include "engine/found_aspects.h"
#include "engine/run_settings.h"
#include "engine/sky_events.h"
#include "engine/window_search.h"
#include "report/notation.h"

namespace tarnwick {

class ResultsModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Columns: the three roles (caption with centre label, as the report names them), the
  // local date and time, the three positions, the aspect code(s). P3 columns stay empty in a
  // two-body run; the aspect column in a declination run, whose report names no aspect.
  enum Column { kP1, kP2, kP3, kDate, kTime, kPos1, kPos2, kPos3, kAspects, kColumnCount };

  explicit ResultsModel(QObject* parent = nullptr);
  ~ResultsModel() override;

  // A finished run: its rows (sorted by moment), its kind and settings (which say the time
  // zone, the orbs and whether P3 plays a part), and its sky events (sorted by moment), each
  // a row of its own among the aspects: P1 the body, P2 the event word ("station"), P1 pos.
  // where it stands, Aspect what happened ("turns retrograde"); italic on a tinted ground.
  // At the same moment the aspect comes first, as in the report. Replaces what the model held.
  void SetRun(ScanKind kind, const RunSettings& settings, const RegionalFormat& regional, FoundAspects rows,
              SkyEvents events = {});
  // A run as it goes. BeginLive sets the table's run aside and shows the new run's rows as
  // AppendLive hands them in (by moment, the filter applied; a sort chosen meanwhile is
  // applied when the run ends). EndLive(false) puts the run set aside back, for a run that
  // did not finish; EndLive(true) forgets it and hands out the new run's rows for SetRun.
  void BeginLive(ScanKind kind, const RunSettings& settings, const RegionalFormat& regional);
  void AppendLive(FoundAspects rows);
  FoundAspects EndLive(bool keep);
  void SetNotation(Notation notation);
  Notation notation() const { return notation_; }
  // The aspect rows in the run's order (by moment), whatever the table's sort; no events.
  const FoundAspects& runRows() const { return rows_; }
  const SkyEvents& runEvents() const { return events_; }
  // Whether a shown row is a sky event.
  bool IsEventRow(int row) const { return row >= 0 && row < rowCount() && IsEvent(shown_[static_cast<size_t>(row)]); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // Stable: rows equal in the column keep their order (by moment after a run). Dates and
  // times sort by the exact moment, bodies by catalogue order then centre, positions by value.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // Shows only the rows whose bodies, date, time or aspect text contain `needle` (case
  // ignored); "" shows every row. Keeps the sort.
  void SetNeedle(const QString& needle);
  const QString& needle() const { return needle_; }
  int allRows() const { return static_cast<int>(order_.size()); }

  // The text of a cell, "" outside the table. `row` counts the rows shown, in their order.
  QString CellText(int row, int column) const;
  // The rows as the report writes them (CR LF line ends), in the order given; an event as
  // its own report line.
  std::string ReportLines(const std::vector<int>& rows) const;
  // Aspect rows (sorted by moment) and events (likewise) as the report writes them, merged.
  std::string ReportLinesOf(const FoundAspects& rows, const SkyEvents& events = {}) const;
  // The found row shown at `row` (0 .. rowCount() - 1), which is no event row.
  const FoundAspect& At(int row) const { return rows_[static_cast<size_t>(shown_[static_cast<size_t>(row)])]; }
  // The event shown at `row`, which is an event row.
  const SkyEvent& EventAt(int row) const { return EventOf(shown_[static_cast<size_t>(row)]); }
  // The rows' cells, tab between columns, LF after each row, the header first.
  QString TabSeparated(const std::vector<int>& rows) const;

 private:
  // Row numbers in order_, base_ and shown_ index rows_ below rows_.size(), and events_ from
  // there on.
  bool IsEvent(int i) const { return static_cast<size_t>(i) >= rows_.size(); }
  const SkyEvent& EventOf(int i) const { return events_[static_cast<size_t>(i) - rows_.size()]; }
  QString EventCell(const SkyEvent& event, int column) const;
  bool MatchesEvent(const SkyEvent& event, const QString& needle) const;
  QString PositionText(const FoundAspect& row, int role) const;
  // The glyph form where the font draws every character of it (a font without the aspect
  // glyphs would show empty boxes), else the text form.
  QString Drawable(const std::string& glyphs, const std::string& text) const;
  QString AspectText(const FoundAspect& row) const;
  void Refilter();  // shown_ from order_ and needle_
  void Reset(ScanKind kind, const RunSettings& settings, const RegionalFormat& regional, FoundAspects rows,
             SkyEvents events);  // between beginResetModel and endResetModel

  struct Needle;    // what a row is matched against, worked out once per filter text
  Needle NeedleOf(const QString& text) const;
  bool Matches(const FoundAspect& row, const Needle& needle) const;

  ScanKind kind_ = ScanKind::Longitude;
  RunSettings settings_;
  RegionalFormat regional_;
  mutable std::map<char32_t, bool> drawable_;  // whether the font has a character
  std::shared_ptr<const TimeZone> zone_ = FixedOffsetZone(0.0);  // the moments' local time
  float orb1_ = 0.0f, orb2_ = 0.0f;  // degrees, as the report reads them
  FoundAspects rows_;         // as the run gave them
  SkyEvents events_;          // as the run gave them
  std::vector<int> base_;     // every row by moment, events merged in: the order before any sort
  std::vector<int> order_;    // every row, sorted
  std::vector<int> shown_;    // the rows of order_ that pass the filter, in its order
  QString needle_;
  Notation notation_ = Notation::Glyphs;
  struct SetAside;  // the run shown before a live one, kept until that one ends
  std::unique_ptr<SetAside> aside_;
};

}  // namespace tarnwick
