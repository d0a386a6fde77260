// Typed access to the fields of a configuration record as it travels: numbers little-endian,
// addresses with their first octet in the first byte, texts in fixed-width fields.
//
// A field that does not lie wholly inside the record reads as 0 or "" and is never written.
// A text is read up to its first zero byte within the field's width (a field without a zero
// gives all its bytes), never beyond. A text is written zero-filled and always leaves room for
// its terminator: a text of width bytes or more is refused, never cut or spilled into the next
// field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "net/config_record_layout.h"

namespace net {

std::uint8_t RecordU8(std::span<const std::uint8_t> record, std::size_t offset);
std::uint16_t RecordU16(std::span<const std::uint8_t> record, std::size_t offset);
std::uint32_t RecordU32(std::span<const std::uint8_t> record, std::size_t offset);
// Four bytes, the first one the most significant octet (192.168.1.2 is 0xC0A80102).
std::uint32_t RecordAddress(std::span<const std::uint8_t> record, std::size_t offset);
std::string RecordText(std::span<const std::uint8_t> record, std::size_t offset, std::size_t width);

bool SetRecordU8(std::span<std::uint8_t> record, std::size_t offset, std::uint8_t value);
bool SetRecordU16(std::span<std::uint8_t> record, std::size_t offset, std::uint16_t value);
bool SetRecordU32(std::span<std::uint8_t> record, std::size_t offset, std::uint32_t value);
bool SetRecordAddress(std::span<std::uint8_t> record, std::size_t offset, std::uint32_t address);
// False (record unchanged) when the text does not fit in width - 1 bytes or the field does not
// lie inside the record.
bool SetRecordText(std::span<std::uint8_t> record, std::size_t offset, std::size_t width,
                   std::string_view text);
inline std::string RecordText(std::span<const std::uint8_t> record, cfg::TextField field) {
  return RecordText(record, field.offset, field.width);
}
inline bool SetRecordText(std::span<std::uint8_t> record, cfg::TextField field,
                          std::string_view text) {
  return SetRecordText(record, field.offset, field.width, text);
}
// Whether text fits a field of width bytes with its terminator.
constexpr bool FitsRecordText(std::string_view text, std::size_t width) {
  return width > 0 && text.size() <= width - 1;
}

}  // namespace net
