#include "net/cgi_url.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CgiUrl, TableHoldsTheSeventeenPathsInIndexOrder) {
  ASSERT_EQ(CgiTable.size(), 17u);
  EXPECT_STREQ(CgiTable[0], "/Login.cgi");
  EXPECT_STREQ(CgiTable[6], "/GetSysCfg.cgi");
  EXPECT_STREQ(CgiTable[8], "/SetSysCfg.cgi");
  EXPECT_STREQ(CgiTable[11], "/RS485Cmd.cgi");
  EXPECT_STREQ(CgiTable[13], "/RebootServer.cgi");
  EXPECT_STREQ(CgiTable[14], "/RequestStream.cgi");
  EXPECT_STREQ(CgiTable[16], "/SyncServerTime.cgi");
}

TEST(CgiUrl, ParametersAreJoinedWithQuestionMarkThenAmpersand) {
  CCgiUrl url(CgiIndex::kCgiGetSysCfg);
  EXPECT_STREQ(url.GetBuffer(), "/GetSysCfg.cgi");
  EXPECT_EQ(url.AddParam("Option", "SNTP"), 1);
  EXPECT_EQ(url.AddIntParam("Size", 40), 1);
  EXPECT_EQ(url.AddParam("SessionID", "ab12"), 1);
  EXPECT_EQ(std::string(url.GetBuffer()), "/GetSysCfg.cgi?Option=SNTP&Size=40&SessionID=ab12");
  EXPECT_EQ(url.GetLength(), static_cast<int>(std::string(url.GetBuffer()).size()));
  EXPECT_EQ(url.AddIntParam("N", -7), 1);
  EXPECT_EQ(std::string(url.GetBuffer()).substr(49), "&N=-7");
  url.Reset();
  EXPECT_STREQ(url.GetBuffer(), "/GetSysCfg.cgi");
  url.AddParam("A", "b");
  EXPECT_STREQ(url.GetBuffer(), "/GetSysCfg.cgi?A=b");
}

TEST(CgiUrl, LongValuesGrowTheUrlWithoutCutting) {
  CCgiUrl url(CgiIndex::kCgiLogin);
  const std::string longValue(5000, 'x');
  EXPECT_EQ(url.AddParam("Username", longValue.c_str()), 1);
  EXPECT_EQ(std::string(url.GetBuffer()), "/Login.cgi?Username=" + longValue);
}

TEST(CgiUrl, UnsafeValuesRefuseTheWholeUrl) {
  const char* refused[] = {"a b", "a&b", "a#b", "a\rb", "a\nb", "tab\t", "\x7f", "\x01"};
  for (const char* value : refused) {
    CCgiUrl url(CgiIndex::kCgiLogin);
    EXPECT_EQ(url.AddParam("Username", value), 0) << value;
    EXPECT_TRUE(url.IsRefused());
    EXPECT_EQ(url.GetLength(), 0);
    EXPECT_STREQ(url.GetBuffer(), "");
    // Later parameters do not bring it back.
    url.AddParam("Password", "ok");
    EXPECT_STREQ(url.GetBuffer(), "");
  }
  const char* accepted[] = {"", "abc", "a=b", "%41", "x.y-z_1", "\xe4\xb8\xad"};
  for (const char* value : accepted) {
    CCgiUrl url(CgiIndex::kCgiLogin);
    EXPECT_EQ(url.AddParam("Username", value), 1) << value;
  }
  CCgiUrl outOfTable(static_cast<CgiIndex>(17));
  EXPECT_TRUE(outOfTable.IsRefused());
}

// The session goes in where the request names it, under its name; no session names nothing, and
// a session that could break the request refuses the request.
TEST(CgiUrl, TheSessionIdIsAddedOnlyWhenThereIsOne) {
  struct Case {
    const char* session;
    const char* name;
    const char* url;
  };
  const Case cases[] = {
      {"", "SessionID", "/GetLog.cgi?LogEvent=Erase"},
      {"S1", "SessionID", "/GetLog.cgi?LogEvent=Erase&SessionID=S1"},
      {"S1", "Cookie", "/GetLog.cgi?LogEvent=Erase&Cookie=S1"},
      {"S 1", "SessionID", ""},
  };
  for (const Case& c : cases) {
    CCgiUrl url(CgiIndex::kCgiGetLog);
    url.AddParam("LogEvent", "Erase");
    net::AddSessionId(url, c.session, c.name);
    EXPECT_STREQ(url.GetBuffer(), c.url) << c.session << " " << c.name;
  }
  CCgiUrl first(CgiIndex::kCgiGetLog);
  net::AddSessionId(first, "S7");
  first.AddParam("LogEvent", "Start");
  EXPECT_STREQ(first.GetBuffer(), "/GetLog.cgi?SessionID=S7&LogEvent=Start");
}

}  // namespace
