#!/usr/bin/env python3
"""Reads the runner's calendar with python3-icalendar, a parser that shares no code with the
libical writer: one event per CSV row of the same run, each starting at that row's UTC
moment rounded to the minute and lasting one minute, UIDs unique within a run and the same
in a second run over an overlapping span; sky events there too. Usage: ics_parses_independently.py TARNWICK_CLI
Exit 77 (skipped) when the icalendar module is missing."""
import csv
import datetime
import os
import subprocess
import sys
import tempfile

try:
    import icalendar
except ImportError:
    print("python3-icalendar is not installed; skipped")
    sys.exit(77)

CLI = sys.argv[1]
BODIES = ["--triple", "0", "--p1", "0-9", "--p2", "0-9", "--no-save", "--tz", "Europe/Berlin"]


def run(fmt, start, end, out):
    subprocess.run([CLI, "--format", fmt, "--output", out, "--start", start, "--end", end] + BODIES,
                   check=True, stderr=subprocess.DEVNULL)


def events(path):
    with open(path, "rb") as f:
        cal = icalendar.Calendar.from_ical(f.read())
    assert str(cal.get("X-WR-CALNAME", "")).startswith("Tarnwick longitude"), cal.get("X-WR-CALNAME")
    return [c for c in cal.walk() if c.name == "VEVENT"]


def minute(utc_text):
    t = datetime.datetime.strptime(utc_text, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=datetime.timezone.utc)
    return t.replace(second=0) + datetime.timedelta(minutes=1 if t.second >= 30 else 0)


failures = []
with tempfile.TemporaryDirectory() as d:
    ics, rows_csv, later = (os.path.join(d, n) for n in ("a.ics", "a.csv", "b.ics"))
    run("ics", "10/25/2024", "10/28/2024", ics)
    run("csv", "10/25/2024", "10/28/2024", rows_csv)
    run("ics", "10/27/2024", "10/30/2024", later)
    evs = events(ics)
    with open(rows_csv, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    if len(evs) != len(rows) or len(rows) < 20:
        failures.append(f"{len(evs)} events for {len(rows)} rows")
    for ev, row in zip(evs, rows):
        start, end = ev.decoded("DTSTART"), ev.decoded("DTEND")
        if start.utcoffset() != datetime.timedelta(0):
            failures.append(f"{ev['UID']}: start not in UTC")
        if start != minute(row["utc"]):
            failures.append(f"{ev['UID']}: starts {start}, the row's moment is {row['utc']}")
        if end - start != datetime.timedelta(minutes=1):
            failures.append(f"{ev['UID']}: lasts {end - start}")
        if not str(ev["SUMMARY"]).startswith(row["p1"] + " "):
            failures.append(f"{ev['UID']}: summary {ev['SUMMARY']!r} does not begin with {row['p1']}")
        if row["local_time"] not in str(ev["DESCRIPTION"]):
            failures.append(f"{ev['UID']}: description lacks {row['local_time']}")
    uids = [str(e["UID"]) for e in evs]
    if len(set(uids)) != len(uids):
        failures.append("UIDs repeat within one calendar")
    # The overlap (27 and 28 October, local days) holds the same events under the same UIDs.
    first = {str(e["UID"]): e.decoded("DTSTART") for e in evs}
    second = {str(e["UID"]): e.decoded("DTSTART") for e in events(later)}
    overlap_start = datetime.datetime(2024, 10, 26, 22, 0, tzinfo=datetime.timezone.utc)
    in_first = {u for u, t in first.items() if t >= overlap_start}
    in_second = {u for u, t in second.items() if t < datetime.datetime(2024, 10, 28, 23, 0, tzinfo=datetime.timezone.utc)}
    if not in_first or in_first != in_second:
        failures.append(f"overlap: {len(in_first)} events in the first run, {len(in_second)} in the second, "
                        f"{len(in_first ^ in_second)} UIDs differ")

    # Sky events among the rows: the eclipses of February 2008 at their lunations (published:
    # annular solar 7 Feb, total lunar 21 Feb), Mercury's station, the void-of-course Moon
    # lasting from its start to its ingress (less than the Moon's three days in a sign).
    sky = os.path.join(d, "sky.ics")
    subprocess.run([CLI, "--format", "ics", "--output", sky, "--start", "01/20/2008", "--end", "02/25/2008",
                    "--triple", "0", "--p1", "1,2", "--p2", "0,5", "--no-save", "--events", "stations,lunations,voc"],
                   check=True, stderr=subprocess.DEVNULL)
    with open(sky, "rb") as f:
        sky_evs = [c for c in icalendar.Calendar.from_ical(f.read()).walk() if c.name == "VEVENT"]
    summaries = [str(e["SUMMARY"]) for e in sky_evs]
    for want, day in (("New moon, annular solar eclipse", 7), ("Full moon, total lunar eclipse", 21),
                      ("Mercury turns retrograde", 28)):
        found = [e.decoded("DTSTART") for e in sky_evs if str(e["SUMMARY"]) == want]
        if len(found) != 1 or found[0].day != day:
            failures.append(f"{want!r}: {found}")
    voids = [e for e in sky_evs if str(e["SUMMARY"]) == "Moon void of course"]
    if len(voids) < 10:
        failures.append(f"{len(voids)} void-of-course events in five weeks")
    for e in voids:
        lasts = e.decoded("DTEND") - e.decoded("DTSTART")
        if not datetime.timedelta(minutes=1) <= lasts < datetime.timedelta(days=3):
            failures.append(f"{e['UID']}: the void lasts {lasts}")
    sky_uids = [str(e["UID"]) for e in sky_evs]
    if len(set(sky_uids)) != len(sky_uids):
        failures.append("UIDs repeat in the calendar with sky events")

for f in failures[:20]:
    print(f)
print(f"{len(evs)} events read, {len(failures)} failures")
sys.exit(1 if failures else 0)
