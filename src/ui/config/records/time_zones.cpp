#include "ui/config/records/time_zones.h"

#include "ui/common/string_table.h"

namespace syscfg {

std::optional<ZoneOffset> ParseZoneOffset(const QString& text) {
  if (text.startsWith(QLatin1String("(GMT)")))
    return ZoneOffset{};
  // "(GMT" sign hh ":" mm ")"
  if (text.size() < 11 || !text.startsWith(QLatin1String("(GMT")) || text.at(7) != ':' ||
      text.at(10) != ')') {
    return std::nullopt;
  }
  const QChar sign = text.at(4);
  if (sign != '+' && sign != '-')
    return std::nullopt;
  bool hoursOk = false, minutesOk = false;
  const int hours = text.mid(5, 2).toInt(&hoursOk);
  const int minutes = text.mid(8, 2).toInt(&minutesOk);
  if (!hoursOk || !minutesOk || !text.at(5).isDigit() || !text.at(8).isDigit() || hours > 14 ||
      minutes > 59) {
    return std::nullopt;
  }
  const int s = sign == '-' ? -1 : 1;
  return ZoneOffset{s * hours, s * minutes};
}

QString TimeZoneText(int row) {
  if (row < 0 || row >= kTimeZoneCount)
    return {};
  return ui::LoadString(kFirstTimeZoneString + row);
}

ZoneOffset TimeZoneOffset(int row) {
  return ParseZoneOffset(TimeZoneText(row)).value_or(ZoneOffset{});
}

}  // namespace syscfg
