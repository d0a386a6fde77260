// The files the login window's tools use in the program folder: the address book and the
// record player.
#pragma once

#include <QString>
#include <filesystem>

namespace ui::login {

// The record player's program file name (started without arguments).
inline constexpr const char* kPlayerProgramName = "Pellix";

// The program folder of the settings (the folder of the executable until the settings are
// loaded).
std::filesystem::path LoginProgramFolder();
std::filesystem::path IPRecordFilePath();
QString PlayerProgramPath();

}  // namespace ui::login
