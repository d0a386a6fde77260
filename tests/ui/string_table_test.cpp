#include <gtest/gtest.h>

#include "ui/common/message_ids.h"
#include "ui/common/string_table.h"

namespace {

TEST(StringTable, EntriesAreSortedAndUnique) {
  const auto entries = ui::StringTableEntries();
  ASSERT_FALSE(entries.empty());
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_LT(entries[i - 1].id, entries[i].id) << entries[i].id;
  }
}

TEST(StringTable, TextsAsTheWindowsShowThem) {
  struct Case {
    int id;
    const char* text;
  };
  const Case cases[] = {
      {1005, "RECORD\nRECORDING"},
      {3028, "Search\nStop_Search"},
      {4029, "Get config Error!! Please Try again!!"},
      {4048,
       "Overwrite flash right now.It will take 3 ~ 6 minutes.\nDon't plug off power,system "
       "will reboot automaticlly"},
      {4085, "You should connect the video server first"},
      {4093, "It couldn't find this device command protocol"},
      {4208, "BMP\\Dialog_ok.bmp"},
      {4211, "BMP\\Dialog_apply_over.bmp"},
      {4213, "BMP\\Dialog_default_over.bmp"},
      {8000, "EXIT"},
      {8333, "Preset 1"},
      {8348, "Preset 16"},
      {8426, "Channel 16"},
      {8535, "no \"Option\" argument for system config"},
      {8660, "Server Log,Cancel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_TRUE(ui::HasString(c.id));
    EXPECT_EQ(ui::LoadString(c.id), QString::fromUtf8(c.text));
  }
  EXPECT_FALSE(ui::HasString(4007));
  EXPECT_TRUE(ui::LoadString(4007).isEmpty());
  EXPECT_TRUE(ui::LoadString(-1).isEmpty());
}

// Every message the windows name has its text, and the name says what the text says.
TEST(StringTable, NamedMessagesHaveTheirTexts) {
  struct Case {
    int id;
    const char* words;  // a part of the text
  };
  const Case cases[] = {
      {ui::kMsgAccountMemoryFull, "Account memory is not enough"},
      {ui::kMsgAddAccountFailed, "Add the account is failed"},
      {ui::kMsgAddFtpSiteFailed, "Add the ftp site is failed"},
      {ui::kMsgApplySettingFailed, "Apply setting is failed"},
      {ui::kMsgApplySettingDone, "Apply setting is successfully"},
      {ui::kMsgBindFailed, "Bind the connection is failed"},
      {ui::kMsgNoServerDetected, "detect server"},
      {ui::kMsgChangeConfigFailed, "Change System Config is failed"},
      {ui::kMsgConnectError, "Connect error"},
      {ui::kMsgEditAccountFailed, "Edit the account is failed"},
      {ui::kMsgEditFtpSiteFailed, "Edit the ftp site is failed"},
      {ui::kMsgGetConfigError, "Get config Error"},
      {ui::kMsgGetIndexItemFailed, "Get the index item is failed"},
      {ui::kMsgNoDeviceConnection, "couldn't connect to device"},
      {ui::kMsgNoItemData, "got the item data"},
      {ui::kMsgCannotModifyNetwork, "modify the Network setting"},
      {ui::kMsgNothingToSelect, "couldn't select any data"},
      {ui::kMsgMaxMailAddresses, "Max email account number"},
      {ui::kMsgMaxUsersRange, "Max user should be 1 ~ 10"},
      {ui::kMsgSelectFromList, "select a item form list"},
      {ui::kMsgNothingToDelete, "No item could be deleted"},
      {ui::kMsgNothingToEdit, "No item could be edited"},
      {ui::kMsgOpenFirmwareFailed, "Open firmware file is failed"},
      {ui::kMsgOverwritingFlash, "Overwrite flash"},
      {ui::kMsgWrongPassword, "password is wrong"},
      {ui::kMsgSelectAnItem, "Please select an item"},
      {ui::kMsgSelectASetting, "Please select a setting"},
      {ui::kMsgPortOutOfRange, "out of range"},
      {ui::kMsgWrongPort, "Port number is wrong"},
      {ui::kMsgReadFirmwareFailed, "Read Firmware file is failed"},
      {ui::kMsgReceiveError, "Receive data error"},
      {ui::kMsgResetDefaultFailed, "Reset to default is failed"},
      {ui::kMsgResetDefaultDone, "Reset to default is successfully"},
      {ui::kMsgSendTimeout, "Send command timeout"},
      {ui::kMsgSendCommandFailed, "Send command to device is failed"},
      {ui::kMsgNetworkNotChanged, "network setting is not changed"},
      {ui::kMsgDiskFull, "size of disk is not enough"},
      {ui::kMsgDeleteOwnAccount, "you login right now"},
      {ui::kMsgUpgradeFirmwareError, "Upgrade firmware error"},
      {ui::kMsgEmptyUserOrAddress, "User name & ip address"},
      {ui::kMsgWrongUserName, "username is wrong"},
      {ui::kMsgWrongUserOrPassword, "Username or password is not correct"},
      {ui::kMsgConnectFirst, "connect the video server first"},
      {ui::kMsgSelectAccountToDelete, "select a account before press delete"},
      {ui::kMsgSelectAccountToEdit, "select a account before press edit"},
      {ui::kMsgSelectMailToDelete, "select a email address before press delete"},
      {ui::kMsgSelectMailToEdit, "select a email address before press edit"},
      {ui::kMsgTypePort, "type the port number"},
      {ui::kMsgNoDeviceProtocol, "device command protocol"},
      {ui::kMsgPtzNumberInvalid, "PTZ number is not valid"},
      {ui::kMsgPtzWithRetr, "change to PTZ when R.E.T.R"},
      {ui::kMsgPlayerFailed, "player program is failed"},
      {ui::kMsgAudioOnly, "Only Audio Option"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_TRUE(ui::LoadString(c.id).contains(QString::fromLatin1(c.words)));
  }
}

TEST(StringTable, EveryPanelKeyAndChannelHasATooltip) {
  for (int id : {8220, 8222, 8310, 8311, 8312, 8331, 8350, 8351, 8352, 8353})
    EXPECT_TRUE(ui::HasString(id)) << id;
  for (int id = 8223; id <= 8232; ++id)
    EXPECT_TRUE(ui::HasString(id)) << id;
  for (int id = 8240; id <= 8244; ++id)
    EXPECT_TRUE(ui::HasString(id)) << id;
  for (int id = 8250; id <= 8265; ++id)
    EXPECT_TRUE(ui::HasString(id)) << id;
  for (int id = 8280; id <= 8292; ++id)
    EXPECT_TRUE(ui::HasString(id)) << id;
  for (int id = 8321; id <= 8328; ++id)
    EXPECT_TRUE(ui::HasString(id)) << id;
  for (int id = 8410; id <= 8428; ++id)
    EXPECT_TRUE(ui::HasString(id)) << id;
}

TEST(StringTable, TimeZoneRowsRunFromDateLineToNukualofa) {
  for (int id = 8448; id <= 8522; ++id) {
    EXPECT_TRUE(ui::LoadString(id).startsWith(QStringLiteral("(GMT"))) << id;
  }
  EXPECT_EQ(ui::LoadString(8448), "(GMT-12:00) International Date Line West");
  EXPECT_EQ(ui::LoadString(8522), "(GMT+13:00) Nuku'alofa");
  int newfoundland = 0, kathmandu = 0;
  for (int id = 8448; id <= 8522; ++id) {
    newfoundland += ui::LoadString(id) == "(GMT-03:30) Newfoundland";
    kathmandu += ui::LoadString(id) == "(GMT+05:45) Kathmandu";
  }
  EXPECT_EQ(newfoundland, 1);
  EXPECT_EQ(kathmandu, 1);
}

TEST(StringTable, TwoPartEntries) {
  struct Case {
    const char* text;
    const char* first;
    const char* second;
  };
  const Case words[] = {
      {"RECORD\nRECORDING", "RECORD", "RECORDING"},
      {"TURBO_ON\nTURBO_OFF", "TURBO_ON", "TURBO_OFF"},
      {"R.E.T.R.(Enable)\nR.E.T.R.(Disable)", "R.E.T.R.(Enable)", "R.E.T.R.(Disable)"},
      {"Search Stop_Search", "Search", "Stop_Search"},
      {"  lead\t\ttrail  ", "lead", "trail"},
      {"single", "single", ""},
      {"", "", ""},
  };
  for (const Case& c : words) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ui::FirstWord(c.text), QString::fromUtf8(c.first));
    EXPECT_EQ(ui::SecondWord(c.text), QString::fromUtf8(c.second));
  }
  EXPECT_EQ(ui::BeforeSeparator("Server Log,Cancel", ','), "Server Log");
  EXPECT_EQ(ui::AfterSeparator("Server Log,Cancel", ','), "Cancel");
  EXPECT_EQ(ui::BeforeSeparator("entering system config,", ','), "entering system config");
  EXPECT_EQ(ui::BeforeSeparator("no comma", ','), "no comma");
  EXPECT_EQ(ui::AfterSeparator("no comma", ','), "");
}

}  // namespace
