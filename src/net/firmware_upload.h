// The firmware upload: a firmware file read whole, then sent to "/UpgradeFirmware.cgi" in blocks
// of 900 bytes, each block the body of one request. The first block announces the upload and
// its size, the last one (of two or more) finishes it, and an abort request cancels it. The
// session id goes with every request when there is one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "net/cgi_url.h"
#include "platform/thread.h"

namespace net {

class INetEnvironment;

inline constexpr std::uint32_t kFirmwareBlockBytes = 900;
// The largest file taken: far above any firmware image, and the size travels as an int.
inline constexpr std::uint64_t kFirmwareMaxBytes = 64ull * 1024 * 1024;
inline constexpr std::uint16_t kFirmwareTimeoutSeconds = 5;

// ceil(size / 900).
std::uint32_t FirmwareBlockCount(std::uint64_t size);
// (size - remaining) x 100 / size in 64 bits; 0 for an empty size.
int FirmwareProgress(std::uint64_t size, std::uint64_t remaining);

// The request target of block `block` (0-based) of blockCount:
// first "?Upgrade=Start&FileSize=<size>[&SessionID=<id>]", the last of two or more
// "?Upgrade=Finished[&SessionID=<id>]", the others "[?SessionID=<id>]". Refused (empty text)
// when the session id cannot travel in a request (the request is then not sent).
CCgiUrl FirmwareBlockUrl(std::uint32_t block, std::uint32_t blockCount, std::uint64_t size,
                         const std::string& sessionId);
// "?Upgrade=Abort[&Cookie=<id>]".
CCgiUrl FirmwareAbortUrl(const std::string& sessionId);

enum class FirmwareFileStatus {
  Read,
  OpenFailed,  // the file cannot be opened
  ReadFailed,  // not a file, empty, above kFirmwareMaxBytes, or not read whole
};
// Reads the whole file into data (cleared on failure).
FirmwareFileStatus ReadFirmwareFile(const std::filesystem::path& path,
                                    std::vector<std::uint8_t>& data);

enum class FirmwareUploadEnd { Finished, BlockFailed, Stopped };

struct FirmwareUploadResult {
  FirmwareUploadEnd end = FirmwareUploadEnd::Finished;
  std::uint32_t blocksSent = 0;
  int failedResult = 0;  // the failed block's request result (0 or 17..24)
};

// Sends the blocks in order on the environment. onProgress gets the percentage after every
// block that the server accepted (none when empty). A stop request is looked at before every block
// and cuts the block in flight; the upload then ends with Stopped and sends nothing more.
FirmwareUploadResult UploadFirmware(std::span<const std::uint8_t> data,
                                    const std::string& sessionId, INetEnvironment& environment,
                                    const std::function<void(int percent)>& onProgress,
                                    const platform::StopToken& stop);

// The abort request, without a body; its reply is not looked at. Returns the request result.
int SendFirmwareAbort(const std::string& sessionId, INetEnvironment& environment,
                      const platform::StopToken& stop = {});

}  // namespace net
