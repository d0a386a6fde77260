// Motion Setup on the Trigger page against the fake server: the PENTA record is fetched on the
// page's worker before the motion grid opens. A server that holds the fetch leaves the sheet
// working with the key disabled; the sheet's close stops the fetch and opens nothing, nor does a
// late answer; a failed fetch shows 4029 once; a fetched record opens the grid with its values.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>

#include "config_fixture.h"
#include "net/config_record_layout.h"
#include "page_controls.h"
#include "ui/config/motion/motion_detection_dlg.h"

namespace {

using namespace config_testing;
using T = AlarmPropertyPage;

constexpr int kWaitMs = 10000;
constexpr auto kStall = std::chrono::seconds(30);

class MotionSetupTest : public ConfigTest {
 public:
  void SetUp() override {
    ConfigTest::SetUp();
    CAppData& app = *g_lpApp;
    app.m_wFrameWidth = 352;
    app.m_wFrameHeight = 240;
    app.m_byVideoStandard = 1;
    app.m_byVideoFormat = 4;
  }
  int RunOnTrigger(const std::function<void(CSysConfPropSheet&, T&)>& body) {
    return RunSheet([&](CSysConfPropSheet& s) {
      ASSERT_TRUE(s.SetActivePage(&s.m_AlarmPage));
      body(s, s.m_AlarmPage);
    });
  }
  // Every record answered at once, as the server starts.
  void ServeAtOnce() { fakes::StallGetSysCfg(*server, {}, std::chrono::milliseconds(0)); }
  bool WaitForFetches(std::size_t count) const {
    return QTest::qWaitFor([&] { return server->RequestsTo("/GetSysCfg.cgi").size() >= count; },
                           kWaitMs);
  }
  std::vector<std::uint8_t> CachedPenta() const {
    return {g_lpApp->m_PentaConfig.begin(), g_lpApp->m_PentaConfig.end()};
  }
};

TEST_F(MotionSetupTest, AStalledFetchLeavesTheSheetWorkingAndTheCloseEndsItWithNoGrid) {
  const struct {
    const char* name;
    std::function<void(CSysConfPropSheet&)> close;
  } closes[] = {{"EXIT", [](CSysConfPropSheet& s) { s.OnExit(); }},
                {"Escape", [](CSysConfPropSheet& s) { QTest::keyClick(&s, Qt::Key_Escape); }},
                {"lost connection", [](CSysConfPropSheet& s) { s.CloseForLostConnection(); }}};
  for (const auto& c : closes) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    ServeAtOnce();
    ASSERT_EQ(Load(), 1);
    fakes::StallGetSysCfg(*server, {"PENTA"}, kStall);
    const int result = RunOnTrigger([&](CSysConfPropSheet& s, T& page) {
      Click(page, T::IDC_MOTION_SETUP);
      // The press has returned while the server holds the record.
      ASSERT_TRUE(WaitForFetches(1));
      EXPECT_TRUE(page.FetchingMotionRecord());
      EXPECT_TRUE(page.FetchWorker().IsRunning());
      EXPECT_FALSE(Enabled(page, T::IDC_MOTION_SETUP));
      // The sheet answers: timers run, it paints, pages change and take input.
      bool ticked = false;
      QTimer::singleShot(0, &s, [&] { ticked = true; });
      ASSERT_TRUE(QTest::qWaitFor([&] { return ticked; }, kWaitMs));
      EXPECT_FALSE(s.grab().isNull());
      ASSERT_TRUE(s.SetActivePage(&s.m_NetworkPage));
      ASSERT_TRUE(s.SetActivePage(&page));
      Click(page, T::IDC_MOTION_DISABLE);
      EXPECT_EQ(page.m_byMotion, 0);
      // Presses of the key meanwhile are ignored.
      Click(page, T::IDC_MOTION_SETUP);
      page.OnMotionSetup();
      EXPECT_TRUE(page.FetchWorker().IsRunning());
      EXPECT_EQ(page.FetchWorker().DroppedResults(), 0);
      EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 1u);
      EXPECT_TRUE(runner->Runs().empty());
      c.close(s);
      ASSERT_TRUE(QTest::qWaitFor([&] { return !s.isVisible(); }, kWaitMs));
    });
    EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
    T& page = sheet->m_AlarmPage;
    EXPECT_FALSE(page.FetchingMotionRecord());
    EXPECT_FALSE(page.FetchWorker().IsRunning());
    // The stopped fetch opens nothing later: its answer arrives and is dropped.
    ASSERT_TRUE(WaitForDroppedResults(page.FetchWorker()));
    EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 1u);
    EXPECT_EQ(page.MotionDialog(), nullptr);
    EXPECT_EQ(g_lpApp->m_pMotionDetectionDlg.Named(), nullptr);
    EXPECT_TRUE(runner->Runs().empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(SentOptions().empty());
  }

  // Reopened, the sheet's Motion Setup opens the grid.
  ServeAtOnce();
  RunOnTrigger([](CSysConfPropSheet&, T& page) {
    Click(page, T::IDC_MOTION_SETUP);
    ASSERT_TRUE(WaitForMotionFetch(page));
    EXPECT_TRUE(Enabled(page, T::IDC_MOTION_SETUP));
  });
  EXPECT_EQ(runner->Runs(), std::vector<QString>{"CMotionDetectionDlg"});
}

