// Small scanners of the protocol layer over reply text and binary buffers. Every one reads only
// within the text or the bytes it is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Finds `key` in `text` (case kept) and copies the characters right after it (no separator is
// skipped) up to `terminator` into `out`. Returns the index of the terminator in `text`; -1
// (and `out` cleared) when the key is missing. A text without the terminator behind the key
// gives its end: the characters up to there, and the text's length (where a C text's
// terminating zero would stand).
int ExtractField(std::string_view text, std::string& out, std::string_view key, char terminator);

// Prepares a binary reply for a text search of "online-user-num". Only when the text of
// `buffer` (up to its first zero byte) is shorter than "online-user-num:" and the buffer is
// longer than that text: from the start, every byte that differs from the next expected
// character of "online-user-num" becomes "0", and every byte that equals it advances the
// expected character; the scan stops once all 15 characters were matched or at the buffer's
// end.
void ParseOnlineUserNum(std::span<char> buffer);

// The number of leading bytes below 0xFF.
int CountBelowFF(std::span<const std::uint8_t> data);

// The first position p, 0 <= p < data.size() - pattern.size(), at which `pattern` starts; 0
// when there is none or the data is shorter than the pattern.
int FindBytes(std::span<const std::uint8_t> data, std::span<const std::uint8_t> pattern);

// The index of the 0xD9 of the first sequence FF D9 FF FF that lies wholly in `data`; 0 when
// there is none.
int FindJpegEnd(std::span<const std::uint8_t> data);
