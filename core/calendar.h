// Calendar arithmetic: calendar date <-> Julian day, month lengths, and the local date and
// time texts of an exact moment. Julian days are Universal Time; nothing here applies Delta T.
#pragma once

#include <string>

namespace tarnwick {

// A calendar date. month 1..12, day 1..31.
struct CalendarDate {
  int month = 1;
  int day = 1;
  int year = 2000;
  friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// Field order of a date text, as the user's regional settings give it.
enum class DateOrder { MonthDayYear = 0, DayMonthYear = 1, YearMonthDay = 2 };

// Julian day of 0h Universal Time of the date (a value ending in .5). Dates up to and
// including 15 October 1582 are counted in the Julian calendar, later ones in the Gregorian.
double ConvertDatetoJD(int month, int day, int year);

// Proleptic Gregorian date of the civil day that contains jd (days begin at jd .5).
CalendarDate CalendarDateFromJD(double jd);

// Date text of the civil day containing jd: two-digit month and day, the year's digits,
// joined by "/" in the given order ("12/01/2007", "01/12/2007", "2007/12/01").
std::string ConvertJDtoDate(double jd, DateOrder order);

// The same date text of a calendar date, appended to out.
void AppendDateText(std::string& out, const CalendarDate& date, DateOrder order);

// The clock text "HH:MM" (hour 0..23, minute 0..59, two digits each), appended to out.
void AppendClockText(std::string& out, int hour, int minute);

// Decimal hours to an hours.minutes number: 10.5 gives 10.30.
double ConvertHourstoHoursMinutes(double hours);

// Days of the month in the Gregorian calendar; month 12 gives 31.
int Days_in_Month(int year, int month);

// The local civil day and clock reading of an exact moment, to the minute.
struct LocalClock {
  CalendarDate date;  // proleptic Gregorian local date
  int hour = 0;       // 0..23
  int minute = 0;     // 0..59

  int MinuteOfDay() const { return hour * 60 + minute; }  // 0..1439
};

// The local date and clock of jd_ut (Julian day, Universal Time) with the clock rounded to the
// nearest minute, exact halves to the even minute; from 23:59:30 on it reads 00:00 of the next
// day. tz_hours: Universal Time = local time + tz_hours.
LocalClock LocalClockAt(double jd_ut, double tz_hours);

// Local date and time texts of an exact moment.
struct DateAndTimeText {
  std::string date;  // JDDateText: as ConvertJDtoDate writes it
  std::string time;  // JDTimeText: "HH:MM", local time, 24-hour clock
};

// Turns jd_ut (Julian day, Universal Time) into local date and time texts, the clock time
// rounded to the nearest minute. tz_hours is the time-zone value: Universal Time = local time
// + tz_hours (5 for a zone five hours behind Greenwich). A local time from 23:59:30 on is
// written "00:00" of the next day.
DateAndTimeText ConvertJDtoDateandTime(double jd_ut, double tz_hours, DateOrder order);

}  // namespace tarnwick
