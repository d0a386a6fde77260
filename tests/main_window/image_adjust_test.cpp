// The image-adjust command and dialog against the fake server: the fetch of the "IMG" record,
// the four values in sliders and edits, Default, OK that sends and stays, Cancel and close that
// send nothing; and over a scripted fetch, the press that comes while the record is on its way.
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "bitmapgen/palette.h"
#include "commands_fixture.h"
#include "fakes/fake_config_server.h"
#include "platform/sync.h"
#include "ui/common/skin_loader.h"
#include "ui/main/image_adjust_dlg.h"

namespace main_window_test {
namespace {

using namespace mainwin;

const std::vector<std::uint8_t> kFetched = {1, 2, 3, 4, 5, 6, 7, 10, 20, 30, 40, 99};

class ImageAdjustTest : public CommandsTest {
 protected:
  CKavelinDlg& OpenServing() {
    server->SetConfigRecord("IMG", kFetched);
    return OpenConnected();
  }
  // The image-adjust dialog the command opens runs for real; body acts on it once it shows.
  void OnDialog(std::function<void(CImageAdjustDlg&)> body) {
    runner->ScriptHandler(QStringLiteral("CImageAdjustDlg"), [body](ui::UiDialog& d) {
      auto& dialog = static_cast<CImageAdjustDlg&>(d);
      QTimer::singleShot(0, &dialog, [&dialog, body] { body(dialog); });
      return dialog.DoModal();
    });
  }
  static void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  static void Click(CImageAdjustDlg& dialog, int id) {
    QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
  }
  std::vector<fakes::RecordedRequest> Sends() const {
    Settle();
    return server->RequestsTo("/SetSysCfg.cgi");
  }
};

TEST_F(ImageAdjustTest, RefusedWithoutAConnectionAndAFailedFetchKeepsTheCache) {
  CKavelinDlg& window = OpenServing();
  g_lpApp->m_ImgConfig.fill(0x5A);
  g_lpApp->m_bConnected = 0;
  window.OnCommand(IDC_IMAGE_ADJUST);
  Settle();
  EXPECT_TRUE(server->RequestsTo("/GetSysCfg.cgi").empty());
  g_lpApp->m_bConnected = 1;
  fakes::RefuseGetSysCfg(*server, "IMG");
  window.OnCommand(IDC_IMAGE_ADJUST);
  Settle();
  EXPECT_EQ(Messages(), (std::vector<std::string>{Text(4085), Text(4029)}));
  EXPECT_EQ(server->RequestsTo("/GetSysCfg.cgi").size(), 1u);
  for (const std::uint8_t byte : g_lpApp->m_ImgConfig)
    EXPECT_EQ(byte, 0x5A);
  EXPECT_TRUE(runner->Runs().empty());
}

// Over a scripted fetch that the test answers by hand: a press while the record is on its way
// is ignored (one fetch, one dialog), the dialog opens with the answer, and the next press
// fetches again.
TEST_F(ImageAdjustTest, APressWhileTheRecordIsFetchedIsIgnored) {
  std::mutex lock;
  std::condition_variable changed;
  int fetches = 0;
  platform::Semaphore answers(0, 10);
  m_engine.fetchImageRecord = [&](const platform::StopToken& stop) -> std::optional<ImgRecord> {
    {
      const std::lock_guard guard(lock);
      ++fetches;
      changed.notify_all();
    }
    if (platform::WaitAny({&answers, &stop.StopEvent()}, platform::kInfinite) != 0)
      return std::nullopt;
    ImgRecord record{};
    std::copy(kFetched.begin(), kFetched.end(), record.begin());
    return record;
  };
  const auto waitFetches = [&](int count) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(10), [&] { return fetches >= count; });
  };
  std::vector<int> shown;
  runner->ScriptHandler(QStringLiteral("CImageAdjustDlg"), [&shown](ui::UiDialog& d) {
    shown.push_back(static_cast<CImageAdjustDlg&>(d).m_nInitial[0]);
    return ui::IDCANCEL;
  });
  CKavelinDlg& window = OpenConnected();
  window.OnCommand(IDC_IMAGE_ADJUST);
  ASSERT_TRUE(waitFetches(1));
  window.OnCommand(IDC_IMAGE_ADJUST);
  EXPECT_EQ(window.Requests().Waiting(), 0u);
  answers.Release();
  Settle();
  EXPECT_EQ(shown, std::vector<int>{kFetched[7]});
  window.OnCommand(IDC_IMAGE_ADJUST);
  ASSERT_TRUE(waitFetches(2));
  answers.Release();
  Settle();
  EXPECT_EQ(shown, (std::vector<int>{kFetched[7], kFetched[7]}));
  EXPECT_EQ(fetches, 2);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(server->RequestsTo("/GetSysCfg.cgi").empty());
}

