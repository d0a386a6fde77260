// Texts of the configuration records as the pages show them. The records hold UTF-8 bytes in
// fixed-width fields; every limit counts stored bytes, so a text that the page accepts always
// fits its field with its terminator.
#pragma once

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "net/config_record_layout.h"

class QLineEdit;

namespace syscfg {

// The text of a field as a page shows it: read within the field (net::RecordText), decoded as
// UTF-8 and cut to the width - 1 stored bytes an edit of the field accepts (a byte that is not
// UTF-8 shows as U+FFFD, which takes three). A page and the sheet's mirror read through this
// one function, so a page that was only viewed equals the mirror.
QString ShownText(std::span<const std::uint8_t> record, cfg::TextField field);
// Writes text zero-filled into the field; false (record unchanged) when its UTF-8 bytes do not
// fit in width - 1.
bool WriteText(std::span<std::uint8_t> record, cfg::TextField field, const QString& text);
// A text of a page beside the mirror's text of the same record field.
struct ChangedText {
  const QString& value;
  const QString& mirror;
  cfg::TextField field;
};
// Writes every text that differs from its mirror (and fits its field); true when one was written.
bool WriteChangedTexts(std::span<std::uint8_t> record, std::initializer_list<ChangedText> texts);

// The number of bytes text takes in a record.
int StoredBytes(const QString& text);
// Whether text fits a field that holds at most maxBytes bytes.
inline bool FitsBytes(const QString& text, int maxBytes) {
  return StoredBytes(text) <= maxBytes;
}

// Makes edit refuse input beyond maxBytes stored bytes (its character limit too).
void LimitTextBytes(QLineEdit& edit, int maxBytes);
// The message of a text that does not fit: "<what> takes more than <n> bytes."
QString TooLongText(const QString& what, int maxBytes);

}  // namespace syscfg
