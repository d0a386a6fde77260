// The string table by id, and the helpers for its two-part entries: two words separated by
// white space ("RECORD\nRECORDING") and two parts separated by a comma ("Server Log,Cancel").
#pragma once

#include <QString>
#include <span>
#include <string_view>

namespace ui {

struct StringEntry {
  int id;
  std::string_view text;
};

// Every entry, sorted by id (defined with the resources).
std::span<const StringEntry> StringTableEntries();

// The text of an id; empty when the table has no such entry.
QString LoadString(int id);
bool HasString(int id);

// The first or second white-space separated word of a text; the whole text when it has one
// word, empty when it has none (second word of a one-word text is empty too).
QString FirstWord(const QString& text);
QString SecondWord(const QString& text);

// The text before the first occurrence of sep (the whole text when sep does not occur), and the
// text after it (empty then).
QString BeforeSeparator(const QString& text, QChar sep);
QString AfterSeparator(const QString& text, QChar sep);

}  // namespace ui
