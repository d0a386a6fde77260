// Small free functions shared across the program: hexadecimal and dotted text to bytes, two-digit
// time parts for file names, the digit filter of numeric edit fields, the cross marker drawn into
// a picture, and the processor's MMX test.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Upper-cases `text` and turns each pair of characters into one byte of `out`:
// 16 x value(first) + value(second), where value(c) is c - '0' below 'A' and c - 55 from 'A' on
// (no validation, as the login reply's fields are trusted to be hexadecimal). Clears
// text.size() / 2 bytes of `out` first; never writes more than out.size() bytes. An odd last
// character is ignored. Returns 1.
int HexTextToBytes(std::string text, std::span<std::uint8_t> out);
// The same after dropping every `removed` character from the text ("00_11_22" gives 00 11 22).
int HexTextToBytes(std::string text, std::span<std::uint8_t> out, char removed);

// Clears `out`, splits an upper-cased copy of `text` at any of `delimiters` (empty fields are
// skipped) and stores each field's decimal value, cut to a byte, in out[0], out[1], ...; fields
// beyond out.size() are dropped. "192.168.1.10" with "." gives C0 A8 01 0A. Returns 1.
int SplitTextToBytes(std::string text, std::span<std::uint8_t> out, std::string_view delimiters);

// value modulo 100 as text, with a leading "0" below 10: 2026 gives "26", 7 gives "07".
std::string FormatTwoDigits(int value);

// The input filter of numeric edit fields. Mode 0 keeps the digits and a "-" only when it is
// the first character kept; any other mode keeps the digits only. A text of 256 characters or
// more is left as it is and the result is 0; otherwise the text is replaced by what was kept
// and the result is 1.
int FilterDigits(std::string& text, std::uint8_t mode);

// Draws a 17 x 17 cross marker with corner brackets in a bottom-up 24-bit picture of
// width x height pixels (3 bytes each, rows packed), centred at column x and buffer row
// height - y. The three low bytes of `colour`, lowest first, become the pixel's three bytes.
// Only pixels inside the picture (and inside `image`) are drawn. `reserved` is not read.
// Returns 1.
int DrawCrossMarker(std::span<std::uint8_t> image, std::uint16_t width, std::uint16_t height,
                    std::uint32_t colour, std::uint32_t reserved, std::uint16_t x, std::uint32_t y);

// True when the processor has MMX.
bool IsMmxPresent();
