#include "ui/main/kavelin_main_window.h"

#include "media/audio/wave_out_player.h"
#include "media/compose.h"
#include "ui/main/kavelin_dlg.h"

namespace ui {
namespace {

class KavelinMainWindow final : public app::IMainWindow {
 public:
  KavelinMainWindow(ports::MainWindowEngine engine, ports::SysConfEngine sysConf)
      : m_engine(std::move(engine)), m_sysConf(std::move(sysConf)) {
    LiveAudioPlayer()->SetFrameRateSource([] { return g_fDisplayFrameRate.load(); });
  }
  void DoModal() override {
    CKavelinDlg dialog(m_engine, m_sysConf);
    dialog.DoModal();
  }

 private:
  const ports::MainWindowEngine m_engine;
  const ports::SysConfEngine m_sysConf;
};

}  // namespace

std::shared_ptr<app::IMainWindow> MakeKavelinMainWindow(ports::MainWindowEngine engine,
                                                        ports::SysConfEngine sysConf) {
  return std::make_shared<KavelinMainWindow>(std::move(engine), std::move(sysConf));
}

}  // namespace ui
