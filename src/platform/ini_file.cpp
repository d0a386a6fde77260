#include "platform/ini_file.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/folders.h"

namespace platform {

namespace {

// Larger files are not profile files; they read as missing and are never rewritten.
constexpr std::size_t kMaxProfileBytes = 16u << 20;

// Serialises read-modify-write cycles of this process.
std::mutex& WriteMutex() {
  static std::mutex mutex;
  return mutex;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// One line of the file without its line ending, and the ending it had ("" on a last line
// without one).
struct Line {
  std::string text;
  std::string eol;
};

enum class LineKind { Other, Section, Entry };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // section name or key
  std::string_view value;  // entries only, trimmed, quotes kept
};

ParsedLine Parse(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty() || trimmed.front() == ';') {
    return {};
  }
  if (trimmed.front() == '[') {
    std::string_view inside = trimmed.substr(1);
    if (const auto close = inside.find(']'); close != std::string_view::npos) {
      inside = inside.substr(0, close);
    }
    return {LineKind::Section, Trim(inside), {}};
  }
  const auto equals = trimmed.find('=');
  if (equals == std::string_view::npos) {
    return {};
  }
  return {LineKind::Entry, Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

std::vector<Line> SplitLines(std::string_view content) {
  if (content.starts_with("\xEF\xBB\xBF")) {
    content.remove_prefix(3);  // UTF-8 byte-order mark
  }
  std::vector<Line> lines;
  while (!content.empty()) {
    const auto newline = content.find('\n');
    if (newline == std::string_view::npos) {
      lines.push_back({std::string(content), ""});
      break;
    }
    std::string_view text = content.substr(0, newline);
    std::string eol = "\n";
    if (!text.empty() && text.back() == '\r') {
      text.remove_suffix(1);
      eol = "\r\n";
    }
    lines.push_back({std::string(text), eol});
    content.remove_prefix(newline + 1);
  }
  return lines;
}

// Reads the file: nothing when it is missing (or unreadable) or too large.
std::optional<std::string> ReadProfile(const std::filesystem::path& file) {
  auto bytes = ReadWholeFile(file, kMaxProfileBytes);
  if (!bytes) {
    return std::nullopt;
  }
  return std::string(bytes->begin(), bytes->end());
}

std::optional<std::string> FindValue(const std::filesystem::path& file, std::string_view section,
                                     std::string_view key) {
  const auto content = ReadProfile(file);
  if (!content) {
    return std::nullopt;
  }
  const std::string_view wantedSection = Trim(section);
  const std::string_view wantedKey = Trim(key);
  bool inSection = false;
  for (const Line& line : SplitLines(*content)) {
    const ParsedLine parsed = Parse(line.text);
    if (parsed.kind == LineKind::Section) {
      inSection = SameName(parsed.name, wantedSection);
    } else if (inSection && parsed.kind == LineKind::Entry && SameName(parsed.name, wantedKey)) {
      return std::string(Unquote(parsed.value));
    }
  }
  return std::nullopt;
}

std::string_view PreferredEol(std::span<const Line> lines) {
  for (const Line& line : lines) {
    if (!line.eol.empty()) {
      return line.eol;
    }
  }
  return "\r\n";
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Puts key=value into the lines: replaces the key's line in the first matching section, adds
// it after that section's last entry, or adds the section at the end.
void SetEntry(std::vector<Line>& lines, std::string_view section, std::string_view key,
              std::string_view value) {
  const std::string eol(PreferredEol(lines));
  std::optional<std::size_t> header;
  std::size_t insertAfter = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine parsed = Parse(lines[i].text);
    if (parsed.kind == LineKind::Section) {
      if (header) {
        break;  // end of the section we looked in
      }
      if (SameName(parsed.name, section)) {
        header = i;
        insertAfter = i;
      }
    } else if (header && parsed.kind == LineKind::Entry) {
      if (SameName(parsed.name, key)) {
        lines[i].text = std::string(parsed.name) + "=" + std::string(value);
        return;
      }
      insertAfter = i;
    }
  }
  const Line entry{std::string(key) + "=" + std::string(value), eol};
  if (header) {
    if (lines[insertAfter].eol.empty()) {
      lines[insertAfter].eol = eol;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAfter) + 1, entry);
    return;
  }
  if (!lines.empty() && lines.back().eol.empty()) {
    lines.back().eol = eol;
  }
  lines.push_back({"[" + std::string(section) + "]", eol});
  lines.push_back(entry);
}

}  // namespace

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& file) {
  const auto value = FindValue(file, section, key);
  if (!value || value->empty()) {
    return defaultValue;
  }
  std::string_view text = *value;
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::uint32_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      break;
    }
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(c - '0');
  }
  const std::uint32_t bits = negative ? 0u - magnitude : magnitude;
  return static_cast<int>(bits);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue,
                                    const std::filesystem::path& file, std::size_t bufferSize) {
  std::string result;
  if (auto value = FindValue(file, section, key)) {
    result = std::move(*value);
  } else {
    while (!defaultValue.empty() && IsBlank(defaultValue.back())) {
      defaultValue.remove_suffix(1);
    }
    result = std::string(defaultValue);
  }
  if (bufferSize != 0 && result.size() > bufferSize - 1) {
    result.resize(bufferSize - 1);
  }
  return result;
}

bool IsWritableProfileEntry(std::string_view section, std::string_view key,
                            std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
    return false;
  }
  section = Trim(section);
  key = Trim(key);
  return !section.empty() && !key.empty() && section.find(']') == std::string_view::npos &&
         key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

bool WritePrivateProfileStrings(std::string_view section, std::span<const ProfileEntry> entries,
                                const std::filesystem::path& file) {
  for (const ProfileEntry& entry : entries) {
    if (!IsWritableProfileEntry(section, entry.key, entry.value)) {
      return false;
    }
  }
  section = Trim(section);
  std::lock_guard lock(WriteMutex());
  std::string content;
  if (FileExists(file)) {
    auto existing = ReadProfile(file);
    if (!existing) {
      return false;  // unreadable or not a profile file: leave it alone
    }
    content = std::move(*existing);
  }
  const bool hadBom = content.starts_with("\xEF\xBB\xBF");
  std::vector<Line> lines = SplitLines(content);
  for (const ProfileEntry& entry : entries) {
    SetEntry(lines, section, Trim(entry.key), entry.value);
  }
  std::string out = hadBom ? "\xEF\xBB\xBF" : "";
  for (const Line& line : lines) {
    out += line.text;
    out += line.eol;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(out.data());
  return WriteFileAtomically(file, std::span<const std::uint8_t>(bytes, out.size()));
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file) {
  const ProfileEntry entry{std::string(key), std::string(value)};
  return WritePrivateProfileStrings(section, std::span<const ProfileEntry>(&entry, 1), file);
}

}  // namespace platform
