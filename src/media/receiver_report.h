// The receiver report: every 5 seconds while the streams run, one UDP datagram to the server's
// web port with the share of lost frames, the bit rate and the shown frame rate; a closing
// datagram when the session ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/sync.h"
#include "platform/thread.h"

class CAppData;

inline constexpr std::uint32_t kReceiverReportPeriodMs = 5000;

// The values of one periodic report, read from the counters (which are then cleared).
struct ReceiverReportValues {
  bool any = false;  // packets were counted in the period
  std::uint32_t losePercent = 0;
  std::uint32_t bitRate = 0;
  std::uint32_t frameRate = 0;
};

// Reads and clears the period's counters of the data block.
ReceiverReportValues TakeReceiverReportValues(CAppData& app);
std::string BuildReceiverReportBody(std::string_view session, const ReceiverReportValues& values);
std::string BuildReceiverCloseBody(std::string_view session);
// The header in front of a body, as the stream-start request has it.
std::string BuildReceiverReport(std::string_view localAddress, const std::string& body);

struct ReceiverReportSetup {
  std::string serverAddress;
  std::uint16_t webPort = 80;
  std::string localAddress;
  std::string session;
  CAppData* app = nullptr;
  std::shared_ptr<platform::Event> requestSent;
  std::shared_ptr<platform::Event> stop;  // RTCPStopEvent
  platform::IClock* clock = nullptr;      // the real clock when null
};

std::uint32_t RunReceiverReport(const ReceiverReportSetup& setup, const platform::StopToken& stop);
ReceiverReportSetup ReceiverReportSetupFromApp();
std::uint32_t RTCPThread(platform::StopToken stop);
