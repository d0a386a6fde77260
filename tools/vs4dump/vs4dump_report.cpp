#include "vs4dump_report.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "media/record/vs4_format.h"

namespace vs4dump {

namespace {

[[gnu::format(printf, 2, 3)]] void Append(std::string& to, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n > 0) {
    to.append(line, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof line - 1));
  }
}

void AppendTime(std::string& to, const SystemTime& t) {
  Append(to, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
         t.wSecond);
}

}  // namespace

Report DumpVs4(const std::string& name, std::span<const std::uint8_t> bytes, bool frames) {
  Report report;
  Vs4ReadError error{};
  const auto file = ReadVs4(bytes, &error);
  if (!file) {
    Append(report.err, "vs4dump: %s: %s\n", name.c_str(), Vs4ReadErrorName(error));
    report.status = 1;
    return report;
  }
  const Vs4FileHeader& h = file->header;
  Append(report.out,
         "frames %u, seconds %u..%u, server %u.%u.%u.%u, kind %u, resolution %u, av %u, "
         "format %s\nfirst frame ",
         h.dwFrameCount, h.dwStartSecond, h.dwEndSecond, h.abyServerAddress[0],
         h.abyServerAddress[1], h.abyServerAddress[2], h.abyServerAddress[3], h.byRecordKind,
         h.byResolution, h.byAvOption,
         h.dwFormatTag == kVs4FormatMpeg4  ? "MPEG-4"
         : h.dwFormatTag == kVs4FormatJpeg ? "JPEG"
                                           : "?");
  AppendTime(report.out, h.FirstFrameTime);
  report.out += '\n';
  if (frames) {
    for (std::size_t i = 0; i < file->frames.size(); ++i) {
      const Vs4Frame& f = file->frames[i];
      Append(report.out, "%6u at %10llu length %6u kind %u interval %5u ", f.descriptor.dwNumber,
             static_cast<unsigned long long>(f.offset), f.descriptor.dwLength,
             file->index[i].dwKind, f.descriptor.dwInterval);
      AppendTime(report.out, f.descriptor.StoreTime);
      report.out += '\n';
    }
  }
  for (const Vs4Finding& finding : CheckVs4Record(*file)) {
    Append(report.err, "vs4dump: %s: %s\n", name.c_str(), Vs4FindingText(finding).c_str());
    report.status = 1;
  }
  return report;
}

}  // namespace vs4dump
