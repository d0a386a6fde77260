#include "app/ip_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "app/app_seams.h"
#include "platform/folders.h"

namespace app {
namespace {

constexpr std::size_t kUserAt = 4;
constexpr std::size_t kAddressCheckAt = 132;
constexpr std::size_t kAddressAt = 136;
constexpr std::size_t kRemarkCheckAt = 264;
constexpr std::size_t kRemarkAt = 268;
constexpr std::size_t kPortAt = 396;
// A file larger than this many records is not an address book.
constexpr std::size_t kMaxFileBytes = 4u << 20;

std::uint32_t ReadU32(std::span<const std::uint8_t> record, std::size_t at) {
  return static_cast<std::uint32_t>(record[at]) |
         (static_cast<std::uint32_t>(record[at + 1]) << 8) |
         (static_cast<std::uint32_t>(record[at + 2]) << 16) |
         (static_cast<std::uint32_t>(record[at + 3]) << 24);
}

void WriteU32(std::span<std::uint8_t> record, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string ReadText(std::span<const std::uint8_t> record, std::size_t at) {
  const auto field = record.subspan(at, kIPRecordTextBytes);
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

void WriteText(std::span<std::uint8_t> record, std::size_t at, std::string_view text) {
  const std::size_t length = std::min(text.size(), kIPRecordTextBytes);
  std::memcpy(record.data() + at, text.data(), length);
}

}  // namespace

std::optional<std::vector<IPRecord>> ReadIPRecords(std::span<const std::uint8_t> bytes) {
  std::vector<IPRecord> records;
  const std::size_t count = bytes.size() / kIPRecordBytes;
  records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto record = bytes.subspan(i * kIPRecordBytes, kIPRecordBytes);
    if (ReadU32(record, 0) != kIPRecordUseCheck ||
        ReadU32(record, kAddressCheckAt) != kIPRecordAddressCheck ||
        ReadU32(record, kRemarkCheckAt) != kIPRecordRemarkCheck) {
      return std::nullopt;
    }
    IPRecord entry;
    entry.user = ReadText(record, kUserAt);
    entry.address = ReadText(record, kAddressAt);
    entry.remark = ReadText(record, kRemarkAt);
    entry.port = static_cast<std::uint16_t>(record[kPortAt] | (record[kPortAt + 1] << 8));
    records.push_back(std::move(entry));
  }
  return records;
}

std::vector<std::uint8_t> WriteIPRecords(std::span<const IPRecord> records) {
  std::vector<std::uint8_t> bytes(records.size() * kIPRecordBytes, 0);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto record = std::span<std::uint8_t>(bytes).subspan(i * kIPRecordBytes, kIPRecordBytes);
    const IPRecord& entry = records[i];
    WriteU32(record, 0, kIPRecordUseCheck);
    WriteText(record, kUserAt, entry.user);
    WriteU32(record, kAddressCheckAt, kIPRecordAddressCheck);
    WriteText(record, kAddressAt, entry.address);
    WriteU32(record, kRemarkCheckAt, kIPRecordRemarkCheck);
    WriteText(record, kRemarkAt, entry.remark);
    record[kPortAt] = static_cast<std::uint8_t>(entry.port & 0xFF);
    record[kPortAt + 1] = static_cast<std::uint8_t>(entry.port >> 8);
  }
  return bytes;
}

std::optional<std::uint16_t> ParseIPRecordPort(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 5)
    return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value > 65535)
    return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

CIPRecordFile::CIPRecordFile() : CIPRecordFile(&platform::WriteFileAtomically) {}

CIPRecordFile::CIPRecordFile(Writer writer) : m_writer(std::move(writer)) {}

CIPRecordFile::OpenResult CIPRecordFile::Open(const std::filesystem::path& path) {
  m_path = path;
  m_records.clear();
  m_held = false;
  // Opened for reading and writing, created when missing, as the dialog needs to write it back.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    TraceLine("Create File failed \n");
    return OpenResult::CannotOpen;
  }
  ::close(fd);
  const auto bytes = platform::ReadWholeFile(path, kMaxFileBytes);
  if (!bytes)
    return OpenResult::Bad;
  auto records = ReadIPRecords(*bytes);
  if (!records)
    return OpenResult::Bad;
  m_records = std::move(*records);
  m_held = true;
  return OpenResult::Opened;
}

bool CIPRecordFile::Save(std::span<const IPRecord> records) {
  if (!m_held)
    return true;
  const std::vector<std::uint8_t> image = WriteIPRecords(records);
  if (!m_writer || !m_writer(m_path, image)) {
    TraceLine("Write the record file is failed \n");
    return false;
  }
  return true;
}

std::filesystem::path IPRecordPath(const std::filesystem::path& programFolder) {
  return programFolder / kIPRecordFileName;
}

}  // namespace app
