#include "app/app_data.h"
#include "ui/config/sheets/load_config_dlg.h"
#include "ui/config/sheets/sys_conf_prop_sheet.h"
#include "ui/config/sheets/system_config_seam.h"

namespace {

// The two dialogs are owned here and have the main window as their parent (for placing):
// the main window destroys this object before its own children go, so each dialog leaves its
// parent when it is destroyed here.
class SystemConfigWindows final : public ISystemConfigWindows {
 public:
  SystemConfigWindows(QWidget* parent, ports::SysConfEngine engine)
      : m_parent(parent),
        m_engine(std::move(engine)),
        m_loadDialog(std::make_unique<CEnterSysConfigDlg>(m_engine, parent)) {}
  ~SystemConfigWindows() override {
    CSysConfPropSheet* sheet = m_sheet.get();
    if (g_lpApp && sheet != nullptr)
      g_lpApp->m_pOpenSysConfSheet.compare_exchange_strong(sheet, nullptr);
  }

  int RunLoadConfigDialog() override { return m_loadDialog->DoModal(); }

  void PrepareSheet(const QString& emptyPageText, const SysConfFolders& folders) override {
    if (!m_sheet) {
      m_sheet = std::make_unique<CSysConfPropSheet>(
          m_engine, QString::fromLatin1(CSysConfPropSheet::kCaption), m_parent);
    }
    if (CSysConfPage* page = m_sheet->PageOfCode(m_sheet->SysConfPageCode))
      m_sheet->SetActivePage(page);
    m_sheet->SetTreeTitle(emptyPageText);
    m_sheet->SetTreeMode(true, true);  // with the page's caption over it
    m_sheet->m_Folders = folders;
  }

  int RunSheet() override {
    if (!m_sheet)
      PrepareSheet(QString::fromLatin1(CSysConfPropSheet::kEmptyPageText), {});
    m_sheet->m_bOpen = 1;
    if (g_lpApp)
      g_lpApp->m_pOpenSysConfSheet = m_sheet.get();
    const int result = m_sheet->DoModal();
    if (g_lpApp)
      g_lpApp->m_pOpenSysConfSheet = nullptr;
    return result;
  }

  SysConfFolders Folders() const override {
    return m_sheet ? m_sheet->m_Folders : SysConfFolders{};
  }
  bool DeviceTypeChanged() const override { return m_sheet && m_sheet->m_bDeviceTypeChanged != 0; }
  int PageCode() const override { return m_sheet ? m_sheet->SysConfPageCode : 0; }

  void CloseForLostConnection() override {
    // On the GUI thread, as the runs are: the sheet ends itself when it runs.
    if (m_sheet)
      m_sheet->CloseForLostConnection();
  }

 private:
  QWidget* m_parent;
  ports::SysConfEngine m_engine;
  std::unique_ptr<CEnterSysConfigDlg> m_loadDialog;
  std::unique_ptr<CSysConfPropSheet> m_sheet;
};

}  // namespace

std::unique_ptr<ISystemConfigWindows> CreateSystemConfigWindows(QWidget* parent,
                                                                ports::SysConfEngine engine) {
  return std::make_unique<SystemConfigWindows>(parent, std::move(engine));
}
