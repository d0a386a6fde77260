// Motion Setup on the Trigger page against the fake server: the PENTA record is fetched on the
// page's worker before the motion grid opens. A server that holds the fetch leaves the sheet
// working with the key disabled; the sheet's close stops the fetch and opens nothing, nor does a
// late answer; a failed fetch shows 4029 once; a fetched record opens the grid with its values.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "config_fixture.h"
#include "net/config_record_layout.h"
#include "page_controls.h"
#include "ui/config/motion/motion_detection_dlg.h"

namespace {

using namespace config_testing;
using T = AlarmPropertyPage;

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
    return fakes::WaitUntil([&] { return server->RequestsTo("/GetSysCfg.cgi").size() >= count; });
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
      ASSERT_TRUE(fakes::WaitUntil([&] { return ticked; }));
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
      ASSERT_TRUE(fakes::WaitUntil([&] { return !s.isVisible(); }));
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
    ASSERT_TRUE(fakes::WaitUntil([&] { return !s.isVisible(); }));
  });
  EXPECT_EQ(result, CSysConfPropSheet::kResultClosed);
  EXPECT_TRUE(runner->Runs().empty());
  EXPECT_EQ(sheet->m_AlarmPage.MotionDialog(), nullptr);
  EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 1u);
}

// Motion Setup over a scripted port, no server: the fetch is the sheet engine's
// fetchMotionRecord, held until the test answers or the stop comes. Presses while it is held make
// no second call; the sheet's close cuts it and its answer opens nothing; an answered fetch opens
// the grid with the port's record, and the grid's APPLY sends through the same engine.
TEST_F(MotionSetupTest, TheFetchAndTheGridsApplyGoThroughTheSheetsEngine) {
  ASSERT_EQ(Load(), 1);
  ports::SysConfEngine engine = RecordingEngine();
  std::mutex lock;
  std::vector<std::string> portCalls;
  const auto record = [&](std::string call) {
    const std::lock_guard guard(lock);
    portCalls.push_back(std::move(call));
  };
  platform::Event answer(platform::ResetMode::Auto);
  PentaRecord fresh{};
  const std::vector<std::uint8_t> sample = fakes::SampleConfig().at("PENTA");
  std::copy(sample.begin(), sample.end(), fresh.begin());
  fresh[cfg::penta::kMpeg4Sensitivity] = 3;
  engine.fetchMotionRecord = [&](const platform::StopToken& stop) -> std::optional<PentaRecord> {
    record("fetch");
    // Stopped or answered, it answers with the record: after a stop it must open nothing.
    platform::WaitAny({&stop.StopEvent(), &answer}, platform::kInfinite);
    return fresh;
  };
  engine.setRecord = [&](std::uint8_t option, std::span<const std::uint8_t> bytes, int,
                         const platform::StopToken&) {
    record("set " + std::to_string(option) + " " + std::to_string(bytes.size()));
    return 1;
  };
  NewSheet().SetEngine(engine);

  RunOnTrigger([&](CSysConfPropSheet& s, T& page) {
    Click(page, T::IDC_MOTION_SETUP);
    ASSERT_TRUE(fakes::WaitUntil([&] {
      const std::lock_guard guard(lock);
      return !portCalls.empty();
    }));
    Click(page, T::IDC_MOTION_SETUP);
    page.OnMotionSetup();
    EXPECT_TRUE(page.FetchWorker().IsRunning());
    s.OnExit();
  });
  T& page = sheet->m_AlarmPage;
  ASSERT_TRUE(WaitForDroppedResults(page.FetchWorker()));
  EXPECT_EQ(portCalls, std::vector<std::string>{"fetch"});
  EXPECT_EQ(page.MotionDialog(), nullptr);
  EXPECT_TRUE(runner->Runs().empty());

  int shownSensitivity = -1;
  runner->ScriptHandler("CMotionDetectionDlg", [&](ui::UiDialog& dialog) {
    auto& grid = static_cast<CMotionDetectionDlg&>(dialog);
    QTimer::singleShot(0, &grid, [&] {
      shownSensitivity = grid.m_nSensitivity;
      grid.OnSelectAll();
      grid.OnApply();
    });
    return grid.DoModal();
  });
  answer.Set();
  RunOnTrigger([&](CSysConfPropSheet&, T& reopened) {
    Click(reopened, T::IDC_MOTION_SETUP);
    ASSERT_TRUE(WaitForMotionFetch(reopened));
  });
  EXPECT_EQ(runner->Runs(), std::vector<QString>{"CMotionDetectionDlg"});
  EXPECT_EQ(shownSensitivity, 3);
  EXPECT_EQ(portCalls, (std::vector<std::string>{"fetch", "fetch", "set 14 156"}));
  EXPECT_TRUE(server->RequestsTo("/GetSysCfg.cgi").empty());
  EXPECT_TRUE(SentOptions().empty());
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
