#include "engine/run_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>

#include "core/calendar.h"
#include "engine/scan.h"
#include "tests/engine/synthetic_provider.h"
#include "tests/support/report_pieces.h"

namespace tarnwick {
namespace {


// Positions are given from this moment (1 January 2008, 0h UT).
const double kEpoch = ConvertDatetoJD(1, 1, 2008);

// Counts how often each body and centre is judged.
struct CountingProvider final : SyntheticProvider {
  using SyntheticProvider::SyntheticProvider;
  std::map<std::pair<int, Centre>, int> judged;
  BodyAvailability Availability(int body, Centre centre, double jd) override {
    ++judged[{body, centre}];
    return SyntheticProvider::Availability(body, centre, jd);
  }
};

// Six bodies moving at distinct speeds, so that every pair meets on the grid now and then;
// declinations drift slowly enough to stay within 60 degrees over the spans below.
template <class Provider = SyntheticProvider>
std::unique_ptr<Provider> MovingBodies() {
  auto eph = std::make_unique<Provider>(kEpoch);
  eph->bodies = {{idxSun, {10.0, 0.9856, -20.0, 0.05}}, {kMercury, {50.0, 1.6, 10.0, -0.07}},
                 {kVenus, {200.0, 1.2, -5.0, 0.06}},    {kMars, {300.0, 0.52, 15.0, -0.04}},
                 {kJupiter, {123.0, 0.083, -8.0, 0.01}}, {kSaturn, {250.0, 0.033, 3.0, -0.005}}};
  return eph;
}

RunSettings TwoBodies(const char* start, const char* end) {
  const std::vector<int> five = {idxSun, kMercury, kVenus, kMars, kJupiter};
  return TwoBodySettings(five, five, start, end);
}

TEST(run_plan, each_body_is_judged_once_over_every_series) {
  const std::unique_ptr<CountingProvider> owner = MovingBodies<CountingProvider>();
  CountingProvider& eph = *owner;
  eph.unavailable = {kJupiter};
  RunSettings s = TwoBodies("12/01/2007", "12/31/2007");
  s.chkAutoCalc = true;  // three series: gg, gh, hh
  const PlannedRun planned = MakeRunPlan(ScanKind::Longitude, s, RegionalFormat{}, eph);
  ASSERT_TRUE(planned.plan.has_value());
  const RunPlan& plan = *planned.plan;
  ASSERT_EQ(plan.series.size(), 3u);
  // At the start and, for a body usable there, once more after the end; never again.
  for (const auto& [key, calls] : eph.judged) EXPECT_LE(calls, 2) << key.first;
  EXPECT_EQ(plan.judged.size(), eph.judged.size());
  for (const Combination& c : plan.combinations) EXPECT_FALSE(c.Involves(kJupiter));
  EXPECT_LT(static_cast<std::int64_t>(plan.combinations.size()), plan.admitted);
  const auto jupiter = std::ranges::find(plan.judged, kJupiter, &JudgedBody::body);
  ASSERT_NE(jupiter, plan.judged.end());
  EXPECT_NE(jupiter->availability.message.find("not found"), std::string::npos);
}

TEST(run_plan, centres_left_behind_and_numbers_read_once) {
  struct Row { const char* name; bool auto_calc, use_p3; Centre p2, p3, p3_after; };
  const Row rows[] = {
      {"two bodies: P3 takes P2's centre", false, false, Centre::Helio, Centre::Geo, Centre::Helio},
      {"triple: P3 keeps its own", false, true, Centre::Helio, Centre::Geo, Centre::Geo},
      {"series: all geocentric after it", true, true, Centre::Helio, Centre::Helio, Centre::Geo},
  };
  for (const Row& r : rows) {
    const std::unique_ptr<SyntheticProvider> eph = MovingBodies();
    RunSettings s = TwoBodies("12/01/2007", "12/03/2007");
    s.chkAutoCalc = r.auto_calc;
    s.chkUseP3 = r.use_p3;
    s.chkP3Planets = BodyList({kSaturn});
    s.opt2_ghd = r.p2;
    s.opt3_ghd = r.p3;
    s.txtAspectOrb1 = "2,5";  // a decimal-comma locale's orb
    s.txtTZ = "-5,5";
    const PlannedRun planned = MakeRunPlan(ScanKind::Longitude, s, {DateOrder::MonthDayYear, "/", ','}, *eph);
    ASSERT_TRUE(planned.plan.has_value()) << r.name;
    EXPECT_EQ(std::tuple(planned.plan->centres_after[2], planned.plan->orb1_deg, planned.plan->times.tz_hours),
              std::tuple(r.p3_after, 2.5f, -5.5)) << r.name;
  }
}

TEST(run_inputs, daily_time_window_in_minutes_of_the_shown_clock) {
  // "10.5" is ten to eleven, as the window reads it.
  for (const auto& [hours, minutes] : {std::pair{0.0, 0}, {10.30, 630}, {10.5, 650}, {23.59, 1439}, {24.0, 1440}})
    EXPECT_EQ(MinutesOfHoursMinutes(hours), minutes) << hours;

  // Local midnight of 1 December 2007 in zone 5, and moments around it in seconds.
  const double midnight = ConvertDatetoJD(12, 1, 2007) + 5.0 / 24.0;
  struct Row { const char* name; double seconds; int from, to; bool shown; };
  const Row rows[] = {
      {"23:59:40 reads 00:00 of the next day", -20.0, 0, 10, true},
      {"so it is not in the last hour", -20.0, 23 * 60, 23 * 60 + 59, false},
      {"23:59:20 reads 23:59", -40.0, 23 * 60, 23 * 60 + 59, true},
      {"bounds are inclusive", 10 * 3600.0 + 29.0, 600, 600, true},
      {"10:00:31 reads 10:01", 10 * 3600.0 + 31.0, 600, 600, false},
  };
  RunInputs in;
  in.tz_hours = 5.0;
  in.time_window = true;
  for (const Row& r : rows) {
    in.window_start_minute = r.from;
    in.window_end_minute = r.to;
    EXPECT_EQ(in.Shows(midnight + r.seconds / 86400.0), r.shown) << r.name;
  }
  EXPECT_TRUE(RunInputs{}.Shows(midnight));  // no window: every moment
}

constexpr auto kEarlier = [](const FoundAspect& a, const FoundAspect& b) { return a.jd_ut < b.jd_ut; };

TEST(scan_plan, rows_come_in_time_ordered_batches_alike_for_any_thread_count_until_cancelled) {
  ScanOptions options;
  options.worker_provider = [] { return MovingBodies(); };
  for (const ScanKind kind : {ScanKind::Longitude, ScanKind::Declination}) {
    const std::unique_ptr<SyntheticProvider> eph = MovingBodies();
    RunSettings s = TwoBodies("01/01/2008", "03/31/2009");
    s.chkAutoCalc = true;
    const PlannedRun planned = MakeRunPlan(kind, s, RegionalFormat{}, *eph);
    ASSERT_TRUE(planned.plan.has_value());
    // Rows of the plan as one sorted list: every combination's own scan, in scan order, then a
    // stable sort by moment, which is what the report has always listed.
    const RunPlan& plan = *planned.plan;
    FoundAspects expected;
    for (const Combination& c : plan.combinations) {
      const FoundAspects rows = ScanCombination(plan.kind, *eph, plan.ProblemOf(c), c, plan.times);
      expected.insert(expected.end(), rows.begin(), rows.end());
    }
    std::stable_sort(expected.begin(), expected.end(), kEarlier);
    ASSERT_GT(expected.size(), kind == ScanKind::Longitude ? 500u : 10u);
    for (const int threads : {1, 3}) {
      SCOPED_TRACE(threads);
      options.threads = threads;
      FoundAspects streamed;
      int batches = 0;
      bool in_order = true;
      const ScanOutcome out = ScanPlan(plan, *eph, [&](FoundAspects& batch) {
        ++batches;
        in_order = in_order && std::is_sorted(batch.begin(), batch.end(), kEarlier) &&
                   (streamed.empty() || streamed.back().jd_ut <= batch.front().jd_ut);
        streamed.insert(streamed.end(), batch.begin(), batch.end());
      }, options);
      EXPECT_EQ(std::pair(out.cancelled, in_order), std::pair(false, true));
      // Handed on stretch by stretch, not all at the end.
      EXPECT_GT(batches, kind == ScanKind::Longitude ? 10 : 2);
      EXPECT_EQ(RowKeys(streamed), RowKeys(expected));
      // Cancelled at the first batch: nothing more is handed on, on one thread or several.
      std::atomic<bool> cancel{false};
      ScanControl control;
      control.cancel = &cancel;
      batches = 0;
      EXPECT_TRUE(ScanPlan(plan, *eph, [&](FoundAspects&) { ++batches; cancel = true; }, options, control).cancelled);
      EXPECT_EQ(batches, 1);
    }
  }
}

}  // namespace
}  // namespace tarnwick
