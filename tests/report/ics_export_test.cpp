#include "report/ics_export.h"

#include <gtest/gtest.h>

#include "core/calendar.h"

namespace tarnwick {
namespace {

FoundAspect Row(std::array<int, 3> body, std::array<double, 3> position,
                std::array<Centre, 3> centre = {Centre::Geo, Centre::Geo, Centre::Geo}) {
  FoundAspect row;
  row.body = body;
  row.position = position;
  row.centre = centre;
  row.jd_ut = ConvertDatetoJD(3, 31, 2024) + 0.5;
  return row;
}

// Summaries a person reads in a calendar, for each kind of run. Bodies: 0 Sun, 1 Moon,
// 3 Venus, 4 Mars, 6 Saturn.
TEST(ics, summaries_name_bodies_and_aspect) {
  RunSettings two;
  two.chkUseP3 = false;
  RunSettings mp;  // triple, midpoints
  RunSettings md = mp;
  md.chkUseMidpoints = false;
  RunSettings ra = two;
  ra.chkUse_RA = true;
  RunSettings lat = two;
  lat.chkUseGeoLat = true;
  constexpr Centre g = Centre::Geo, h = Centre::Helio;
  struct Case {
    const char* name;
    ScanKind kind;
    const RunSettings* settings;
    FoundAspect row;
    std::string summary;
  };
  const Case cases[] = {
      {"square", ScanKind::Longitude, &two, Row({0, 4, 4}, {10, 100, 100}), "Sun 90° Mars"},
      {"across 0 Aries", ScanKind::Longitude, &two, Row({0, 4, 4}, {350, 5, 5}), "Sun 15° Mars"},
      {"opposition", ScanKind::Longitude, &two, Row({0, 4, 4}, {200, 20, 20}), "Sun 180° Mars"},
      {"heliocentric role", ScanKind::Longitude, &two, Row({3, 4, 4}, {10, 70, 70}, {h, h, h}),
       "Venus (h) 60° Mars (h)"},
      {"midpoint", ScanKind::Longitude, &mp, Row({1, 4, 6}, {50, 40, 60}), "Moon 0° Mars/Saturn midpoint"},
      {"midpoint, far side", ScanKind::Longitude, &mp, Row({1, 4, 6}, {230, 40, 60}, {g, g, g}),
       "Moon 180° Mars/Saturn midpoint"},
      {"mid-degree", ScanKind::Longitude, &md, Row({1, 4, 6}, {50, 40, 60}), "Moon at the Mars/Saturn mid-degree"},
      {"right ascension", ScanKind::Longitude, &ra, Row({0, 3, 3}, {10, 10, 10}), "Sun 0° Venus in right ascension"},
      {"parallel", ScanKind::Declination, &two, Row({0, 3, 3}, {-12.5, -12.5, -12.5}), "Sun parallel Venus"},
      {"contra-parallel", ScanKind::Declination, &two, Row({0, 1, 1}, {12.5, -12.5, -12.5}),
       "Sun contra-parallel Moon"},
      {"latitude", ScanKind::Declination, &lat, Row({0, 3, 3}, {1, 1, 1}), "Sun parallel Venus in latitude"},
      {"declination midpoint", ScanKind::Declination, &mp, Row({0, 4, 6}, {-2, -10, 6}),
       "Sun parallel Mars/Saturn midpoint"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventSummary(c.row, c.kind, *c.settings), c.summary) << c.name;
  }
}

// The calendar as libical writes it: one VEVENT per row, UTC start at the minute and an end
// one minute later, CR LF line ends (RFC 5545 section 3.1). The independent parse is the
// script test report_ics_parses_independently.
TEST(ics, calendar_has_one_minute_events_in_utc) {
  RunSettings s;
  s.chkUseP3 = false;
  s.txtTZ = "Europe/Berlin";
  FoundAspect a = Row({0, 4, 4}, {10, 100, 100});
  a.jd_ut = ConvertDatetoJD(10, 27, 2024) + (30.0 + 20.0 / 60) / 1440;  // 00:30:20 UT
  FoundAspect b = a;
  b.jd_ut += 1.0 / 24;  // 01:30:20 UT, the same clock time an hour later
  const std::string ics = RunIcs({a, b}, ScanKind::Longitude, s, *NamedZone("Europe/Berlin"), RegionalFormat{}, 0);
  auto count = [&ics](const std::string& what) {
    size_t n = 0;
    for (size_t at = 0; (at = ics.find(what, at)) != std::string::npos; at += what.size()) ++n;
    return n;
  };
  EXPECT_EQ(count("BEGIN:VEVENT\r\n"), 2u);
  EXPECT_EQ(count("DTSTART:20241027T003000Z\r\n"), 1u);
  EXPECT_EQ(count("DTEND:20241027T003100Z\r\n"), 1u);
  EXPECT_EQ(count("DTSTART:20241027T013000Z\r\n"), 1u);
  EXPECT_EQ(count("X-WR-CALNAME:"), 1u);
  // The two showings of 02:30 told apart by their offsets.
  EXPECT_EQ(count("2024-10-27T02:30+02:00"), 1u);
  EXPECT_EQ(count("2024-10-27T02:30+01:00"), 1u);
  EXPECT_EQ(count("\n"), count("\r\n"));
}

SkyEvent Event(EventKind kind, int body, int detail, int direction) {
  SkyEvent e;
  e.kind = kind;
  e.body = body;
  e.detail = detail;
  e.direction = direction;
  e.jd_ut = ConvertDatetoJD(3, 31, 2024) + 0.5;
  return e;
}

// Sky events as a person reads them in a calendar. Bodies: 0 Sun, 1 Moon, 2 Mercury, 4 Mars.
TEST(ics, sky_event_summaries_say_what_happens) {
  SkyEvent eclipse_full = Event(EventKind::Lunation, 1, 2, 0);
  eclipse_full.eclipse = EclipseKind::LunarTotal;
  SkyEvent eclipse = Event(EventKind::Eclipse, 0, 0, 0);
  eclipse.eclipse = EclipseKind::SolarAnnular;
  SkyEvent helio = Event(EventKind::Ingress, 4, 3, 1);
  helio.centre = Centre::Helio;
  const struct {
    const char* name;
    SkyEvent event;
    std::string summary;
  } cases[] = {
      {"retrograde station", Event(EventKind::Station, 2, -1, -1), "Mercury turns retrograde"},
      {"direct station", Event(EventKind::Station, 2, 1, 1), "Mercury turns direct"},
      {"ingress", Event(EventKind::Ingress, 0, 0, 1), "Sun enters Aries"},
      {"ingress backward", Event(EventKind::Ingress, 2, 11, -1), "Mercury enters Pisces (retrograde)"},
      {"heliocentric ingress", helio, "Mars (h) enters Cancer"},
      {"new moon", Event(EventKind::Lunation, 1, 0, 0), "New moon"},
      {"last quarter", Event(EventKind::Lunation, 1, 3, 0), "Last quarter"},
      {"full moon with eclipse", eclipse_full, "Full moon, total lunar eclipse"},
      {"eclipse", eclipse, "Annular solar eclipse"},
      {"out of bounds", Event(EventKind::OutOfBounds, 1, 1, -1), "Moon out of bounds south"},
      {"back in bounds", Event(EventKind::OutOfBounds, 4, -1, 1), "Mars back in bounds from north"},
      {"void", Event(EventKind::VoidOfCourse, 1, 5, 0), "Moon void of course"},
  };
  for (const auto& c : cases) EXPECT_EQ(SkyEventSummary(c.event), c.summary) << c.name;
}

// A UID names the event, not the moment it was found: the same for a row or a sky event found
// again seconds later within its minute, different for whatever makes it another event.
TEST(ics, uid_is_stable_for_the_same_event_and_differs_for_another) {
  RunSettings s;
  s.chkUseP3 = false;
  const auto uid = [&s](const FoundAspect& r, ScanKind k = ScanKind::Longitude) { return EventUid(r, k, s); };
  const FoundAspect row = Row({0, 4, 4}, {10, 100, 100});
  EXPECT_EQ(uid(row), "20240331T1200Z-lon-0g-4g-90@tarnwick");
  FoundAspect later = row, next_minute = row, other_body = row, helio = row, other_angle = row;
  later.jd_ut += 10.0 / 86400;
  next_minute.jd_ut += 1.0 / 1440;
  other_body.body = {0, 5, 5};
  helio.centre = {Centre::Geo, Centre::Helio, Centre::Helio};
  other_angle.position = {10, 130, 130};
  EXPECT_EQ(uid(later), uid(row));
  for (const FoundAspect* other : {&next_minute, &other_body, &helio, &other_angle}) EXPECT_NE(uid(*other), uid(row));
  EXPECT_NE(uid(row, ScanKind::Declination), uid(row));

  const SkyEvent station = Event(EventKind::Station, 2, -1, -1);
  SkyEvent e_later = station, e_next = station, e_body = station, e_kind = station, e_way = station, e_helio = station;
  e_later.jd_ut += 20.0 / 86400;
  e_next.jd_ut += 1.0 / 1440;
  e_body.body = 4;
  e_kind.kind = EventKind::Ingress;
  e_way.detail = e_way.direction = 1;
  e_helio.centre = Centre::Helio;
  EXPECT_EQ(SkyEventUid(e_later), SkyEventUid(station));
  for (const SkyEvent* other : {&e_next, &e_body, &e_kind, &e_way, &e_helio}) EXPECT_NE(SkyEventUid(*other), SkyEventUid(station));
  // Two ingresses of one body in one minute (back and forth over a cusp) are two events.
  EXPECT_NE(SkyEventUid(Event(EventKind::Ingress, 2, 0, 1)), SkyEventUid(Event(EventKind::Ingress, 2, 11, -1)));
}

// Events join the rows in the calendar by moment, a minute long each, the void of course from
// its start to its end; each VEVENT once, its UID unique in the file.
TEST(ics, calendar_holds_the_sky_events_among_the_rows) {
  RunSettings s;
  s.chkUseP3 = false;
  const FoundAspect row = Row({0, 4, 4}, {10, 100, 100});  // 03/31/2024 12:00 UT
  SkyEvent before = Event(EventKind::Station, 2, -1, -1);
  before.jd_ut -= 1.0 / 24;  // 11:00
  SkyEvent same = Event(EventKind::Lunation, 1, 3, 0);  // 12:00, after the aspect
  SkyEvent voc = Event(EventKind::VoidOfCourse, 1, 2, 0);
  voc.jd_ut += 2.0 / 24;                 // 14:00
  voc.end_jd_ut = voc.jd_ut + 0.25;      // 20:00
  const std::string ics =
      RunIcs({row}, ScanKind::Longitude, s, *FixedOffsetZone(0.0), RegionalFormat{}, 0, {before, same, voc});
  const auto at = [&ics](const std::string& what) { return ics.find(what); };
  const auto count = [&ics](const std::string& what) {
    size_t n = 0;
    for (size_t i = 0; (i = ics.find(what, i)) != std::string::npos; i += what.size()) ++n;
    return n;
  };
  EXPECT_EQ(count("BEGIN:VEVENT\r\n"), 4u);
  const size_t station = at("SUMMARY:Mercury turns retrograde"), aspect = at("SUMMARY:Sun 90"),
               quarter = at("SUMMARY:Last quarter"), void_ = at("SUMMARY:Moon void of course");
  ASSERT_NE(void_, std::string::npos);
  EXPECT_TRUE(station < aspect && aspect < quarter && quarter < void_) << ics;
  EXPECT_EQ(count("DTSTART:20240331T110000Z\r\nDTEND:20240331T110100Z"), 1u) << ics;
  EXPECT_EQ(count("DTSTART:20240331T140000Z\r\nDTEND:20240331T200000Z"), 1u) << ics;
  for (const SkyEvent* e : {&before, &same, &voc}) EXPECT_EQ(count("UID:" + SkyEventUid(*e) + "\r\n"), 1u);
  // The description is the event's report line.
  EXPECT_EQ(count("DESCRIPTION:g. Moon     lunation"), 1u) << ics;
}

}  // namespace
}  // namespace tarnwick
