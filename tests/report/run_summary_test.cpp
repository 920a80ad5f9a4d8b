#include "report/run_summary.h"

#include <gtest/gtest.h>

#include "tests/store/scratch_folder.h"
#include "tests/support/real_run.h"

namespace tarnwick {
namespace {

constexpr int kSedna = 21, kChiron = 15;

std::string Field(const std::vector<SummaryField>& fields, const std::string& label) {
  for (const SummaryField& f : fields) {
    if (f.label == label) return f.value;
  }
  ADD_FAILURE() << "no field " << label;
  return {};
}

// Each case runs on the Swiss Ephemeris and checks every field of its summary: each label in
// its place, and in each value what the settings and the run's sources say.
TEST(run_summary, every_field_present_with_what_the_run_searched) {
  struct Case {
    const char* name;
    ScanKind kind;
    const char* start;
    const char* end;
    bool triple, midpoints, time_window, grid15;
    const char* aspects;
    std::vector<std::pair<std::string, std::string>> says;  // label, part of its value
  };
  const Case cases[] = {
      {"triple longitude in 2007: files and orbital elements", ScanKind::Longitude, "12/01/2007",
       "12/03/2007", true, true, false, true, "major",
       {{"Run", "longitude aspectarian, triple aspects"},
        {"Span", "12/01/2007 to 12/03/2007"},
        {"Time zone", "-5.5 (UTC+05:30)"},
        {"P1", "geocentric: Sun, Mars"},
        {"P2", "geocentric: Jupiter, Saturn, Sedna"},
        {"P3", "heliocentric: Jupiter, Saturn, Sedna"},
        {"Grid", "15 degrees"},
        {"Aspects", "major (0, 60, 90, 120, 180)"},
        {"Orbs", "orb 1 2.5, orb 2 15.0 degrees"},
        {"Partners", "midpoints of P2 and P3"},
        {"Time window", "whole days"},
        {"Ephemeris", "Swiss Ephemeris files: Sun, Mars, Jupiter, Saturn; orbital elements: Sedna"}}},
      {"two-body declination in 1750: analytic and left out", ScanKind::Declination, "01/01/1750",
       "01/02/1750", false, false, true, false, "",
       {{"Run", "declination aspectarian, two bodies"},
        {"P1", "geocentric: Sun, Mars"},
        {"P2", "geocentric: Jupiter, Saturn, Sedna"},
        {"Grid", "30 degrees"},
        {"Aspects", "parallels and contra-parallels"},
        {"Partners", "P2"},
        {"Time window", "10:00 to 10:59 local time"},
        {"Ephemeris", "analytic Moshier ephemeris: Sun, Mars, Jupiter, Saturn; left out: Sedna"}}},
  };
  const std::vector<std::string> longitude_labels = {"Run", "Span", "Time zone", "P1", "P2", "P3",
                                                     "Grid", "Aspects", "Orbs", "Partners",
                                                     "Time window", "Ephemeris", "Rows"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    RunRequest request;
    request.kind = c.kind;
    request.data_folder = folder.path();
    request.save = false;
    RunSettings& s = request.settings;
    s.txtStartDate = c.start;
    s.txtEndDate = c.end;
    s.txtTZ = "-5.5";
    s.txtAspectOrb1 = "2.5";
    s.chkUseP3 = c.triple;
    s.chkUseMidpoints = c.midpoints;
    s.chkEnableTimePeriod = c.time_window;
    s.chkInclude15DegAspects = c.grid15;
    s.txtAspectSet = c.aspects;
    s.opt3_ghd = Centre::Helio;
    s.chkP1Planets = BodyList({idxSun, 4});
    s.chkP2Planets = s.chkP3Planets = BodyList({5, 6, kSedna});
    const RunOutcome out = RunOnLibrary(request);
    ASSERT_EQ(out.status, RunOutcome::Status::Done);
    const std::vector<SummaryField> fields = RunSummary(c.kind, s, RegionalFormat{}, out);

    std::vector<std::string> labels;
    for (const SummaryField& f : fields) labels.push_back(f.label);
    std::vector<std::string> wanted = longitude_labels;
    if (!c.triple) std::erase(wanted, "P3");
    if (c.kind == ScanKind::Declination) std::erase(wanted, "Orbs");
    EXPECT_EQ(labels, wanted);
    for (const auto& [label, part] : c.says) {
      EXPECT_NE(Field(fields, label).find(part), std::string::npos)
          << label << ": " << Field(fields, label);
    }
    const std::string rows = Field(fields, "Rows");
    if (out.rows.size() == out.found_count) {
      EXPECT_EQ(rows, std::to_string(out.rows.size()));
    } else {
      EXPECT_EQ(rows, std::to_string(out.rows.size()) + " of " + std::to_string(out.found_count) +
                          " found, the others outside the aspect set");
    }
    EXPECT_TRUE(RunSummaryText(fields, "\r\n").starts_with("Run: " + fields[0].value + "\r\nSpan: "));
  }
}

// A body computed from files in one centre and left out in the other is named with each.
TEST(run_summary, a_body_with_two_sources_is_named_with_its_centres) {
  RunOutcome out;
  out.sources = {{kChiron, Centre::Geo, BodySource::Kind::Files, ""},
                 {kChiron, Centre::Helio, BodySource::Kind::LeftOut, "no file"},
                 {kSedna, Centre::Geo, BodySource::Kind::OrbitalElements, ""},
                 {kSedna, Centre::Helio, BodySource::Kind::OrbitalElements, ""}};
  const std::vector<SummaryField> fields = RunSummary(ScanKind::Longitude, RunSettings{}, RegionalFormat{}, out);
  EXPECT_EQ(Field(fields, "Ephemeris"),
            "Swiss Ephemeris files: Chiron (geocentric); orbital elements: Sedna; "
            "left out: Chiron (heliocentric)");
}

}  // namespace
}  // namespace tarnwick
