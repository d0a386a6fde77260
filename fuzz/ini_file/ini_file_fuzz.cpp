// Feeds arbitrary bytes to the profile-file reader and writer: every read must end with a
// value or the default, and a write must leave a file that reads back the value written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ini_file.h"

namespace {

std::filesystem::path ScratchFile() {
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("fuzz_ini_" + std::to_string(getpid()) + ".ini");
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto path = ScratchFile();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  platform::GetPrivateProfileInt("ZRC604", "ServerPort", 80, path);
  platform::GetPrivateProfileString("zrc604", "Server Name", "none", path, 16);
  platform::GetPrivateProfileString("ZRC604", "Record Path", "", path);
  if (platform::WritePrivateProfileString("ZRC604", "Username", "operator", path) &&
      platform::GetPrivateProfileString("ZRC604", "Username", "", path) != "operator") {
    std::abort();
  }
  std::filesystem::remove(path);
  return 0;
}
