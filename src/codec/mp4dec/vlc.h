// Lookup tables of the variable-length codes, built once from the code lists of
// code_lists.h, and the readers that decode one code from the bit reader.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/mp4dec/bit_reader.h"
#include "codec/mp4dec/code_lists.h"

// Table entries, one per window value of a table's bits: the values of the code the window
// starts with and its length (0: no code starts with these bits), one entry kind per code kind.
struct Mp4DecMcbpcEntry {
  using Code = Mp4DecMcbpcCode;
  std::int16_t mb_type = 0;  // or kCodeStuffing
  std::int16_t cbpc = 0;
  std::uint8_t length = 0;
};
struct Mp4DecValueEntry {
  using Code = Mp4DecValueCode;
  std::int16_t value = 0;
  std::uint8_t length = 0;
};
struct Mp4DecTcoefEntry {
  using Code = Mp4DecTcoefCode;
  std::int16_t last = 0;  // or kCodeEscape
  std::int16_t run = 0;
  std::int16_t level = 0;  // |level|
  std::uint8_t length = 0;
};

template <typename Entry>
class Mp4DecVlcTable {
 public:
  using Code = typename Entry::Code;

  // Builds the table; codes longer than `bits` or clashing prefixes throw std::logic_error
  // (a transcription fault, caught by the table tests).
  Mp4DecVlcTable(std::span<const Code> codes, int bits);

  int Bits() const { return m_bits; }
  const Entry& Lookup(std::uint32_t window) const { return m_entries[window]; }

  // The frequent short codes from a table small enough to stay in the first-level cache: the
  // entry for a window of the top kShortBits bits, of zero length when the code there is longer
  // (or none starts there); then Lookup decides. Only for tables of kShortBits bits or more.
  static constexpr int kShortBits = 9;
  const Entry& LookupShort(std::uint32_t window) const { return m_short[window]; }
  // Decodes one code: the entry, or a zero-length entry (nothing consumed) when none matches.
  const Entry& Read(Mp4BitReader& reader) const {
    const Entry& entry = m_entries[reader.Peek(m_bits)];
    reader.Skip(entry.length);
    return entry;
  }

 private:
  int m_bits;
  std::vector<Entry> m_entries;
  std::vector<Entry> m_short;
};

using Mp4DecMcbpcTable = Mp4DecVlcTable<Mp4DecMcbpcEntry>;
using Mp4DecValueTable = Mp4DecVlcTable<Mp4DecValueEntry>;
using Mp4DecTcoefTable = Mp4DecVlcTable<Mp4DecTcoefEntry>;
extern template class Mp4DecVlcTable<Mp4DecMcbpcEntry>;
extern template class Mp4DecVlcTable<Mp4DecValueEntry>;
extern template class Mp4DecVlcTable<Mp4DecTcoefEntry>;

const Mp4DecMcbpcTable& Mp4DecMcbpcIntraTable();
const Mp4DecMcbpcTable& Mp4DecMcbpcInterTable();
const Mp4DecValueTable& Mp4DecCbpyTable();
const Mp4DecValueTable& Mp4DecMvdTable();
const Mp4DecValueTable& Mp4DecDcSizeLumaTable();
const Mp4DecValueTable& Mp4DecDcSizeChromaTable();
const Mp4DecTcoefTable& Mp4DecIntraTcoefTable();
const Mp4DecTcoefTable& Mp4DecInterTcoefTable();

// Escape tables: the largest |level| listed for (last, run) and the largest run listed for
// (last, |level|); 0 beyond the table.
int Mp4DecIntraLmax(int last, int run);
int Mp4DecInterLmax(int last, int run);
int Mp4DecIntraRmax(int last, int level);
int Mp4DecInterRmax(int last, int level);

// Builds every table now (they are otherwise built on first use, thread-safely).
void Mp4DecLoadVlcTables();
