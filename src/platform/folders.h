// The folders the program works in and small file helpers. The program folder (the folder of
// the executable) holds the settings, command and trace files; the Desktop folder is where the
// default record, snapshot and upgrade folders lie. Tests point both at temporary folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace platform {

// Folder of the running executable, or the folder set by SetProgramFolder.
std::filesystem::path ProgramFolder();
// Replaces the program folder for this process (tests); an empty path restores the real one.
void SetProgramFolder(const std::filesystem::path& folder);

// $XDG_DESKTOP_DIR when set, else $HOME/Desktop (home from the password database when $HOME is
// not set), or the folder set by SetDesktopFolder.
std::filesystem::path DesktopFolder();
// Replaces the Desktop folder for this process (tests); an empty path restores the real one.
void SetDesktopFolder(const std::filesystem::path& folder);

bool FileExists(const std::filesystem::path& path);
bool IsDirectory(const std::filesystem::path& path);
// Creates the folder and every missing parent. True when the folder exists afterwards.
bool CreateFolders(const std::filesystem::path& folder);

// The whole file, or nothing when it cannot be read or is larger than maxBytes.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::size_t maxBytes = 64u << 20);

// Writes data to a temporary file in the same folder, flushes it to disk and renames it over
// path. On failure the old file is left as it was and the temporary file removed.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data);

// Bytes free for an unprivileged user on the file system holding path (a file or folder);
// nothing when path does not exist or the query fails.
std::optional<std::uint64_t> DiskFreeBytes(const std::filesystem::path& path);

}  // namespace platform
