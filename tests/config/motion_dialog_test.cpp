// The motion-detection grid dialog: its record, the mouse on the grid, presets, APPLY and the
// painter's frame hook.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "config_fixture.h"
#include "fakes/wait_until.h"
#include "ui/config/motion/motion_detection_dlg.h"

namespace {

using config_testing::ConfigTest;
using namespace syscfg;

class MotionDialogTest : public ConfigTest {
 protected:
  void SetUp() override {
    ConfigTest::SetUp();
    CAppData& app = *g_lpApp;
    app.m_wFrameWidth = 352;
    app.m_wFrameHeight = 240;
    app.m_byVideoStandard = 1;
    app.m_byVideoFormat = 4;
  }

  // Fetches the record as the opener does, then runs the dialog with body inside the run; a
  // body that does not end it ends it with 77.
  int Run(CMotionDetectionDlg& dialog, const std::function<void(CMotionDetectionDlg&)>& body) {
    dialog.SetFetchedRecord(FetchMotionRecord());
    QTimer::singleShot(0, &dialog, [&] {
      body(dialog);
      // An APPLY's send runs on the dialog's worker: its answer ends the run.
      EXPECT_TRUE(fakes::WaitUntil([&] { return !dialog.Applying(); }, std::chrono::seconds(30)));
      if (dialog.isVisible())
        dialog.EndDialog(77);
    });
    return dialog.DoModal();
  }
  QWidget* PictureOf(CMotionDetectionDlg& dialog) {
    return dialog.findChild<QWidget*>(QStringLiteral("MotionPicture"));
  }
  static QPoint CentreOf(int row, int column, int cell = 32) {
    return {column * cell + cell / 2, row * cell + cell / 2};
  }
  std::vector<std::uint8_t> served = fakes::SampleConfig().at("PENTA");
};

std::vector<int> CellsOf(const CellMask& mask) {
  std::vector<int> cells;
  for (int cell = 0; cell < kGridCells; ++cell) {
    if (IsCellSet(mask, cell))
      cells.push_back(cell);
  }
  return cells;
}

TEST_F(MotionDialogTest, OpensWithTheFreshRecordsValuesAndGrid) {
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  EXPECT_EQ(g_lpApp->m_pMotionDetectionDlg.Named(), &dialog);
  Run(dialog, [&](CMotionDetectionDlg& d) {
    EXPECT_EQ(d.Controls().Get<QComboBox>(CMotionDetectionDlg::IDC_SENSITIVITY)->currentIndex(), 3);
    const std::pair<int, const char*> values[] = {{CMotionDetectionDlg::IDC_NS, "3"},
                                                  {CMotionDetectionDlg::IDC_LS, "16"},
                                                  {CMotionDetectionDlg::IDC_DT, "10"},
                                                  {CMotionDetectionDlg::IDC_SS, "2"},
                                                  {CMotionDetectionDlg::IDC_FT, "5"}};
    for (const auto& [id, text] : values) {
      EXPECT_EQ(d.Controls().Get<QLineEdit>(id)->text(), text);
      EXPECT_FALSE(d.GetDlgItem(id)->isEnabled());
    }
    std::vector<int> marked;
    for (int row = 2; row <= 4; ++row) {
      for (int column = 3; column <= 6; ++column)
        marked.push_back(CellIndex(row, column));
    }
    EXPECT_EQ(CellsOf(d.m_abyMask), marked);
    EXPECT_EQ(d.PictureRect().size(), QSize(352, 240));
    EXPECT_EQ(d.Picture().size(), QSize(352, 240));
    EXPECT_TRUE(d.IsReady());
    // Picture placed centred, the side buttons to its right.
    EXPECT_EQ(d.PictureRect().center().x(), d.width() / 2 - 1);
    EXPECT_EQ(d.GetDlgItem(CMotionDetectionDlg::IDC_SELECT_ALL)->geometry().left(),
              d.PictureRect().right() + 11);
  });
  EXPECT_FALSE(dialog.IsReady());
  const auto fetches = server->RequestsTo("/GetSysCfg.cgi");
  ASSERT_EQ(fetches.size(), 1u);
  EXPECT_EQ(fetches[0].target, "/GetSysCfg.cgi?Option=PENTA&Size=156&SessionID=S1");
}

TEST_F(MotionDialogTest, ARecordThatCannotBeFetchedEndsWithMinusOneUnshown) {
  fakes::RefuseGetSysCfg(*server, "PENTA");
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  dialog.SetFetchedRecord(FetchMotionRecord());
  EXPECT_EQ(dialog.DoModal(), CMotionDetectionDlg::kResultEnded);
  EXPECT_FALSE(dialog.WasShown());
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
}

TEST_F(MotionDialogTest, AFetchedRecordBecomesTheCachedOneAndServesOneRun) {
  g_lpApp->m_PentaConfig.fill(0x5A);
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  Run(dialog, [&](CMotionDetectionDlg&) {
    EXPECT_EQ(
        std::vector<std::uint8_t>(g_lpApp->m_PentaConfig.begin(), g_lpApp->m_PentaConfig.end()),
        served);
  });
  EXPECT_TRUE(Messages().empty());
  // The next run has no fresh record: 4029, and the window never appears.
  EXPECT_EQ(dialog.DoModal(), CMotionDetectionDlg::kResultEnded);
  EXPECT_FALSE(dialog.WasShown());
  EXPECT_EQ(Messages(), std::vector<std::string>{Text(4029)});
  EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 1u);
}

