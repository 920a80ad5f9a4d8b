#include "store/regional_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <string>

namespace tarnwick {

namespace {

enum class Field { None, Day, Month, Year };

Field FieldOf(char conversion) {
  switch (conversion) {
    case 'd': case 'e': return Field::Day;
    case 'm': case 'b': case 'B': case 'h': return Field::Month;
    case 'Y': case 'y': case 'C': case 'G': return Field::Year;
    default: return Field::None;
  }
}

// Expands the composite conversions into their parts.
std::string Expand(std::string_view format) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char c = format[i + 1];
      if (c == 'D') { out += "%m/%d/%y"; ++i; continue; }
      if (c == 'F') { out += "%Y-%m-%d"; ++i; continue; }
    }
    out += format[i];
  }
  return out;
}

bool IsSeparatorChar(unsigned char c) {
  return c < 0x80 && c > ' ' && !(c >= '0' && c <= '9') && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

}  // namespace

RegionalFormat RegionalFormatFromLocale(std::string_view date_format,
                                        std::string_view decimal_sign) {
  RegionalFormat out;
  if (decimal_sign.size() == 1) out.decimal_separator = decimal_sign[0];

  const std::string format = Expand(date_format);
  Field fields[3];
  std::string between[2];  // literal text between field 1 and 2, and 2 and 3
  int found = 0;
  for (size_t i = 0; i < format.size() && found < 3; ++i) {
    if (format[i] != '%') {
      if (found == 1 || found == 2) between[found - 1] += format[i];
      continue;
    }
    // Skip flags and width (glibc's "%-d", "%_m", "%Ey", "%Od").
    size_t j = i + 1;
    while (j < format.size() && std::string_view("-_0^#EO").find(format[j]) != std::string_view::npos) ++j;
    if (j >= format.size()) break;
    const Field f = FieldOf(format[j]);
    i = j;
    if (f == Field::None) return out;
    fields[found++] = f;
  }
  if (found != 3) return out;

  using enum Field;
  if (fields[0] == Month && fields[1] == Day && fields[2] == Year) {
    out.order = DateOrder::MonthDayYear;
  } else if (fields[0] == Day && fields[1] == Month && fields[2] == Year) {
    out.order = DateOrder::DayMonthYear;
  } else if (fields[0] == Year && fields[1] == Month && fields[2] == Day) {
    out.order = DateOrder::YearMonthDay;
  } else {
    return out;
  }
  if (between[0] == between[1] && between[0].size() == 1 &&
      IsSeparatorChar(static_cast<unsigned char>(between[0][0]))) {
    out.date_separator = between[0];
  }
  return out;
}

RegionalFormat Get_Regional_Settings() {
  // A private locale object made from the environment. The global C locale is no guide: the
  // runner leaves it "C", while QApplication sets it from the environment in the desktop
  // program, so every number conversion of the program is written not to depend on it.
  locale_t loc = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return {};
  const RegionalFormat out =
      RegionalFormatFromLocale(nl_langinfo_l(D_FMT, loc), nl_langinfo_l(RADIXCHAR, loc));
  freelocale(loc);
  return out;
}

}  // namespace tarnwick
