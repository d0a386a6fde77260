#include "net/net_messages.h"

#include "platform/message_box.h"

namespace net {

std::string_view MessageText(int id) {
  switch (id) {
    case kMsgCantCreateCtrlFile:
      return "Can't read or create a CtrlFile.ini!!";
    case kMsgInputServerCommand:
      return "Please input server command!";
    case kMsgSendCommandFailed:
      return "Send command to device is failed !!";
    case kMsgWrongUserOrPassword:
      return "Username or password is not correct";
    case kMsgCommandNotSupported:
      return "Web Server don't support this command!";
    case kMsgNoDeviceProtocol:
      return "It couldn't find this device command protocol";
    case kMsgOpenCtrlFileFailed:
      return "Open device control file is failed";
    default:
      return "";
  }
}

void ShowNetMessage(int id) {
  platform::ShowMessageBox(MessageText(id), {}, platform::MB_OK | platform::MB_ICONWARNING);
}

}  // namespace net