TEST_F(MotionDialogTest, ClicksToggleACellAndADragTogglesItsCells) {
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  Run(dialog, [&](CMotionDetectionDlg& d) {
    QWidget* picture = PictureOf(d);
    ASSERT_NE(picture, nullptr);
    d.OnClearAll();
    QTest::mouseClick(picture, Qt::LeftButton, {}, CentreOf(0, 0));
    EXPECT_EQ(CellsOf(d.m_abyMask), std::vector<int>{0});
    QTest::mouseDClick(picture, Qt::LeftButton, {}, CentreOf(0, 0));  // back as it was
    EXPECT_EQ(CellsOf(d.m_abyMask), std::vector<int>{0});
    QTest::mouseClick(picture, Qt::LeftButton, {}, CentreOf(0, 0));
    EXPECT_TRUE(CellsOf(d.m_abyMask).empty());

    QTest::mousePress(picture, Qt::LeftButton, {}, CentreOf(1, 1));
    QTest::mouseMove(picture, CentreOf(1, 1) + QPoint(1, 0));
    EXPECT_EQ(d.m_nMouseState, CMotionDetectionDlg::kDragging);
    QTest::mouseMove(picture, CentreOf(2, 3));
    EXPECT_EQ(CellsOf(d.m_abySelection).size(), 6u);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, CentreOf(2, 3));
    EXPECT_EQ(CellsOf(d.m_abyMask),
              (std::vector<int>{CellIndex(1, 1), CellIndex(1, 2), CellIndex(1, 3), CellIndex(2, 1),
                                CellIndex(2, 2), CellIndex(2, 3)}));
    EXPECT_TRUE(CellsOf(d.m_abySelection).empty());
    EXPECT_EQ(d.m_nMouseState, CMotionDetectionDlg::kIdle);
    // Hovering marks the cell under the pointer, in blue. The pointer first goes to another
    // cell: Qt drops a move to where the pointer already is, and a run before this one (a
    // repeated run of the test) may have left it over that cell.
    QTest::mouseMove(picture, CentreOf(4, 4));
    QTest::mouseMove(picture, CentreOf(5, 5));
    EXPECT_EQ(CellsOf(d.m_abySelection), std::vector<int>{CellIndex(5, 5)});
    EXPECT_EQ(d.Picture().pixelColor(5 * 32, 5 * 32 + 10), QColor(0, 0, 255));
    EXPECT_EQ(d.Picture().pixelColor(4 * 32, 5 * 32 + 10), QColor(255, 255, 0));
  });
}

