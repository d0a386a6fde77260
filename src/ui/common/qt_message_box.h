// The message box the program installs at start-up: on the GUI thread it shows a modal Qt box;
// from any other thread it never blocks and never touches a widget: the box is queued to the
// GUI thread and the caller gets the box's default answer at once.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"
#include "ui/common/gui_inbox.h"

namespace ui {

class QtMessageBox final : public platform::IMessageBox {
 public:
  // Boxes are centred over parent while it exists. Made on the GUI thread (the boxes that other
  // threads raise wait in its inbox there).
  explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;

 private:
  static int ShowOnGuiThread(QPointer<QWidget> parent, const QString& text, const QString& caption,
                             std::uint32_t flags);
  QPointer<QWidget> m_parent;
  GuiInbox m_inbox;
};

// Shows string-table text id through the installed box (the engine's message box service).
int MessageBoxById(int stringId, std::uint32_t flags = platform::MB_OK);

}  // namespace ui
