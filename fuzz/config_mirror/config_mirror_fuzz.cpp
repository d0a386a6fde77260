// Fuzz target of the configuration sheet's mirror: the first byte is the session's video format
// (0 and 4 are the formats; any other value too); the rest is the cached configuration records
// as fetched, in the order of their options ("INF" to "PENTA"), each cut or zero-filled to its
// size. The records are loaded as the sheet loads its pages: the SMTP record's texts ended
// within their fields first, then the mirror. Every text of the mirror must fit the field it
// came from, as a page would take it, and every row index must name a row of its page or be -1.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "ui/config/records/config_text.h"
#include "ui/config/records/sys_conf_mirror.h"

namespace {

CAppData& App() {
  static CAppData* app = [] {
    g_lpApp = std::make_unique<CAppData>();
    return g_lpApp.get();
  }();
  return *app;
}

bool Fits(const QString& text, std::size_t width) {
  return syscfg::StoredBytes(text) <= static_cast<int>(width) - 1;
}

bool InRows(int index, int rows) {
  return index >= -1 && index < rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  CAppData& app = App();
  app.m_byVideoFormat = data[0];
  std::size_t at = 1;
  for (std::uint8_t option = kConfigInf; option <= kConfigPenta; ++option) {
    const std::span<std::uint8_t> record = CachedConfigRecord(option);
    if (record.size() != ConfigRecordSizes[option])
      std::abort();
    const std::size_t n = std::min(record.size(), size - std::min(size, at));
    std::copy_n(data + at, n, record.begin());
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(n), record.end(), 0);
    at += n;
  }

  syscfg::TerminateSmtpTexts(app.m_SmtpConfig);
  const syscfg::SysConfMirror m = syscfg::LoadMirror(app);
  using namespace cfg;
  for (const TextField field : {smtp::kServer, smtp::kFrom, smtp::kUser, smtp::kPassword}) {
    const std::size_t last = field.offset + field.width - 1;
    if (last >= app.m_SmtpConfig.size() || app.m_SmtpConfig[last] != 0)
      std::abort();
  }
  const std::pair<const QString*, std::size_t> texts[] = {
      {&m.pppoeUser, pppoe::kUser.width},
      {&m.pppoePassword, pppoe::kPassword.width},
      {&m.ddnsUser, dns::kUser.width},
      {&m.ddnsPassword, dns::kPassword.width},
      {&m.ddnsDomain, dns::kDomain.width},
      {&m.mailFrom, smtp::kFrom.width},
      {&m.smtpServer, smtp::kServer.width},
      {&m.smtpPassword, smtp::kPassword.width},
      {&m.smtpUser, smtp::kUser.width},
      {&m.ftpServer, ftp::kServer.width},
      {&m.ftpDirectory, ftp::kDirectory.width},
      {&m.ftpUser, ftp::kUser.width},
      {&m.ftpPassword, ftp::kPassword.width},
      {&m.sntpServer, sntp::kServer.width},
      {&m.hostName, cfg::system::kHostName.width}};
  for (const auto& [text, width] : texts) {
    if (!Fits(*text, width))
      std::abort();
  }
  if (!InRows(m.ddnsProvider, 3) || !InRows(m.durationIndex, 6) || m.mpeg4LengthIndex < 0 ||
      m.jpegPicturesIndex < 0 || !InRows(m.videoTypeIndex, 2) || !InRows(m.qualityIndex, 3) ||
      !InRows(m.bitRateClass, 7) || m.mpeg4Width % 16 != 0 || m.jpegHeight % 16 != 0) {
    std::abort();
  }
  return 0;
}