TEST_F(MotionDialogTest, SelectAllThenApplyAt352FillsBothMasks) {
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  const int result = Run(dialog, [&](CMotionDetectionDlg& d) {
    QTest::mouseClick(static_cast<QPushButton*>(d.GetDlgItem(CMotionDetectionDlg::IDC_SELECT_ALL)),
                      Qt::LeftButton);
    QTest::mouseClick(static_cast<QPushButton*>(d.GetDlgItem(CMotionDetectionDlg::IDC_APPLY)),
                      Qt::LeftButton);
  });
  EXPECT_EQ(result, 0);
  const auto sent = Sent("PENTA");
  ASSERT_TRUE(sent.has_value());
  std::vector<std::uint8_t> expected = served;
  std::fill_n(expected.begin() + 99, 54, 0xFF);
  std::fill_n(expected.begin() + 23, 54, 0xFF);
  EXPECT_EQ(*sent, expected);
}

TEST_F(MotionDialogTest, At704TheGridUsesItsOwnMaskAndDerivesThe352One) {
  g_lpApp->m_wFrameWidth = 704;
  g_lpApp->m_wFrameHeight = 480;
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  Run(dialog, [&](CMotionDetectionDlg& d) {
    EXPECT_EQ(d.m_Geometry.cellSize, 16);
    EXPECT_EQ(CellsOf(d.m_abyMask).size(), 48u);  // the 704 mask of the sample
    d.OnClearAll();
    QTest::mouseClick(PictureOf(d), Qt::LeftButton, {}, CentreOf(0, 21, 16));
    d.OnApply();
  });
  const auto sent = Sent("PENTA");
  ASSERT_TRUE(sent.has_value());
  CellMask mask704{}, mask352{};
  std::copy_n(sent->begin() + 23, 54, mask704.begin());
  std::copy_n(sent->begin() + 99, 54, mask352.begin());
  EXPECT_EQ(CellsOf(mask704), std::vector<int>{CellIndex(0, 21)});
  EXPECT_EQ(CellsOf(mask352), std::vector<int>{CellIndex(0, 10)});
}

TEST_F(MotionDialogTest, PresetsAndTypedParametersAreKeptInRangeAndApplyWritesBothSets) {
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  Run(dialog, [&](CMotionDetectionDlg& d) {
    auto* combo = d.Controls().Get<QComboBox>(CMotionDetectionDlg::IDC_SENSITIVITY);
    combo->setCurrentIndex(0);
    d.OnSensitivityChanged();
    EXPECT_TRUE(d.GetDlgItem(CMotionDetectionDlg::IDC_LS)->isEnabled());
    auto* ls = d.Controls().Get<QLineEdit>(CMotionDetectionDlg::IDC_LS);
    ls->clear();
    QTest::keyClicks(ls, "200");
    EXPECT_EQ(ls->text(), "63");
    auto* dt = d.Controls().Get<QLineEdit>(CMotionDetectionDlg::IDC_DT);
    dt->clear();
    QTest::keyClicks(dt, "99");
    combo->setCurrentIndex(5);
    d.OnSensitivityChanged();
    const std::pair<int, const char*> values[] = {{CMotionDetectionDlg::IDC_NS, "1"},
                                                  {CMotionDetectionDlg::IDC_LS, "8"},
                                                  {CMotionDetectionDlg::IDC_DT, "99"},
                                                  {CMotionDetectionDlg::IDC_SS, "1"},
                                                  {CMotionDetectionDlg::IDC_FT, "5"}};
    for (const auto& [id, text] : values) {
      EXPECT_EQ(d.Controls().Get<QLineEdit>(id)->text(), text);
      EXPECT_FALSE(d.GetDlgItem(id)->isEnabled());
    }
    d.OnApply();
  });
  const auto sent = Sent("PENTA");
  ASSERT_TRUE(sent.has_value());
  std::vector<std::uint8_t> expected = served;
  for (std::size_t set : {16u, 92u}) {
    expected[set] = 5;
    const std::uint8_t parameters[] = {1, 8, 99, 1, 5};
    std::copy(std::begin(parameters), std::end(parameters),
              expected.begin() + static_cast<long>(set + 2));
  }
  EXPECT_EQ(*sent, expected);
}

