// Message boxes raised by engine code go through one injectable service: the GUI installs a
// box that shows them on the GUI thread, tests install a recording box with scripted answers,
// and without either the text is written to stderr and the default button is answered.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

// Buttons (low four bits) and icons, with the Windows values.
inline constexpr std::uint32_t MB_OK = 0x0;
inline constexpr std::uint32_t MB_OKCANCEL = 0x1;
inline constexpr std::uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr std::uint32_t MB_YESNO = 0x4;
inline constexpr std::uint32_t MB_RETRYCANCEL = 0x5;
inline constexpr std::uint32_t MB_ICONERROR = 0x10;
inline constexpr std::uint32_t MB_ICONQUESTION = 0x20;
inline constexpr std::uint32_t MB_ICONWARNING = 0x30;
inline constexpr std::uint32_t MB_ICONINFORMATION = 0x40;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDRETRY = 4;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // Shows text with the caption and flags; returns the button chosen (IDOK, IDYES, ...).
  virtual int Show(std::string_view text, std::string_view caption, std::uint32_t flags) = 0;
};

// The default answer of a box with these flags: its first button (IDOK, IDYES or IDRETRY).
int DefaultAnswer(std::uint32_t flags);

// Installs the process-wide box; nullptr restores the stderr box. Thread-safe.
void SetMessageBox(std::shared_ptr<IMessageBox> box);
std::shared_ptr<IMessageBox> GetMessageBox();

// Shows through the installed box.
int ShowMessageBox(std::string_view text, std::string_view caption = {},
                   std::uint32_t flags = MB_OK);

}  // namespace platform
