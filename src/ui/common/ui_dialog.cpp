#include "ui/common/ui_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>

#include "ui/common/held_keys.h"
#include "ui/common/window_placement.h"

namespace ui {

UiDialog::UiDialog(QWidget* parent)
    : QDialog(parent),
      m_timers(this, [this](int id) { OnTimer(id); }),
      m_bridge(new MessageBridge(
          this, [this](std::uint32_t msg, WParam w, LParam l) { Dispatch(msg, w, l); })) {
  InstallHeldKeyFilter();
}

UiDialog::~UiDialog() {
  m_timers.KillAll();
  // The derived parts are gone already. None of their message handlers ran while they went:
  // the bridge hands messages over only from the GUI thread's event loop, and no destructor of
  // a dialog runs that loop (none waits with events or opens a window). From here on later posts
  // are refused and the waiting ones are dropped, before the handler table they would reach is
  // destroyed.
  m_bridge->Unregister();
}

int UiDialog::DoModal() {
  m_endCode.reset();
  m_wasShown = false;
  m_inModalRun = true;
  m_inInit = true;
  OnInitDialog();
  m_inInit = false;
  int result = 0;
  if (m_endCode) {
    result = *m_endCode;
  } else {
    result = exec();
    if (m_endCode)
      result = *m_endCode;
  }
  m_inModalRun = false;
  m_timers.KillAll();
  return result;
}

void UiDialog::EndDialog(int code) {
  m_endCode = code;
  if (!m_inInit)
    QDialog::done(code);
}

void UiDialog::done(int code) {
  EndDialog(code);
}

void UiDialog::OnMessage(std::uint32_t msg, MessageHandler handler) {
  m_messageHandlers[msg] = std::move(handler);
}

bool UiDialog::UpdateData(bool saveAndValidate) {
  DataExchange dx(m_controls, saveAndValidate);
  DoDataExchange(dx);
  return !dx.Failed();
}

bool UiDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void UiDialog::DoDataExchange(DataExchange&) {}

void UiDialog::OnOK() {
  if (!UpdateData(true))
    return;
  EndDialog(IDOK);
}

void UiDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void UiDialog::OnTimer(int) {}

void UiDialog::OnUserMessage(std::uint32_t, WParam, LParam) {}

void UiDialog::closeEvent(QCloseEvent* event) {
  // The close box acts as Cancel; the dialog decides whether it really ends.
  event->ignore();
  OnCancel();
}

void UiDialog::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
    QDialog::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (auto* button = qobject_cast<QPushButton*>(focusWidget());
          button != nullptr && button->isEnabled()) {
        button->click();
      } else {
        OnOK();
      }
      return;
    case Qt::Key_Escape:
      OnCancel();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void UiDialog::showEvent(QShowEvent* event) {
  m_wasShown = true;
  QDialog::showEvent(event);
  // A dialog that did not place itself opens centred on the window that opened it (or on the
  // work area), also where no window manager would place it. As for Qt's own placement, this is
  // no position of the dialog's choosing: the next showing places it again.
  if (!event->spontaneous() && !testAttribute(Qt::WA_Moved)) {
    PlaceOnOpener(*this);
    setAttribute(Qt::WA_Moved, false);
  }
}

void UiDialog::Dispatch(std::uint32_t msg, WParam wParam, LParam lParam) {
  const auto it = m_messageHandlers.find(msg);
  if (it != m_messageHandlers.end()) {
    it->second(wParam, lParam);
  } else {
    OnUserMessage(msg, wParam, lParam);
  }
}

}  // namespace ui
