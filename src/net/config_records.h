// The server's configuration records: one fixed-size binary record per option category,
// fetched whole with GetSysCfg and sent back whole with SetSysCfg.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/thread.h"

enum ConfigOption : uint8_t {
  kConfigEectx = 0,
  kConfigInf = 1,
  kConfigIp = 2,
  kConfigSecure = 3,
  kConfigDns = 4,
  kConfigSmtp = 5,
  kConfigFtp = 6,
  kConfigPppoe = 7,
  kConfigSystem = 8,
  kConfigSntp = 9,
  kConfigImg = 10,
  kConfigWlan = 11,
  kConfigRs485 = 12,
  kConfigTrigger = 13,
  kConfigPenta = 14,
};

inline constexpr std::array<const char*, 15> ConfigOptionNames = {
    "EECTX",  "INF",  "IP",  "SECURE", "DNS",   "SMTP",    "FTP",  "PPPOE",
    "SYSTEM", "SNTP", "IMG", "WLAN",   "RS485", "TRIGGER", "PENTA"};

// Record size of each option in bytes; 0 for "EECTX", which is never requested.
inline constexpr std::array<uint32_t, 15> ConfigRecordSizes = {0,  56, 24, 408, 124, 516, 104, 100,
                                                               36, 40, 12, 104, 20,  12,  156};

// The cached record of an option in the application data block (empty span for "EECTX", an
// unknown option, or no block).
std::span<uint8_t> CachedConfigRecord(uint8_t option);

// Fetches the record into dest. 1 when a reply of exactly `size` bytes arrived and was copied;
// 0 for every failure (no connection, refusal, a reply of another size), dest unchanged. Ended
// (result 0, dest unchanged) as soon as stop is requested: before connecting or in any wait.
int GetSysCfg(uint8_t option, void* dest, uint32_t size, const platform::StopToken& stop = {});
// Sends the record as the request body. refresh is used only for option 4 (DNS). 1 accepted.
// Ended (result 0) as soon as stop is requested: before connecting or in any wait.
int SetSysCfg(uint8_t option, const void* data, uint32_t size, int refresh,
              const platform::StopToken& stop = {});

// The records the configuration sheet needs, in the order they are fetched before it opens
// (SNTP twice), each asked for at its size in ConfigRecordSizes.
inline constexpr uint8_t kConfigFetchOrder[] = {
    kConfigIp,    kConfigSmtp,    kConfigFtp,   kConfigSecure, kConfigDns,
    kConfigPppoe, kConfigSystem,  kConfigSntp,  kConfigImg,    kConfigSntp,
    kConfigWlan,  kConfigTrigger, kConfigRs485, kConfigPenta,  kConfigInf};

// One record as a fetch brought it.
struct FetchedConfigRecord {
  uint8_t option = 0;
  std::vector<uint8_t> bytes;
};
// What one load of kConfigFetchOrder brought: the records that arrived, in fetch order, up to
// the first that did not; complete when every one arrived.
struct FetchedConfigRecords {
  std::vector<FetchedConfigRecord> records;
  bool complete = false;
};

// Fetches the records of kConfigFetchOrder in order (up to 5 s per wait each), stopping at the
// first failure or as soon as stop is requested. The cache is not touched: the caller stores
// what arrived (StoreConfigRecords) on the thread that reads the cache.
FetchedConfigRecords FetchConfigRecords(const platform::StopToken& stop);
// Writes each fetched record into its cached place, in order (a record fetched twice keeps the
// later one). A record whose size is not its cached place's is skipped.
void StoreConfigRecords(const FetchedConfigRecords& fetched);

// The PENTA record (the motion grid and its detection settings) as one fetch brought it.
using PentaRecord = std::array<uint8_t, ConfigRecordSizes[kConfigPenta]>;
// Fetches the PENTA record (up to 5 s per wait; a stop request cuts it at once). Nothing on any
// failure or a stop.
std::optional<PentaRecord> FetchMotionRecord(const platform::StopToken& stop = {});