TEST_F(ImageAdjustTest, StartsWithBytesSevenToTenAndCancelSendsNothing) {
  CKavelinDlg& window = OpenServing();
  OnDialog([](CImageAdjustDlg& dialog) {
    const int expected[] = {10, 20, 30, 40};
    for (int row = 0; row < 4; ++row) {
      EXPECT_EQ(dialog.Slider(row)->value(), expected[row]) << row;
      EXPECT_EQ(dialog.Edit(row)->text(), QString::number(expected[row])) << row;
    }
    EXPECT_EQ(dialog.Controls().Get<QSlider>(1313)->value(), 10);  // brightness
    EXPECT_EQ(dialog.Controls().Get<QSlider>(1314)->value(), 40);  // saturation
    Click(dialog, ui::IDCANCEL);
  });
  window.OnCommand(IDC_IMAGE_ADJUST);
  Settle();
  EXPECT_EQ(runner->Runs(), std::vector<QString>{"CImageAdjustDlg"});
  EXPECT_TRUE(Sends().empty());
  EXPECT_EQ(std::vector<std::uint8_t>(g_lpApp->m_ImgConfig.begin(), g_lpApp->m_ImgConfig.end()),
            kFetched);
}

TEST_F(ImageAdjustTest, EditsAndSlidersClampToTheValueRange) {
  CKavelinDlg& window = OpenServing();
  OnDialog([](CImageAdjustDlg& dialog) {
    Type(dialog.Edit(0), "300");
    EXPECT_EQ(dialog.Edit(0)->text(), "255");
    EXPECT_EQ(dialog.Slider(0)->value(), 255);
    Type(dialog.Edit(1), "-5");
    EXPECT_EQ(dialog.Edit(1)->text(), "0");
    EXPECT_EQ(dialog.Slider(1)->value(), 0);
    // Typing goes on over a text that is not a number yet.
    Type(dialog.Edit(2), "-");
    EXPECT_EQ(dialog.Edit(2)->text(), "-");
    EXPECT_EQ(dialog.Slider(2)->value(), 30);
    Type(dialog.Edit(2), "77");
    EXPECT_EQ(dialog.Slider(2)->value(), 77);
    // A page up at 250 stops at 255; End and Home take the ends.
    dialog.Slider(3)->setValue(250);
    dialog.Slider(3)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(dialog.Edit(3)->text(), "255");
    dialog.Slider(3)->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(dialog.Edit(3)->text(), "245");
    QTest::keyClick(dialog.Slider(3), Qt::Key_Home);
    EXPECT_EQ(dialog.Edit(3)->text(), "0");
    QTest::keyClick(dialog.Slider(3), Qt::Key_End);
    EXPECT_EQ(dialog.Edit(3)->text(), "255");
    EXPECT_EQ(dialog.m_nValue, (std::array<int, 4>{255, 0, 77, 255}));
    Click(dialog, CImageAdjustDlg::IDC_CLOSE);
  });
  window.OnCommand(IDC_IMAGE_ADJUST);
  Settle();
  EXPECT_TRUE(Sends().empty());
}

