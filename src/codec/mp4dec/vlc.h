// Lookup tables of the variable-length codes, built once from the code lists of
// code_lists.h, and the readers that decode one code from the bit reader.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/mp4dec/bit_reader.h"
#include "codec/mp4dec/code_lists.h"

// One entry per window value of `bits` bits: the code that the window starts with.
struct Mp4DecVlcEntry {
  std::int16_t a = 0;
  std::int16_t b = 0;
  std::int16_t c = 0;
  std::uint8_t length = 0;  // 0: no code starts with these bits
};

class Mp4DecVlcTable {
 public:
  // Builds the table; codes longer than `bits` or clashing prefixes throw std::logic_error
  // (a transcription fault, caught by the table tests).
  Mp4DecVlcTable(std::span<const Mp4DecCode> codes, int bits);

  int Bits() const { return m_bits; }
  const Mp4DecVlcEntry& Lookup(std::uint32_t window) const { return m_entries[window]; }

  // The frequent short codes from a table small enough to stay in the first-level cache: the
  // entry for a window of the top kShortBits bits, of zero length when the code there is longer
  // (or none starts there); then Lookup decides. Only for tables of kShortBits bits or more.
  static constexpr int kShortBits = 9;
  const Mp4DecVlcEntry& LookupShort(std::uint32_t window) const { return m_short[window]; }
  // Decodes one code: the entry, or a zero-length entry (nothing consumed) when none matches.
  const Mp4DecVlcEntry& Read(Mp4BitReader& reader) const {
    const Mp4DecVlcEntry& entry = m_entries[reader.Peek(m_bits)];
    reader.Skip(entry.length);
    return entry;
  }

 private:
  int m_bits;
  std::vector<Mp4DecVlcEntry> m_entries;
  std::vector<Mp4DecVlcEntry> m_short;
};

const Mp4DecVlcTable& Mp4DecMcbpcIntraTable();
const Mp4DecVlcTable& Mp4DecMcbpcInterTable();
const Mp4DecVlcTable& Mp4DecCbpyTable();
const Mp4DecVlcTable& Mp4DecMvdTable();
const Mp4DecVlcTable& Mp4DecDcSizeLumaTable();
const Mp4DecVlcTable& Mp4DecDcSizeChromaTable();
const Mp4DecVlcTable& Mp4DecIntraTcoefTable();
const Mp4DecVlcTable& Mp4DecInterTcoefTable();

// Escape tables: the largest |level| listed for (last, run) and the largest run listed for
// (last, |level|); 0 beyond the table.
int Mp4DecIntraLmax(int last, int run);
int Mp4DecInterLmax(int last, int run);
int Mp4DecIntraRmax(int last, int level);
int Mp4DecInterRmax(int last, int level);

// Builds every table now (they are otherwise built on first use, thread-safely).
void Mp4DecLoadVlcTables();
