// Private-profile files (key=value under [section] headers) read and written as the Windows
// profile functions do: sections and keys match without regard to case, values are trimmed of
// blanks (and of one pair of matching quotes), a missing file, section or key gives the
// default, and writing a key changes only that key's line, adding the key or the section when
// needed. A file is rewritten through a temporary file in the same folder renamed over it, so
// a crash leaves either the old or the new file, never half of one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// The key's value as an integer: optional blanks, an optional sign and decimal digits, read up
// to the first other character ("12abc" gives 12, "abc" gives 0). A missing or empty value
// gives defaultValue. Values beyond 32 bits wrap, as the Windows function does.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& file);

// The key's value, or defaultValue (trailing blanks removed) when the file, section or key is
// missing. When bufferSize is not 0 the result is cut to bufferSize - 1 characters, as a fixed
// buffer of that size would hold it.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue,
                                    const std::filesystem::path& file, std::size_t bufferSize = 0);

// One key=value of a section, for writing several in one rewrite of the file.
struct ProfileEntry {
  std::string key;
  std::string value;
};

// True when key=value can be written into the section without corrupting the file: no line
// break in any of them, no ']' in the section, no '=' in the key, and a key that does not
// start with '[' or ';'.
bool IsWritableProfileEntry(std::string_view section, std::string_view key, std::string_view value);

// Writes every entry into the section in one rewrite of the file, as
// WritePrivateProfileString does for one; false, leaving the file unchanged, when any entry
// is not writable or the file cannot be read or written.
bool WritePrivateProfileStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                const std::filesystem::path& file);

// Writes key=value into the section, creating the file and the section when they are missing,
// and keeping every other line as it was (line endings included). Returns false, leaving the
// file unchanged, when the file cannot be read or written, or when a name or the value holds
// a line break (or the section a ']', or the key a '='), which would corrupt the file.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file);

}  // namespace platform
