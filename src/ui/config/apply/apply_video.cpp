// The video step of APPLY: the video format of the session and the PENTA record's picture sizes,
// bit rate and quality. A change of the streamed picture ends in a new login.
#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "platform/message_box.h"
#include "ui/config/records/video_tables.h"
#include "ui/config/sheets/sys_conf_sheet_base.h"

namespace {

constexpr const char* kJpegTooLargeText = "JPEG resolution can't be larger than MPEG-4 resolution";
constexpr const char* kFinishUserRecordText = "Do you sure to finish User Record ?";
constexpr const char* kSetConfigFailedText = "Set the system config is failed\n";
constexpr int kJpegRow = 0;
constexpr int kMpeg4Row = 1;
constexpr std::uint16_t kFallbackFrameWidth = 320;
constexpr std::uint16_t kFallbackFrameHeight = 240;

// The MPEG-4 sizes whose JPEG units stay as they are: the JPEG stream cannot be that large.
bool KeepsJpegWidthUnits(int width) {
  return width == 704 || width == 720 || width == 640;
}

bool KeepsJpegHeightUnits(int height) {
  return height == 480 || height == 576;
}

}  // namespace

syscfg::ApplyTask<> CSysConfSheetBase::ApplyVideo(bool& networkChanged) {
  using namespace cfg::penta;
  C2ChSetPentaPage& page = m_PentaPage;
  if (!BeginStep(page))
    co_return;
  CAppData& app = *g_lpApp;
  const std::span<std::uint8_t> record = app.m_PentaConfig;
  const int standard = app.m_byVideoStandard.load();

  // The rows picked give the sizes; without a row the size stays as loaded.
  if (const auto size = syscfg::ResolutionSize(page.m_nMpeg4Resolution, standard)) {
    page.m_nMpeg4Width = size->width;
    page.m_nMpeg4Height = size->height;
  }
  if (const auto size = syscfg::ResolutionSize(page.m_nJpegResolution, standard)) {
    page.m_nJpegWidth = size->width;
    page.m_nJpegHeight = size->height;
  }
  const bool mpeg4WidthChanged = page.m_nMpeg4Width != m_Mirror.mpeg4Width;
  const bool mpeg4HeightChanged = page.m_nMpeg4Height != m_Mirror.mpeg4Height;
  const bool jpegWidthChanged = page.m_nJpegWidth != m_Mirror.jpegWidth;
  const bool jpegHeightChanged = page.m_nJpegHeight != m_Mirror.jpegHeight;

  // Checked before any recorder stops or the format changes.
  if (jpegWidthChanged && page.m_nJpegWidth > page.m_nMpeg4Width) {
    platform::ShowMessageBox(kJpegTooLargeText);
    co_return;
  }

  bool changed = false;
  bool restart = false;
  if (page.m_nVideoType >= 0 && page.m_nVideoType != m_Mirror.videoTypeIndex) {
    if (m_engine.userRecordRunning && m_engine.userRecordRunning()) {
      const int answer = platform::ShowMessageBox(kFinishUserRecordText, "Warning",
                                                  platform::MB_YESNO | platform::MB_ICONQUESTION);
      // The sheet may have closed while the question was open: then nothing more happens.
      if (answer != platform::IDYES || m_bApplyStopped)
        co_return;
      if (m_engine.stopUserRecord)
        m_engine.stopUserRecord();
    }
    if (m_engine.stopAlarmAndScheduleRecords)
      m_engine.stopAlarmAndScheduleRecords();
    app.m_byVideoFormat = *syscfg::VideoFormatOf(page.m_nVideoType);
    changed = restart = true;
  }
  const bool jpegFormat = page.m_nVideoType == kJpegRow;
  const bool mpeg4Format = page.m_nVideoType == kMpeg4Row;

  if (mpeg4WidthChanged) {
    const syscfg::SizeCode width = syscfg::WidthCode(page.m_nMpeg4Width);
    net::SetRecordU8(record, kMpeg4WidthCode, width.code);
    net::SetRecordU8(record, kMpeg4WidthUnits, width.units);
    net::SetRecordU8(record, kJpegWidthCode, width.code);
    if (!KeepsJpegWidthUnits(page.m_nMpeg4Width))
      net::SetRecordU8(record, kJpegWidthUnits, width.units);
    if (!width.known)
      app.m_wFrameWidth = kFallbackFrameWidth;
    changed = true;
    restart = restart || !jpegFormat;
  }
  if (mpeg4HeightChanged) {
    const syscfg::SizeCode height = syscfg::HeightCode(page.m_nMpeg4Height);
    net::SetRecordU8(record, kMpeg4HeightCode, height.code);
    net::SetRecordU8(record, kMpeg4HeightUnits, height.units);
    net::SetRecordU8(record, kJpegHeightCode, height.code);
    if (!KeepsJpegHeightUnits(page.m_nMpeg4Height))
      net::SetRecordU8(record, kJpegHeightUnits, height.units);
    if (!height.known)
      app.m_wFrameHeight = kFallbackFrameHeight;
    changed = true;
    restart = restart || !jpegFormat;
  }
  if (jpegWidthChanged) {
    const syscfg::SizeCode width = syscfg::WidthCode(page.m_nJpegWidth);
    net::SetRecordU8(record, kJpegWidthCode, width.code);
    net::SetRecordU8(record, kJpegWidthUnits, width.units);
    if (!width.known)
      app.m_wFrameWidth = kFallbackFrameWidth;
    changed = true;
    restart = restart || !mpeg4Format;
  }
  if (jpegHeightChanged) {
    const syscfg::SizeCode height = syscfg::HeightCode(page.m_nJpegHeight);
    net::SetRecordU8(record, kJpegHeightCode, height.code);
    net::SetRecordU8(record, kJpegHeightUnits, height.units);
    if (!height.known)
      app.m_wFrameHeight = kFallbackFrameHeight;
    changed = true;
    restart = restart || !mpeg4Format;
  }
  if (mpeg4WidthChanged || jpegWidthChanged) {
    // JPEG units of 0 or a ratio the table has no code for leave the code as fetched.
    if (const auto scale = syscfg::ScaleCode(net::RecordU8(record, kMpeg4WidthUnits),
                                             net::RecordU8(record, kJpegWidthUnits))) {
      net::SetRecordU8(record, kScaleCode, *scale);
      net::SetRecordU8(record, kScaleCodeCopy, *scale);
    }
  }
  if (const auto code = syscfg::BitRateCode(page.m_nBitRate);
      code && page.m_nBitRate != m_Mirror.bitRateClass) {
    net::SetRecordU16(record, kBitRate, *code);
    changed = true;
  }
  if (const auto quality = syscfg::QualityValue(page.m_nQuality);
      quality && page.m_nQuality != m_Mirror.qualityIndex) {
    net::SetRecordU8(record, kJpegQuality, *quality);
    changed = true;
  }

  if (restart && !networkChanged)
    co_await PauseStreams();
  if (changed) {
    net::SetRecordU8(record, kSendMark5, 2);
    net::SetRecordU8(record, kSendMark8, 15);
    net::SetRecordU8(record, kSendMark81, 0);
    net::SetRecordU8(record, kSendMark84, 1);
    co_await SendRecord(kConfigPenta, QString::fromLatin1(kSetConfigFailedText));
  }
  if (restart)
    networkChanged = true;
}
