// The files the windows use in the program folder: the address book and the record player
// (which the login window and the configuration sheet's event-record page both start).
#pragma once

#include <QString>
#include <filesystem>

namespace ui {

// The record player's program file name (started without arguments).
inline constexpr const char* kPlayerProgramName = "Pellix";

// The program folder of the settings (the folder of the executable until the settings are
// loaded).
std::filesystem::path SettingsProgramFolder();
std::filesystem::path IPRecordFilePath();
QString PlayerProgramPath();

}  // namespace ui
