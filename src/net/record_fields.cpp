#include "net/record_fields.h"

#include <algorithm>
#include <cstring>

namespace net {
namespace {

bool Inside(std::size_t recordSize, std::size_t offset, std::size_t width) {
  return offset <= recordSize && width <= recordSize - offset;
}

std::uint32_t ReadLittleEndian(std::span<const std::uint8_t> record, std::size_t offset,
                               std::size_t bytes) {
  if (!Inside(record.size(), offset, bytes))
    return 0;
  std::uint32_t value = 0;
  for (std::size_t i = bytes; i-- > 0;)
    value = (value << 8) | record[offset + i];
  return value;
}

bool WriteLittleEndian(std::span<std::uint8_t> record, std::size_t offset, std::size_t bytes,
                       std::uint32_t value) {
  if (!Inside(record.size(), offset, bytes))
    return false;
  for (std::size_t i = 0; i < bytes; ++i)
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  return true;
}

}  // namespace

std::uint8_t RecordU8(std::span<const std::uint8_t> record, std::size_t offset) {
  return static_cast<std::uint8_t>(ReadLittleEndian(record, offset, 1));
}

std::uint16_t RecordU16(std::span<const std::uint8_t> record, std::size_t offset) {
  return static_cast<std::uint16_t>(ReadLittleEndian(record, offset, 2));
}

std::uint32_t RecordU32(std::span<const std::uint8_t> record, std::size_t offset) {
  return ReadLittleEndian(record, offset, 4);
}

std::uint32_t RecordAddress(std::span<const std::uint8_t> record, std::size_t offset) {
  if (!Inside(record.size(), offset, 4))
    return 0;
  std::uint32_t address = 0;
  for (std::size_t i = 0; i < 4; ++i)
    address = (address << 8) | record[offset + i];
  return address;
}

std::string RecordText(std::span<const std::uint8_t> record, std::size_t offset,
                       std::size_t width) {
  if (!Inside(record.size(), offset, width))
    return {};
  const auto field = record.subspan(offset, width);
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

bool SetRecordU8(std::span<std::uint8_t> record, std::size_t offset, std::uint8_t value) {
  return WriteLittleEndian(record, offset, 1, value);
}

bool SetRecordU16(std::span<std::uint8_t> record, std::size_t offset, std::uint16_t value) {
  return WriteLittleEndian(record, offset, 2, value);
}

bool SetRecordU32(std::span<std::uint8_t> record, std::size_t offset, std::uint32_t value) {
  return WriteLittleEndian(record, offset, 4, value);
}

bool SetRecordAddress(std::span<std::uint8_t> record, std::size_t offset, std::uint32_t address) {
  if (!Inside(record.size(), offset, 4))
    return false;
  for (std::size_t i = 0; i < 4; ++i)
    record[offset + i] = static_cast<std::uint8_t>(address >> (24 - 8 * i));
  return true;
}

bool SetRecordText(std::span<std::uint8_t> record, std::size_t offset, std::size_t width,
                   std::string_view text) {
  if (!Inside(record.size(), offset, width) || !FitsRecordText(text, width))
    return false;
  std::uint8_t* field = record.data() + offset;
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), text.size());
  return true;
}

}  // namespace net