TEST_F(MotionDialogTest, AStalledApplyLeavesTheDialogWorkingAndExitEndsIt) {
  fakes::StallSetSysCfg(*server, {"PENTA"}, std::chrono::seconds(30));
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  const int result = Run(dialog, [&](CMotionDetectionDlg& d) {
    d.OnSelectAll();
    d.OnApply();
    ASSERT_TRUE(fakes::WaitUntil([&] { return !server->RequestsTo("/SetSysCfg.cgi").empty(); }));
    EXPECT_TRUE(d.Applying());
    EXPECT_TRUE(d.ApplyWorker().IsRunning());
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.GetDlgItem(CMotionDetectionDlg::IDC_APPLY)->isEnabled());
    EXPECT_FALSE(d.GetDlgItem(CMotionDetectionDlg::IDC_CLEAR_ALL)->isEnabled());
    // The window answers meanwhile; a second APPLY is ignored.
    bool ticked = false;
    QTimer::singleShot(0, &d, [&] { ticked = true; });
    ASSERT_TRUE(fakes::WaitUntil([&] { return ticked; }));
    d.OnApply();
    EXPECT_TRUE(d.ApplyWorker().IsRunning());
    EXPECT_EQ(d.ApplyWorker().DroppedResults(), 0);
    EXPECT_EQ(server->RequestsTo("/SetSysCfg.cgi").size(), 1u);
    d.OnExit();
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(dialog.Applying());
  EXPECT_FALSE(dialog.ApplyWorker().IsRunning());
  EXPECT_TRUE(Messages().empty());
  // The next run's controls take input again.
  Run(dialog, [](CMotionDetectionDlg& d) {
    EXPECT_TRUE(d.GetDlgItem(CMotionDetectionDlg::IDC_APPLY)->isEnabled());
    d.OnExit();
  });
}

TEST_F(MotionDialogTest, ExitAndAnUntouchedApplySendNothing) {
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  EXPECT_EQ(Run(dialog, [](CMotionDetectionDlg& d) { d.OnApply(); }), 0);
  EXPECT_EQ(Run(dialog, [](CMotionDetectionDlg& d) { d.OnExit(); }), 0);
  EXPECT_TRUE(SentOptions().empty());
  fakes::RefuseSetSysCfg(*server, {"PENTA"});
  EXPECT_EQ(Run(dialog,
                [](CMotionDetectionDlg& d) {
                  d.OnSelectAll();
                  d.OnApply();
                }),
            0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Set the system config is failed\n"});
}

TEST_F(MotionDialogTest, ThePaintersFrameHookBringsTheFrameIntoThePicture) {
  struct Case {
    const char* name;
    int width, height;
    bool taken;
  };
  const Case cases[] = {{"same size", 352, 240, true},
                        {"scaled down", 704, 480, true},
                        {"scaled up", 176, 120, true},
                        {"another width", 320, 240, true},
                        {"too large", 800, 600, false}};
  CAppData& app = *g_lpApp;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A frame of one colour: blue 10, green 20, red 30.
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(c.width * c.height) * 3);
    for (std::size_t i = 0; i < frame.size(); i += 3) {
      frame[i] = 10;
      frame[i + 1] = 20;
      frame[i + 2] = 30;
    }
    app.m_wFrameWidth = static_cast<std::uint16_t>(c.width);
    app.m_wFrameHeight = static_cast<std::uint16_t>(c.height);
    app.m_pCurrentPicture = frame.data();
    CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
    EXPECT_FALSE(dialog.SetFrameEvent());  // no window yet
    Run(dialog, [&](CMotionDetectionDlg& d) {
      const QPoint marked = CentreOf(3, 4);  // a marked cell: neither tinted nor outlined
      EXPECT_EQ(d.Picture().pixelColor(marked), QColor(0, 0, 0));
      bool signalled = false;
      const qint64 before = d.Picture().cacheKey();
      std::thread painter([&] {
        app.m_pMotionDetectionDlg.With(
            [&](CMotionDetectionDlg& named) { signalled = named.SetFrameEvent(); });
      });
      painter.join();
      EXPECT_TRUE(signalled);
      if (c.taken) {
        EXPECT_TRUE(
            fakes::WaitUntil([&] { return d.Picture().pixelColor(marked) == QColor(30, 20, 10); }));
      } else {
        // The worker answers each frame (the picture is built again); a frame too large leaves
        // the picture as it was.
        ASSERT_TRUE(fakes::WaitUntil([&] { return d.Picture().cacheKey() != before; }));
        EXPECT_EQ(d.Picture().pixelColor(marked), QColor(0, 0, 0));
      }
    });
    app.m_pCurrentPicture = nullptr;
  }
}

