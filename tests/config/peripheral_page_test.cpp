// The Peripheral page against the fake server: the RS485 record's channels on the controls, the
// model rows over the loaded device table, the copy into the live ports, and the RS485 record
// APPLY sends.
#include "config_fixture.h"
#include "page_controls.h"
#include "ui/config/pages/peripheral_pages.h"

namespace {

using namespace config_testing;
using P = CPeripheralPage;

std::vector<std::uint8_t> U32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

class PeripheralTest : public ConfigTest {
 public:
  int RunOnPage(const std::function<void(CSysConfPropSheet&, P&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_PeripheralPage));
      body(s, s.m_PeripheralPage);
    });
  }
  static QStringList ModelRows(P& page) {
    QStringList rows;
    auto* combo = Ctl<QComboBox>(page, P::IDC_MODEL1);
    for (int i = 0; i < combo->count(); ++i)
      rows << combo->itemText(i);
    return rows;
  }
};

TEST(PeripheralTables, BaudRowsAndRecorderKinds) {
  const std::pair<std::uint32_t, int> bauds[] = {{4800, 1},  {9600, 2},   {19200, 3}, {38400, 4},
                                                 {57600, 5}, {115200, 6}, {2400, 0},  {0, 0}};
  for (const auto& [baud, row] : bauds) {
    EXPECT_EQ(syscfg::BaudRow(baud), row) << baud;
    if (row != 0) {
      EXPECT_EQ(syscfg::BaudOfRow(row), baud);
    }
  }
  EXPECT_EQ(syscfg::BaudOfRow(0), 2400u);
  EXPECT_EQ(syscfg::BaudOfRow(-1), 2400u);
  for (std::uint8_t type : {0x71, 0x72, 0x73, 0x76, 0x77, 0x84, 0x8A})
    EXPECT_FALSE(syscfg::RecorderKindText(type).isEmpty()) << int{type};
  EXPECT_EQ(syscfg::RecorderKindText(0x71), syscfg::RecorderKindText(0x72));
  EXPECT_EQ(syscfg::RecorderKindText(0x84), syscfg::RecorderKindText(0x8A));
  EXPECT_TRUE(syscfg::RecorderKindText('2').isEmpty());
}

TEST(PeripheralTables, ModelRowsFollowTheLoadedKinds) {
  ScopedDeviceTable table({0, 3, 8, 12});
  const syscfg::DeviceRows rows = syscfg::LoadedDeviceRows();
  EXPECT_EQ(rows.types, (std::vector<std::uint8_t>{0, 3, 8, 12}));
  EXPECT_EQ(rows.names.at(2), "PTZ");
  const std::pair<int, int> typeToRow[] = {{0, 0}, {3, 1}, {8, 2}, {12, 3}, {5, 3}, {30, 3}};
  for (const auto& [type, row] : typeToRow)
    EXPECT_EQ(rows.RowOf(static_cast<std::uint8_t>(type)), row) << type;
  EXPECT_EQ(rows.TypeOf(1), 3);
  EXPECT_EQ(rows.TypeOf(4), -1);
  EXPECT_EQ(rows.TypeOf(-1), -1);
  EXPECT_EQ(syscfg::DeviceRows{}.RowOf(3), -1);
}

