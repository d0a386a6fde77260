// The 75 rows of the time-zone list of the SNTP page, in the order whose row index the server
// stores. Row i shows string 8448 + i, "(GMT-03:30) Newfoundland" and the like, and the zone's
// offset is read from that text: "(GMT)" is 0, "(GMT-03:30)" is -3 h -30 min.
#pragma once

#include <QString>
#include <optional>

namespace syscfg {

inline constexpr int kTimeZoneCount = 75;
inline constexpr int kFirstTimeZoneString = 8448;

struct ZoneOffset {
  int hours = 0;    // signed
  int minutes = 0;  // signed, with the sign of the hours
  friend bool operator==(const ZoneOffset&, const ZoneOffset&) = default;
};

// The offset at the start of a zone text; nullopt when it does not start with "(GMT)" or
// "(GMT+hh:mm)" / "(GMT-hh:mm)" with hh 0..14 and mm 0..59.
std::optional<ZoneOffset> ParseZoneOffset(const QString& text);

QString TimeZoneText(int row);
// The offset of a row; {0, 0} for a row outside the list.
ZoneOffset TimeZoneOffset(int row);

}  // namespace syscfg