TEST_F(MotionDialogTest, TheReportBrightensTheCellsItMarks) {
  CAppData& app = *g_lpApp;
  std::array<std::uint8_t, 73> report{};
  report[0] = 0x80;  // row 0, column 0
  report[72] = 'S';
  app.m_pCurrentFrameInfo = report.data();
  app.m_dwMotionFlag = 1;
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  Run(dialog, [&](CMotionDetectionDlg& d) {
    // A black picture: the clear cell 0 is tinted (red 100) and brightened before.
    const QColor inside = d.Picture().pixelColor(16, 16);
    EXPECT_EQ(inside, QColor(std::min(255, 100 + 30 * 155 / 255), 30 * 155 / 255, 30 * 155 / 255));
    EXPECT_EQ(d.Picture().pixelColor(48, 16), QColor(100, 0, 0));
  });
  app.m_dwMotionFlag = 0;
  app.m_pCurrentFrameInfo = nullptr;
}

TEST_F(MotionDialogTest, TheEndOfTheStreamsEndsTheDialog) {
  g_lpApp->h_EndofGetJpegImageEvent =
      std::make_shared<platform::Event>(platform::ResetMode::Manual);
  CMotionDetectionDlg dialog(ports::SysConfEngine::Defaults());
  const int result = Run(dialog, [&](CMotionDetectionDlg& d) {
    g_lpApp->h_EndofGetJpegImageEvent->Set();
    EXPECT_TRUE(fakes::WaitUntil([&] { return !d.isVisible(); }));
  });
  EXPECT_EQ(result, CMotionDetectionDlg::kResultEnded);
}

// The painter's call reaches the dialog while the dialog goes (its sheet closed, on the GUI
// thread): the dialog's end waits for that call, which finds the dialog whole; afterwards the
// painter finds no dialog.
TEST_F(MotionDialogTest, ThePaintersCallWhileTheDialogGoesEndsBeforeTheDialog) {
  CAppData& app = *g_lpApp;
  auto dialog = std::make_unique<CMotionDetectionDlg>(ports::SysConfEngine::Defaults());
  std::atomic<bool> inside{false};
  std::atomic<bool> gone{false};
  bool sawTheEndBegin = false;
  bool goneWhileInside = true;
  bool signalled = true;
  std::thread painter([&] {
    app.m_pMotionDetectionDlg.With([&](CMotionDetectionDlg& named) {
      inside = true;
      // (A plain look on this thread: the wait pump belongs to the GUI thread.)
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!app.m_pMotionDetectionDlg.Withdrawing() && std::chrono::steady_clock::now() < limit)
        std::this_thread::yield();
      sawTheEndBegin = app.m_pMotionDetectionDlg.Withdrawing();
      goneWhileInside = gone.load();
      signalled = named.SetFrameEvent();  // not waiting for frames: nothing signalled
    });
  });
  ASSERT_TRUE(fakes::WaitUntil([&] { return inside.load(); }));
  dialog.reset();
  gone = true;
  painter.join();
  EXPECT_TRUE(sawTheEndBegin);
  EXPECT_FALSE(goneWhileInside);
  EXPECT_FALSE(signalled);
  EXPECT_EQ(app.m_pMotionDetectionDlg.Named(), nullptr);
  EXPECT_FALSE(app.m_pMotionDetectionDlg.With([](CMotionDetectionDlg&) {}));
}

}  // namespace
