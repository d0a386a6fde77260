#include "ui/config/sys_conf_sheet_base.h"

#include "app/app_data.h"
#include "ui/common/property_sheet.h"

CSysConfSheetBase::CSysConfSheetBase() : m_engine(syscfg::SysConfEngine::Defaults()) {}

CSysConfSheetBase::~CSysConfSheetBase() = default;

CSysConfPage* CSysConfSheetBase::PageOfCode(int code) const {
  const ui::CPropertySheet& sheet = Sheet();
  for (int i = 0; i < sheet.GetPageCount(); ++i) {
    auto* page = dynamic_cast<CSysConfPage*>(sheet.GetPage(i));
    if (page != nullptr && page->PageCode() == code)
      return page;
  }
  return nullptr;
}

void CSysConfSheetBase::LoadPagesFromConfig() {
  if (g_lpApp)
    m_Mirror = syscfg::LoadMirror(*g_lpApp);
}