TEST_F(PeripheralTest, TheRecordShowsAndGoesToTheLivePorts) {
  ScopedDeviceTable table({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
  ASSERT_EQ(Load(), 1);
  RunOnPage([](CSysConfPropSheet& s, P& page) {
    EXPECT_EQ(TextOf(page, P::IDC_ID1), "1");
    EXPECT_EQ(TextOf(page, P::IDC_ID2), "2");
    EXPECT_EQ(Ctl<QComboBox>(page, P::IDC_MODEL1)->currentText(), "DVR 4CH BASIC");
    EXPECT_EQ(Ctl<QComboBox>(page, P::IDC_MODEL2)->currentText(), "PTZ");
    EXPECT_EQ(Ctl<QComboBox>(page, P::IDC_BAUD1)->currentText(), "9600");
    EXPECT_EQ(Ctl<QComboBox>(page, P::IDC_BAUD2)->currentText(), "4800");
    EXPECT_EQ(Ctl<QComboBox>(page, P::IDC_TURBO)->currentText(), "3");
    EXPECT_EQ(g_lpApp->m_abyChannelDeviceId[0].load(), 1);
    EXPECT_EQ(g_lpApp->m_abyChannelDeviceId[1].load(), 2);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel1Device, 3);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, 8);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_TRUE(SentOptions().empty());
  EXPECT_EQ(sheet->m_bDeviceTypeChanged, 0u);
}

TEST_F(PeripheralTest, ValuesWithoutARowShowTheLastDeviceOrAnEmptyRowAndAreKept) {
  ScopedDeviceTable table({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  fakes::ConfigRecords records = fakes::OffRowConfig();  // channel 1 at 2400 baud
  records["RS485"][6] = 30;
  ASSERT_EQ(Load(records), 1);
  RunOnPage([](CSysConfPropSheet& s, P& page) {
    EXPECT_EQ(ModelRows(page).size(), 12);
    EXPECT_EQ(Row(page, P::IDC_MODEL1), 11);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel1Device, 11);
    EXPECT_EQ(Row(page, P::IDC_BAUD1), 0);
    EXPECT_EQ(Ctl<QComboBox>(page, P::IDC_BAUD1)->currentText(), "");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_TRUE(SentOptions().empty());
}

TEST_F(PeripheralTest, WithNoDeviceLoadedTheLiveTypesStay) {
  ScopedDeviceTable table({});
  ASSERT_EQ(Load(), 1);
  g_lpApp->m_SettingINI.m_byChannel1Device = 5;
  g_lpApp->m_SettingINI.m_byChannel2Device = 6;
  RunOnPage([](CSysConfPropSheet& s, P& page) {
    EXPECT_TRUE(ModelRows(page).isEmpty());
    EXPECT_EQ(Row(page, P::IDC_MODEL1), -1);
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel1Device, 5);
  EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, 6);
  EXPECT_TRUE(SentOptions().empty());
}

// Edits -> the RS485 record received (byte-exact) and the live ports.
TEST_F(PeripheralTest, EditsWriteBothChannelsAndTheTurboStep) {
  struct Case {
    const char* name;
    std::function<void(P&)> edit;
    std::vector<Patch> patches;
    std::array<std::uint8_t, 2> ids;
    std::array<std::uint8_t, 2> types;
    bool typeChanged;
  };
  // Loaded kinds with gaps: rows CAMERA (0), DVR 4CH BASIC (3), PTZ (8), kind 12.
  const Case cases[] = {
      {"channel 1 id, baud and turbo",
       [](P& p) {
         Type(p, P::IDC_ID1, "7");
         Pick(p, P::IDC_BAUD1, 3);
         Pick(p, P::IDC_TURBO, 4);
       },
       {{2, {5}}, {4, {7}}, {8, U32(19200)}},
       {7, 2},
       {3, 8},
       false},
      {"channel 1 model from a table with gaps",
       [](P& p) { Pick(p, P::IDC_MODEL1, 3); },
       {{6, {12, 0}}},
       {1, 2},
       {12, 8},
       true},
      {"channel 2 like channel 1",
       [](P& p) {
         Type(p, P::IDC_ID2, "9");
         Pick(p, P::IDC_MODEL2, 0);
         Pick(p, P::IDC_BAUD2, 6);
       },
       {{12, {9}}, {14, {0, 0}}, {16, U32(115200)}},
       {1, 9},
       {3, 0},
       true},
      {"the empty baud row",
       [](P& p) { Pick(p, P::IDC_BAUD2, 0); },
       {{16, U32(2400)}},
       {1, 2},
       {3, 8},
       false},
  };
  ScopedDeviceTable table({0, 3, 8, 12});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    ASSERT_EQ(Load(), 1);
    const auto original = server->ConfigRecord("RS485");
    RunOnPage([&](CSysConfPropSheet& s, P& page) {
      c.edit(page);
      config_testing::ApplyAndWait(s);
    });
    EXPECT_EQ(SentOptions(), std::vector<std::string>{"RS485"});
    EXPECT_EQ(Sent("RS485"), Patched(original, c.patches));
    EXPECT_EQ(g_lpApp->m_abyChannelDeviceId[0].load(), c.ids[0]);
    EXPECT_EQ(g_lpApp->m_abyChannelDeviceId[1].load(), c.ids[1]);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel1Device, c.types[0]);
    EXPECT_EQ(g_lpApp->m_SettingINI.m_byChannel2Device, c.types[1]);
    EXPECT_EQ(sheet->m_bDeviceTypeChanged != 0, c.typeChanged);
    EXPECT_TRUE(Messages().empty());
  }
}

TEST_F(PeripheralTest, ATurboStepOutsideOneToTenIsNotSent) {
  ScopedDeviceTable table({0, 3, 8});
  fakes::ConfigRecords records = fakes::SampleConfig();
  records["RS485"][2] = 11;
  ASSERT_EQ(Load(records), 1);
  const int result = RunOnPage([](CSysConfPropSheet& s, P& page) {
    EXPECT_EQ(Row(page, P::IDC_TURBO), -1);
    Type(page, P::IDC_ID1, "4");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultApplied);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Max value should be 1 ~ 10"});
  EXPECT_TRUE(SentOptions().empty());
}

TEST_F(PeripheralTest, AnIdAbove255KeepsThePage) {
  ScopedDeviceTable table({0, 3, 8});
  ASSERT_EQ(Load(), 1);
  const int result = RunOnPage([](CSysConfPropSheet& s, P& page) {
    Type(page, P::IDC_ID2, "256");
    config_testing::ApplyAndWait(s);
  });
  EXPECT_EQ(result, kNotEnded);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Enter a whole number from 0 to 255."});
  EXPECT_TRUE(SentOptions().empty());
}

TEST_F(PeripheralTest, TheRecorderVariantShowsTheFirstIdAndTheKind) {
  g_lpApp->m_abyChannelDeviceId[0] = 12;
  g_lpApp->m_byDeviceType = 0x76;
  CQ4TPeripheral page;
  ui::CPropertySheet plain;
  plain.AddPage(&page);
  QTimer::singleShot(0, &plain, [&] {
    EXPECT_EQ(TextOf(page, CQ4TPeripheral::IDC_ID), "12");
    EXPECT_EQ(TextOf(page, CQ4TPeripheral::IDC_MODEL), syscfg::RecorderKindText(0x76));
    plain.EndDialog(0);
  });
  plain.DoModal();
  plain.RemovePage(&page);
}

}  // namespace
