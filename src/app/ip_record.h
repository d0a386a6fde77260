// IPRecord.dat, the address book of the login window: one 400-byte record per server, no
// header, nothing between the records; the count is the file size divided by 400 (a shorter
// tail is ignored). Little-endian:
//   0  u32 0x12121212        4  user name (128 bytes, NUL-terminated, zero-filled)
//   132 u32 0x4C4C4C4C     136  server address (128 bytes)
//   264 u32 0x8A8A8A8A     268  remark (128 bytes)
//   396 u16 web port       398  u16 0
// Texts are read within their 128 bytes (a text that fills its field without a NUL is taken
// whole) and written back the same way, so a file read and written again keeps its bytes. The
// address book stores a text the operator enters in at most 127 bytes, ended within its field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr std::size_t kIPRecordBytes = 400;
inline constexpr std::size_t kIPRecordTextBytes = 128;
inline constexpr std::uint32_t kIPRecordUseCheck = 0x12121212u;      // dwCheckCodeForUse
inline constexpr std::uint32_t kIPRecordAddressCheck = 0x4C4C4C4Cu;  // before the address
inline constexpr std::uint32_t kIPRecordRemarkCheck = 0x8A8A8A8Au;   // before the remark
inline constexpr const char* kIPRecordFileName = "IPRecord.dat";

struct IPRecord {
  std::string user;
  std::string address;
  std::string remark;
  std::uint16_t port = 0;
  friend bool operator==(const IPRecord&, const IPRecord&) = default;
};

// The records of a file image, in order; nullopt when a check word of any record is wrong.
std::optional<std::vector<IPRecord>> ReadIPRecords(std::span<const std::uint8_t> bytes);
// The file image of the records.
std::vector<std::uint8_t> WriteIPRecords(std::span<const IPRecord> records);

// A port as the address book keeps it: the whole text is a decimal number 0..65535 (blanks
// around it allowed). nullopt for anything else, so "70000" or "abc" is never stored as a
// different port.
std::optional<std::uint16_t> ParseIPRecordPort(std::string_view text);

// The address-book file as a dialog holds it from opening to closing: opened (created when
// missing) and read at the start, rewritten whole when the dialog goes, unless it was bad.
class CIPRecordFile {
 public:
  enum class OpenResult { Opened, CannotOpen, Bad };
  // Writes the image over the file; false when it could not. The default writes a temporary
  // file in the same folder and renames it over the old one, so a failed write leaves the old
  // file whole. Tests pass a writer that fails.
  using Writer = std::function<bool(const std::filesystem::path&, std::span<const std::uint8_t>)>;

  CIPRecordFile();
  explicit CIPRecordFile(Writer writer);

  // Opens (creating) and reads the file. Opened: Records() holds its entries. CannotOpen and
  // Bad: nothing is held and the file is never written.
  OpenResult Open(const std::filesystem::path& path);
  bool IsHeld() const { return m_held; }
  const std::vector<IPRecord>& Records() const { return m_records; }
  const std::filesystem::path& Path() const { return m_path; }

  // Rewrites the held file with records. True when written (or nothing is held).
  bool Save(std::span<const IPRecord> records);

 private:
  Writer m_writer;
  std::filesystem::path m_path;
  std::vector<IPRecord> m_records;
  bool m_held = false;
};

// The file in the program folder.
std::filesystem::path IPRecordPath(const std::filesystem::path& programFolder);

}  // namespace app
