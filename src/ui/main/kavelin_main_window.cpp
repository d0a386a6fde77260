#include "ui/main/kavelin_main_window.h"

#include "media/audio/wave_out_player.h"
#include "media/compose.h"
#include "ui/main/kavelin_dlg.h"

namespace ui {
namespace {

class KavelinMainWindow final : public app::IMainWindow {
 public:
  KavelinMainWindow() {
    LiveAudioPlayer()->SetFrameRateSource([] { return g_fDisplayFrameRate.load(); });
  }
  void DoModal() override {
    CKavelinDlg dialog;
    dialog.DoModal();
  }
};

}  // namespace

std::shared_ptr<app::IMainWindow> MakeKavelinMainWindow() {
  return std::make_shared<KavelinMainWindow>();
}

}  // namespace ui
