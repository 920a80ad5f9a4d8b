#include "calendar.h"

#include <charconv>
#include <cmath>

#include "number_text.h"

namespace tarnwick {

namespace {

// The year's digits, "-" before a negative (astronomical) year, as std::to_string writes them.
void AppendYear(std::string& out, int year) {
  char buf[16];
  const auto written = std::to_chars(buf, buf + sizeof buf, year);
  out.append(buf, written.ptr);
}

}  // namespace

void AppendDateText(std::string& out, const CalendarDate& d, DateOrder order) {
  // The fields in the order's sequence: y year, m month, d day.
  const char* fields = order == DateOrder::YearMonthDay   ? "ymd"
                       : order == DateOrder::DayMonthYear ? "dmy"
                                                          : "mdy";
  for (const char* f = fields; *f; ++f) {
    if (f != fields) out += '/';
    if (*f == 'y') {
      AppendYear(out, d.year);
    } else {
      AppendTwoDigits(out, *f == 'm' ? d.month : d.day);
    }
  }
}

void AppendClockText(std::string& out, int hour, int minute) {
  AppendTwoDigits(out, hour);
  out += ':';
  AppendTwoDigits(out, minute);
}

double ConvertDatetoJD(int month, int day, int year) {
  const double a = (year + 4800.0) * 12.0 + month - 3.0;
  const double b = (2.0 * (a - 12.0 * std::floor(a / 12.0)) + 7.0 + 365.0 * a) / 12.0;
  double j = std::floor(b) + day + std::floor(a / 48.0) - 32083.0;  // Julian calendar day number
  if (j > 2299171.0) {  // after 15 October 1582: Gregorian correction
    j = j + std::floor(a / 4800.0) - std::floor(a / 1200.0) + 38.0;
  }
  return j - 0.5;
}

CalendarDate CalendarDateFromJD(double jd) {
  double l = std::floor(jd + 0.5) + 68569.0;
  const double n = std::floor(4.0 * l / 146097.0);
  l = l - std::floor((146097.0 * n + 3.0) / 4.0);
  const double i = std::floor(4000.0 * (l + 1.0) / 1461001.0);
  l = l - std::floor(1461.0 * i / 4.0) + 31.0;
  const double j = std::floor(80.0 * l / 2447.0);
  const double day = l - std::floor(2447.0 * j / 80.0);
  l = std::floor(j / 11.0);
  const double month = j + 2.0 - 12.0 * l;
  const double year = 100.0 * (n - 49.0) + i + l;
  return {static_cast<int>(month), static_cast<int>(day), static_cast<int>(year)};
}

std::string ConvertJDtoDate(double jd, DateOrder order) {
  std::string text;
  AppendDateText(text, CalendarDateFromJD(jd), order);
  return text;
}

double ConvertHourstoHoursMinutes(double hours) {
  const double whole = std::floor(hours);
  return whole + (hours - whole) * 60.0 / 100.0;
}

int Days_in_Month(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
  }
  return kDays[month - 1];
}

LocalClock LocalClockAt(double jd_ut, double tz_hours) {
  const double local = jd_ut - tz_hours / 24.0;
  const CalendarDate date = CalendarDateFromJD(local);
  const double midnight = ConvertDatetoJD(date.month, date.day, date.year);
  const double hm = ConvertHourstoHoursMinutes((local - midnight) * 24.0);
  int hour = static_cast<int>(std::floor(hm));
  // Minutes rounded to the nearest whole number, exact halves to the even one.
  int minute = static_cast<int>(std::nearbyint((hm - hour) * 100.0));
  if (minute == 60) {
    minute = 0;
    hour += 1;
  }
  if (hour == 24 && minute == 0) {
    // From 23:59:30 on the rounded clock reads 24:00: that is midnight of the next day.
    return {CalendarDateFromJD(midnight + 1.0), 0, 0};
  }
  return {date, hour, minute};
}

DateAndTimeText ConvertJDtoDateandTime(double jd_ut, double tz_hours, DateOrder order) {
  const LocalClock clock = LocalClockAt(jd_ut, tz_hours);
  DateAndTimeText text;
  AppendDateText(text.date, clock.date, order);
  AppendClockText(text.time, clock.hour, clock.minute);
  return text;
}

}  // namespace tarnwick
