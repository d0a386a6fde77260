// vsim --reports: the line printed for a receiver report is the body of the datagram the client
// builds, its lines joined; a datagram without a body prints nothing.
#include <gtest/gtest.h>

#include <string>

#include "media/receiver_report.h"
#include "vsim_request_log.h"

namespace {

TEST(VsimReportLineTest, BodyLinesOfTheClientsReports) {
  ReceiverReportValues values;
  values.any = true;
  values.losePercent = 1;
  values.bitRate = 5800;
  values.frameRate = 25;
  EXPECT_EQ(
      vsim::ReportLine(BuildReceiverReport("127.0.0.1", BuildReceiverReportBody("AB12", values))),
      "Session: AB12, LosePercent: 1, BitRate: 5800, FrameRate: 25");
  EXPECT_EQ(vsim::ReportLine(BuildReceiverReport("127.0.0.1", BuildReceiverCloseBody("AB12"))),
            "Session: AB12, Connection: Close");
  EXPECT_EQ(vsim::ReportLine("GET / HTTP/1.1 \r\nHost: 1.2.3.4\r\n"), "");
  EXPECT_EQ(vsim::ReportLine(""), "");
}

}  // namespace
