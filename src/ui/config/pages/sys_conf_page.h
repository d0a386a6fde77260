// The base of the configuration sheet's pages: each page has a code that it writes into the
// open sheet when it becomes active (the next opening shows that page again), and a check that
// APPLY runs on every page shown before anything is sent. Also the small builders the pages
// make their controls with: each control is registered by id (named "c<id>", tooltip from the
// string table).
#pragma once

#include <QString>
#include <cstdint>

#include "ui/common/data_exchange.h"
#include "ui/common/property_page.h"
#include "ui/config/engine/sys_conf_engine.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace ui {
class IpAddressCtrl;
class ListCtrl;
}  // namespace ui

namespace syscfg {

// The page codes of the sheet's pages.
inline constexpr int kNetworkPageCode = 0;
inline constexpr int kVideoPageCode = 1;
inline constexpr int kOnlineUserPageCode = 2;
inline constexpr int kLogPageCode = 4;
inline constexpr int kTriggerPageCode = 8;
inline constexpr int kMailPageCode = 16;
inline constexpr int kFtpPageCode = 32;
inline constexpr int kAlarmDataPageCode = 64;
inline constexpr int kSchedulePageCode = 128;
inline constexpr int kRecordPageCode = 256;
inline constexpr int kPeripheralPageCode = 512;
inline constexpr int kAccountPageCode = 1024;
inline constexpr int kSntpPageCode = 2048;
inline constexpr int kDnsPageCode = 4096;

// Control builders: the control is made as a child of parent and registered under id (0: not
// registered).
QLabel* NewLabel(ui::ControlRegistry& controls, int id, const QString& text, QWidget* parent);
// An edit that takes at most maxBytes stored bytes (-1: no limit); a password edit masks.
QLineEdit* NewEdit(ui::ControlRegistry& controls, int id, QWidget* parent, int maxBytes = -1,
                   bool password = false);
// An edit for a port number: digits only, at most five.
QLineEdit* NewPortEdit(ui::ControlRegistry& controls, int id, QWidget* parent);
// Radio buttons and check boxes are set one by one (states with none set occur).
QRadioButton* NewRadio(ui::ControlRegistry& controls, int id, const QString& text, QWidget* parent);
QPushButton* NewButton(ui::ControlRegistry& controls, int id, const QString& text, QWidget* parent);
QComboBox* NewCombo(ui::ControlRegistry& controls, int id, QWidget* parent);
QGroupBox* NewGroup(ui::ControlRegistry& controls, int id, const QString& title, QWidget* parent);
ui::IpAddressCtrl* NewAddress(ui::ControlRegistry& controls, int id, QWidget* parent);
ui::ListCtrl* NewList(ui::ControlRegistry& controls, int id, QWidget* parent);

// Data exchange of an address control: loading shows value; saving reads it. A part above 255
// fails the exchange (the value is never applied, enabled control or not), and so does an
// enabled control with an empty part.
void ExchangeAddress(ui::DataExchange& dx, ui::ControlRegistry& controls, int id,
                     std::uint32_t& value);
// Data exchange of a text limited to maxBytes stored bytes: saving fails a longer one.
void ExchangeText(ui::DataExchange& dx, int id, QString& value, int maxBytes);
// The metrics every page shares: the padding round a page and inside its group boxes, the room
// between rows and between the controls of a row, and the label gutter: the column a field's label
// stands in (its text ends with
// ":"), so that the fields of every page start at one place.
inline constexpr int kPagePadding = 10;
inline constexpr int kGroupPadding = 10;
inline constexpr int kRowSpacing = 6;
inline constexpr int kColumnSpacing = 8;
inline constexpr int kLabelGutter = 120;
// Applies them to a page window's layouts: every layout's margins and spacing, the first column
// of every grid whose rows begin with a field label, and a field label that begins a row of its
// own. Outside the group boxes such a label lines up its field with theirs (its column is wider
// by their inset) on a page whose boxes hold labelled fields; elsewhere it keeps its room.
void ApplyPageMetrics(QWidget& window);

// Enables or disables each registered control of ids.
void EnableControls(ui::ControlRegistry& controls, std::initializer_list<int> ids, bool enable);
void CheckRadio(ui::ControlRegistry& controls, int id, bool checked);
bool IsChecked(ui::ControlRegistry& controls, int id);

}  // namespace syscfg

class CSysConfSheetBase;

class CSysConfPage : public ui::CPropertyPage {
 public:
  CSysConfPage(const QString& caption, int pageCode)
      : CPropertyPage(caption), m_nPageCode(pageCode) {}
  int PageCode() const { return m_nPageCode; }
  // The configuration sheet the page is in; null outside one.
  CSysConfSheetBase* GetConfSheet() const;
  // What the page asks of the engine: its sheet's. Asking outside a configuration sheet is a
  // programming error and ends the program with a message naming the page.
  const ports::SysConfEngine& Engine() const;

  // Writes the page's code into the open configuration sheet.
  bool OnSetActive() override;
  // Every page takes the shared metrics (ApplyPageMetrics).
  void OnControlsCreated(QWidget* window) override;
  // APPLY's check of a page shown in this run: saves the controls into the members and checks
  // them, as leaving the page does. On a failure the page has shown its message and focused the
  // control.
  virtual bool CheckForApply() { return OnKillActive(); }

 private:
  int m_nPageCode;
};