TEST_F(MotionSetupTest, AFailedFetchShowsOneMessageAndOpensNothing) {
  const struct {
    const char* name;
    std::function<void()> serve;
  } cases[] = {
      {"refused", [this] { fakes::RefuseGetSysCfg(*server, "PENTA"); }},
      {"a record one byte short",
       [this] {
         server->QueueReply("/GetSysCfg.cgi", fakes::FakeReply::Text(std::string(155, 'x')));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sheet.reset();
    ServeAtOnce();
    ASSERT_EQ(Load(), 1);
    const std::vector<std::string> before = Messages();
    const std::vector<std::uint8_t> cached = CachedPenta();
    c.serve();
    RunOnTrigger([](CSysConfPropSheet&, T& page) {
      Click(page, T::IDC_MOTION_SETUP);
      ASSERT_TRUE(WaitForMotionFetch(page));
      EXPECT_TRUE(Enabled(page, T::IDC_MOTION_SETUP));
    });
    std::vector<std::string> expected = before;
    expected.push_back(Text(4029));
    EXPECT_EQ(Messages(), expected);
    EXPECT_TRUE(runner->Runs().empty());
    EXPECT_EQ(sheet->m_AlarmPage.MotionDialog(), nullptr);
    EXPECT_EQ(CachedPenta(), cached);
  }
}

TEST_F(MotionSetupTest, AFetchedRecordOpensTheGridWithItsValues) {
  ASSERT_EQ(Load(), 1);
  // The server's record has changed since the sheet was loaded.
  std::vector<std::uint8_t> fresh = fakes::SampleConfig().at("PENTA");
  using namespace cfg::penta;
  fresh[kMpeg4Sensitivity] = 0;  // Custom: the parameters can be edited
  const std::uint8_t parameters[] = {4, 20, 30, 40, 50};
  std::copy(std::begin(parameters), std::end(parameters),
            fresh.begin() + static_cast<long>(kMpeg4Parameters));
  syscfg::CellMask mask{};
  syscfg::SetCell(mask, syscfg::CellIndex(1, 2), true);
  std::copy(mask.begin(), mask.end(), fresh.begin() + static_cast<long>(kMask352));
  server->SetConfigRecord("PENTA", fresh);

  struct Shown {
    int sensitivity = -1;
    QStringList parameters;
    bool editable = false;
    syscfg::CellMask mask{};
    std::vector<std::uint8_t> cached;
  } shown;
  runner->ScriptHandler("CMotionDetectionDlg", [&](ui::UiDialog& dialog) {
    auto& grid = static_cast<CMotionDetectionDlg&>(dialog);
    QTimer::singleShot(0, &grid, [&] {
      shown.sensitivity =
          grid.Controls().Get<QComboBox>(CMotionDetectionDlg::IDC_SENSITIVITY)->currentIndex();
      for (int id :
           {CMotionDetectionDlg::IDC_NS, CMotionDetectionDlg::IDC_LS, CMotionDetectionDlg::IDC_DT,
            CMotionDetectionDlg::IDC_SS, CMotionDetectionDlg::IDC_FT}) {
        shown.parameters << grid.Controls().Get<QLineEdit>(id)->text();
      }
      shown.editable = grid.GetDlgItem(CMotionDetectionDlg::IDC_LS)->isEnabled();
      shown.mask = grid.m_abyMask;
      shown.cached = CachedPenta();
      grid.EndDialog(0);
    });
    return grid.DoModal();
  });
  RunOnTrigger([](CSysConfPropSheet&, T& page) {
    Click(page, T::IDC_MOTION_SETUP);
    ASSERT_TRUE(WaitForMotionFetch(page));
    EXPECT_TRUE(Enabled(page, T::IDC_MOTION_SETUP));
    EXPECT_NE(page.MotionDialog(), nullptr);
  });
  EXPECT_EQ(runner->Runs(), std::vector<QString>{"CMotionDetectionDlg"});
  EXPECT_EQ(shown.sensitivity, 0);
  EXPECT_EQ(shown.parameters, (QStringList{"4", "20", "30", "40", "50"}));
  EXPECT_TRUE(shown.editable);
  EXPECT_EQ(shown.mask, mask);
  // The fetched record is the cached one the grid's APPLY edits.
  EXPECT_EQ(shown.cached, fresh);
  const auto fetches = server->RequestsTo("/GetSysCfg.cgi");
  ASSERT_EQ(fetches.size(), 1u);
  EXPECT_EQ(fetches[0].target, "/GetSysCfg.cgi?Option=PENTA&Size=156&SessionID=S1");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MotionSetupTest, AnAnswerArrivingWhileTheSheetAppliesOpensNothing) {
  ASSERT_EQ(Load(), 1);
  fakes::StallSetSysCfg(*server, {"TRIGGER"}, kStall);
  const int result = RunOnTrigger([&](CSysConfPropSheet& s, T& page) {
    Click(page, T::IDC_MOTION_DISABLE);
    Click(page, T::IDC_MOTION_SETUP);
    // APPLY starts before the event loop can deliver the fetch's answer.
    s.OnApply();
    ASSERT_TRUE(s.Applying());
    ASSERT_TRUE(WaitForMotionFetch(page));
    EXPECT_TRUE(s.Applying());
    EXPECT_TRUE(runner->Runs().empty());
    EXPECT_TRUE(Messages().empty());
    s.CloseForLostConnection();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s.isVisible(); }, kWaitMs));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_TRUE(runner->Runs().empty());
  EXPECT_EQ(sheet->m_AlarmPage.MotionDialog(), nullptr);
  EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 1u);
}

}  // namespace
