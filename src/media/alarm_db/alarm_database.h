// The alarm database "AlarmData.dat" (u16 magic 0x9987, u16 record count, then 316-byte
// records, oldest first) and the table of users logged in to the device.
//
// The alarm recorder appends one record per finished alarm record file; the alarm-log page
// loads the list, deletes entries and has ReadAll write the edited list back together with the
// records appended meanwhile. Both sides run under one lock, every rewrite goes to a temporary
// file that is renamed over the old one, and a file that is not a valid database is never
// appended to or replaced.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/system_time.h"
#include "platform/thread.h"

inline constexpr std::uint16_t kAlarmDataMagic = 0x9987;
inline constexpr std::size_t kAlarmDataHeaderBytes = 4;
inline constexpr std::size_t kAlarmDataRecordBytes = 316;
inline constexpr std::size_t kAlarmDataPathBytes = 260;
inline constexpr std::size_t kAlarmDataServerBytes = 32;
inline constexpr std::uint32_t kAlarmDataMaxFrames = 18000;
inline constexpr std::uint32_t kAlarmDataMaxRecords = 0xFFFF;
inline constexpr const char* kAlarmDataFileName = "AlarmData.dat";

struct AlarmDataRecord {
  SystemTime StartTime{};
  std::array<char, kAlarmDataPathBytes> szFileName{};
  std::uint32_t dwFrames = 0;
  std::array<char, kAlarmDataServerBytes> szServer{};

  std::array<std::uint8_t, kAlarmDataRecordBytes> Bytes() const;
  static AlarmDataRecord Parse(std::span<const std::uint8_t, kAlarmDataRecordBytes> bytes);
  std::string FileName() const;
  std::string Server() const;
  friend bool operator==(const AlarmDataRecord&, const AlarmDataRecord&) = default;
};

enum class AlarmDataError {
  kNone,
  kMissing,     // no file
  kUnreadable,  // shorter than its header, or a read failed
  kBadMagic,
  kTruncated,  // fewer records than the count says
};

// Parses a whole database file.
std::optional<std::vector<AlarmDataRecord>> ParseAlarmData(std::span<const std::uint8_t> bytes,
                                                           AlarmDataError* error = nullptr);

// One online-user entry of "/GetOnlineUser.cgi" (28 bytes).
struct OnlineUser {
  std::array<char, 16> szName{};
  std::uint32_t dwAddress = 0;  // first byte first
  std::uint32_t dwLevel = 0;
  std::array<std::uint8_t, 4> abyOther{};

  // The name within its 16 bytes (a name that fills them has no terminator).
  std::string Name() const { return {szName.data(), strnlen(szName.data(), szName.size())}; }
  // The address's octets in the order the entry holds them (the first octet first).
  std::array<std::uint8_t, 4> AddressOctets() const {
    return {static_cast<std::uint8_t>(dwAddress), static_cast<std::uint8_t>(dwAddress >> 8),
            static_cast<std::uint8_t>(dwAddress >> 16), static_cast<std::uint8_t>(dwAddress >> 24)};
  }
  // The media flags (bit 0 MPEG-4, bit 1 JPEG, bit 2 audio), little-endian after the level.
  std::uint32_t MediaFlags() const {
    return static_cast<std::uint32_t>(abyOther[0]) |
           (static_cast<std::uint32_t>(abyOther[1]) << 8) |
           (static_cast<std::uint32_t>(abyOther[2]) << 16) |
           (static_cast<std::uint32_t>(abyOther[3]) << 24);
  }
};

inline constexpr std::size_t kOnlineUserCount = 10;
inline constexpr std::size_t kOnlineUserBytes = 28;
inline constexpr std::uint16_t kOnlineUserTimeoutSeconds = 5;

// Fetches "/GetOnlineUser.cgi" with the session id (each wait up to 5 s) and gives the reply
// body, or nothing when the request failed or stop was requested. Touches no shared state, so
// a window's worker may run it and hand the body to StoreOnlineUsers on the window's thread.
std::optional<std::vector<std::uint8_t>> FetchOnlineUsers(const std::string& sessionId,
                                                          const platform::StopToken& stop = {});

class CAlarmDatabase {
 public:
  // The program folder the file lives in ("/" is appended when missing).
  void SetProgramDir(std::string dir);
  std::string FullName() const;

  // The writer side's record buffer, filled while an alarm record runs.
  void SetRecordStartTime(const SystemTime& time);
  void SetRecordFileName(const std::string& path);

  // Appends the buffered record with frames (at most 18,000) and the server text. False when
  // the file is not a valid database, holds the maximum of 65,535 records, or the rewrite
  // failed; the file is then unchanged.
  bool AppendRecord(std::uint32_t frames, const std::string& server);

  // The alarm-log page's side: loads the whole list (a missing file is created empty).
  std::optional<std::vector<AlarmDataRecord>> LoadList(AlarmDataError* error = nullptr);
  // LoadList for the page that edits the list: also clears the appended count under the same
  // lock, so a record the recorder appends meanwhile is counted for ReadAll.
  std::optional<std::vector<AlarmDataRecord>> LoadListForPage(AlarmDataError* error = nullptr);

  // Writes the page's edited list back, with the records appended since the page loaded the
  // list, when the list-changed flag is set; then empties the list. An unreadable file shows
  // "Read alarm database file is failed" and gives false, as does a wrong magic; the file is
  // then unchanged.
  bool ReadAll();

  std::vector<AlarmDataRecord> m_List;
  std::atomic<std::uint32_t> m_bListChanged{0};
  std::atomic<std::uint32_t> m_dwAppendedCount{0};

  // The online-user table from a reply body: false (table cleared, flags kept) for a body
  // longer than the table; else the body is copied and each used flag set from its name.
  bool StoreOnlineUsers(std::span<const std::uint8_t> body);
  // FetchOnlineUsers, then StoreOnlineUsers of the body, on the caller's thread. A failed
  // request shows message 4065 unless the caller reports failures itself (reportFailure false).
  bool QueryDevice(const std::string& sessionId, bool reportFailure = true);
  const std::array<OnlineUser, kOnlineUserCount>& OnlineUsers() const { return m_OnlineUsers; }
  const std::array<std::uint8_t, kOnlineUserCount>& UsedFlags() const { return m_byUsed; }

 private:
  std::optional<std::vector<AlarmDataRecord>> ReadLocked(AlarmDataError* error);
  bool WriteLocked(const std::vector<AlarmDataRecord>& records);

  mutable std::mutex m_mutex;
  std::string m_strProgramDir;
  AlarmDataRecord m_Record;
  std::array<OnlineUser, kOnlineUserCount> m_OnlineUsers{};
  std::array<std::uint8_t, kOnlineUserCount> m_byUsed{};
};

// The program's one alarm database.
extern CAlarmDatabase g_AlarmDatabase;
