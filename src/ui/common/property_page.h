// A property page: an object that lives as long as its sheet's owner and keeps its values
// between runs, and a window (its QWidget) that the sheet creates when the page is first
// activated in a run. The window is a child of the run's widgets and goes with them when the run
// ends, so OnInitDialog runs once per run.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/common/control_registry.h"
#include "ui/common/data_exchange.h"

namespace ui {

class CPropertySheet;

class CPropertyPage {
 public:
  explicit CPropertyPage(QString caption = {});
  virtual ~CPropertyPage();
  CPropertyPage(const CPropertyPage&) = delete;
  CPropertyPage& operator=(const CPropertyPage&) = delete;

  QString GetCaption() const { return m_caption; }
  void SetCaption(const QString& caption) { m_caption = caption; }

  // The page's icon in the tab and tree (the creation record's icon).
  bool HasIcon() const { return m_bUseIcon; }
  QIcon GetIcon() const { return m_icon; }
  void SetIcon(const QIcon& icon);
  void DestroyIcon();

  // The page window; null while the page has none (before its first activation in a run).
  QWidget* GetWindow() const { return m_window.data(); }
  bool HasWindow() const { return !m_window.isNull(); }
  CPropertySheet* GetSheet() const { return m_sheet; }

  ControlRegistry& Controls() { return m_controls; }
  void RegisterControl(
      int id, QWidget* control,
      ControlRegistry::Tooltip tooltip = ControlRegistry::Tooltip::FromStringTable) {
    m_controls.Register(id, control, tooltip);
  }
  QWidget* GetDlgItem(int id) const { return m_controls.Get(id); }
  bool UpdateData(bool saveAndValidate = true);

  // Called once per run after the window is made: build controls here, then load them.
  virtual bool OnInitDialog();
  // The page becomes the active one; false refuses.
  virtual bool OnSetActive();
  // The page is about to be left; false keeps it (by default: its data fails its checks).
  virtual bool OnKillActive();
  virtual void DoDataExchange(DataExchange& dx);

 protected:
  // Builds the page's controls into window (the window is empty and sized by the sheet).
  virtual void CreateControls(QWidget* window);
  // Called right after CreateControls, before OnInitDialog: a kind of page evens out the
  // metrics of what its pages built (margins, spacing, the label column).
  virtual void OnControlsCreated(QWidget* window);

 private:
  friend class CPropertySheet;
  QWidget* CreatePageWindow(QWidget* parent);
  // The run's widgets are going away with the page window among them: drop the references.
  void ForgetPageWindow();
  // The page leaves a running sheet: its window is hidden and released to Qt.
  void ReleasePageWindow();

  QString m_caption;
  QIcon m_icon;
  bool m_bUseIcon = false;
  QPointer<QWidget> m_window;
  CPropertySheet* m_sheet = nullptr;
  ControlRegistry m_controls;
};

}  // namespace ui
