// What vs4dump prints for a record file, and its exit status: the file's layout is checked
// (ReadVs4), then whether it is a good record (CheckVs4Record). A file that passes is one the
// player can play: it has frames, and none waits an interval no recorder writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vs4dump {

struct Report {
  std::string out;  // the header, and with frames one line per frame
  std::string err;  // one line per fault: "vs4dump: NAME: ..."
  int status = 0;   // 0 a good record; 1 a file that cannot be read or is not a good record
};

// The report on the bytes of the file called name.
Report DumpVs4(const std::string& name, std::span<const std::uint8_t> bytes, bool frames);

}  // namespace vs4dump
