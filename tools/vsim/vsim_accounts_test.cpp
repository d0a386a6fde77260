// vsim's accounts: the client's own login pass against vsim's web side is accepted for the
// login window's built-in account and for the accounts of the SECURE record it serves, and
// refused as a device refuses it ("illegal user") otherwise; an account changed in the served
// record counts at once. The LAN search's set-IP and reset answers follow the same accounts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/login_pass.h"
#include "fakes/fake_video_server.h"
#include "vsim_device_tools.h"

namespace {

constexpr int kIllegalUser = 18;  // the refusal code of status 202

int Login(const fakes::FakeVideoServer& web, const std::string& user, const std::string& password) {
  app::LoginPassInput input;
  input.host = "127.0.0.1";
  input.portText = std::to_string(web.WebPort());
  input.userName = user;
  input.password = password;
  input.localAddress = "127.0.0.1";
  return app::RunLoginPass(input).code;
}

// A set-IP (2) or reset (3) request as the search dialog sends it, with its user name at 24 and
// its password at 40.
std::vector<std::uint8_t> LanRequest(std::uint8_t code, const std::string& user,
                                     const std::string& password) {
  std::vector<std::uint8_t> request(76, 0);
  request[16] = code;
  std::memcpy(request.data() + 24, user.data(), std::min<std::size_t>(user.size(), 16));
  std::memcpy(request.data() + 40, password.data(), std::min<std::size_t>(password.size(), 16));
  return request;
}

struct Case {
  const char* user;
  const char* password;
  bool account;
};
constexpr Case kCases[] = {
    {"wopal", "wopal", true},  {"admin", "1234", true},   {"guest", "guest", true},
    {"admin", "12345", false}, {"admin", "guest", false}, {"nobody", "1234", false},
    {"Admin", "1234", false},  {"wopal", "1234", false},
};

TEST(VsimAccounts, LoginsAreCheckedAgainstTheServedAccounts) {
  fakes::FakeVideoServer web;
  vsim::CheckLogins(web);
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.user) + "/" + c.password);
    EXPECT_EQ(Login(web, c.user, c.password), c.account ? app::kLoginSucceeded : kIllegalUser);
  }
}

TEST(VsimAccounts, AnAccountChangedInTheServedRecordCountsAtOnce) {
  fakes::FakeVideoServer web;
  vsim::CheckLogins(web);
  // The accounts page's APPLY stores the record: the first entry's password becomes "5678".
  std::vector<std::uint8_t> secure = web.ConfigRecord("SECURE");
  ASSERT_GE(secure.size(), 48u);
  std::memset(secure.data() + 8 + 16, 0, 16);
  std::memcpy(secure.data() + 8 + 16, "5678", 4);
  web.SetConfigRecord("SECURE", secure);
  EXPECT_EQ(Login(web, "admin", "1234"), kIllegalUser);
  EXPECT_EQ(Login(web, "admin", "5678"), app::kLoginSucceeded);
  EXPECT_EQ(Login(web, "wopal", "wopal"), app::kLoginSucceeded);
}

TEST(VsimAccounts, LanCommandsAnswerByTheSameAccounts) {
  fakes::FakeVideoServer web;
  for (const std::uint8_t code : {2, 3}) {
    for (const Case& c : kCases) {
      SCOPED_TRACE(std::to_string(code) + " " + c.user + "/" + c.password);
      EXPECT_EQ(vsim::LanCommandResult(web, LanRequest(code, c.user, c.password)),
                c.account ? 1 : 0);
    }
  }
  // Sixteen characters fill the field without a terminator.
  EXPECT_EQ(vsim::LanCommandResult(web, LanRequest(2, "admin", "1234567890123456")), 0);
  std::vector<std::uint8_t> shorter = LanRequest(2, "admin", "1234");
  shorter.pop_back();
  EXPECT_EQ(vsim::LanCommandResult(web, shorter), 0);
}

}  // namespace