TEST_F(ImageAdjustTest, DefaultThenOkSendsTheFetchedRecordWithTheValuesAndStaysOpen) {
  CKavelinDlg& window = OpenServing();
  bool openAfterOk = false;
  std::size_t sendsWhileOpen = 0;
  OnDialog([&](CImageAdjustDlg& dialog) {
    Click(dialog, CImageAdjustDlg::IDC_DEFAULT);
    for (int row = 0; row < 4; ++row)
      EXPECT_EQ(dialog.Edit(row)->text(), "128");
    EXPECT_TRUE(Sends().empty());
    Click(dialog, ui::IDOK);
    openAfterOk = dialog.isVisible();
    sendsWhileOpen = Sends().size();
    EXPECT_EQ(dialog.m_nInitial, (std::array<int, 4>{128, 128, 128, 128}));
    Click(dialog, ui::IDCANCEL);
  });
  window.OnCommand(IDC_IMAGE_ADJUST);
  Settle();
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(sendsWhileOpen, 1u);
  const auto sends = Sends();
  ASSERT_EQ(sends.size(), 1u);
  EXPECT_EQ(sends[0].Param("Option"), "IMG");
  EXPECT_EQ(sends[0].Param("SessionID"), "S1");
  std::vector<std::uint8_t> expected = kFetched;
  std::fill(expected.begin() + 7, expected.begin() + 11, 0x80);
  EXPECT_EQ(sends[0].body, expected);
  EXPECT_EQ(std::vector<std::uint8_t>(g_lpApp->m_ImgConfig.begin(), g_lpApp->m_ImgConfig.end()),
            expected);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ImageAdjustTest, AFailedSendShowsItsTextAndTheWindowStays) {
  CKavelinDlg& window = OpenServing();
  fakes::RefuseSetSysCfg(*server, {"IMG"});
  bool openAfterOk = false;
  OnDialog([&](CImageAdjustDlg& dialog) {
    Type(dialog.Edit(0), "200");
    Click(dialog, ui::IDOK);
    Settle();
    openAfterOk = dialog.isVisible();
    EXPECT_EQ(dialog.Edit(0)->text(), "200");
    Click(dialog, ui::IDCANCEL);
  });
  window.OnCommand(IDC_IMAGE_ADJUST);
  Settle();
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Set the system config is failed\n"});
  EXPECT_EQ(Sends().size(), 1u);
  EXPECT_EQ(g_lpApp->m_ImgConfig[7], 200);
}

TEST_F(ImageAdjustTest, TheWindowIsLaidOutFromItsTables) {
  OpenServing();
  CImageAdjustDlg dialog;
  dialog.m_nInitial = {1, 2, 3, 4};
  QTimer::singleShot(0, &dialog, [&] {
    EXPECT_EQ(dialog.size(), QSize(304, 236));
    EXPECT_EQ(dialog.LoadedFramePieces(), 9);
    EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(150, 100)));
    for (const ImageAdjustButton& b : kImageAdjustButtons)
      EXPECT_EQ(dialog.GetDlgItem(b.id)->geometry(),
                QRect(b.rect.left, b.rect.top, b.rect.Width(), b.rect.Height()))
          << b.id;
    for (const ImageAdjustRow& r : kImageAdjustRows) {
      EXPECT_EQ(dialog.GetDlgItem(r.sliderId)->geometry(), QRect(60, r.y, 150, 20));
      EXPECT_EQ(dialog.GetDlgItem(r.editId)->geometry(), QRect(240, r.y, 40, 20));
      EXPECT_EQ(dialog.GetDlgItem(r.labelId)->geometry(), QRect(15, r.y, 20, 20));
      EXPECT_EQ(dialog.GetDlgItem(r.labelId)->toolTip(), ui::LoadString(r.labelId));
      auto* slider = qobject_cast<QSlider*>(dialog.GetDlgItem(r.sliderId));
      EXPECT_EQ(slider->maximum(), 255);
      EXPECT_EQ(slider->pageStep(), 10);
    }
    const QImage shot = dialog.grab().toImage();
    EXPECT_EQ(shot.pixelColor(150, 10), Colour("BMP\\TilteBar_ess.bmp"));
    EXPECT_EQ(shot.pixelColor(5, 100), Colour("BMP\\LeftSide_ess.bmp"));
    EXPECT_EQ(shot.pixelColor(150, 230), Colour("BMP\\Bottom_ess.bmp"));
    // The body takes the main window's ground, like every window of the program.
    EXPECT_EQ(shot.pixelColor(150, 190), skin::palette::kGround);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Image Adjust"));
    dialog.EndDialog(ui::IDCANCEL);
  });
  dialog.DoModal();

  // Without its frame bitmaps the window still opens, unskinned.
  const QString skins = ui::SkinBaseFolder();
  ui::SetSkinBaseFolder(QString::fromStdString(m_folder.Dir()));
  CImageAdjustDlg bare;
  QTimer::singleShot(0, &bare, [&] {
    EXPECT_EQ(bare.LoadedFramePieces(), 0);
    EXPECT_TRUE(bare.isVisible());
    bare.EndDialog(ui::IDCANCEL);
  });
  bare.DoModal();
  ui::SetSkinBaseFolder(skins);
}

}  // namespace
}  // namespace main_window_test
