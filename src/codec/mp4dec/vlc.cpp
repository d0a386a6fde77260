#include "codec/mp4dec/vlc.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// The entry of a code, without its length.
Mp4DecMcbpcEntry EntryOf(const Mp4DecMcbpcCode& code) {
  return {static_cast<std::int16_t>(code.mb_type), static_cast<std::int16_t>(code.cbpc)};
}
Mp4DecValueEntry EntryOf(const Mp4DecValueCode& code) {
  return {static_cast<std::int16_t>(code.value)};
}
Mp4DecTcoefEntry EntryOf(const Mp4DecTcoefCode& code) {
  return {static_cast<std::int16_t>(code.last), static_cast<std::int16_t>(code.run),
          static_cast<std::int16_t>(code.level)};
}

}  // namespace

template <typename Entry>
Mp4DecVlcTable<Entry>::Mp4DecVlcTable(std::span<const Code> codes, int bits)
    : m_bits(bits), m_entries(std::size_t{1} << bits) {
  for (const Code& code : codes) {
    const int length = static_cast<int>(std::strlen(code.bits));
    if (length == 0 || length > bits) {
      throw std::logic_error(std::string("code too long for its table: ") + code.bits);
    }
    std::uint32_t prefix = 0;
    for (int i = 0; i < length; ++i) {
      prefix = (prefix << 1) | (code.bits[i] == '1' ? 1U : 0U);
    }
    const int free = bits - length;
    const std::uint32_t first = prefix << free;
    const std::uint32_t count = 1U << free;
    for (std::uint32_t w = first; w < first + count; ++w) {
      Entry& entry = m_entries[w];
      if (entry.length != 0) {
        throw std::logic_error(std::string("code is a prefix of another: ") + code.bits);
      }
      entry = EntryOf(code);
      entry.length = static_cast<std::uint8_t>(length);
    }
  }
  // The short table: the codes of at most kShortBits bits, looked up from fewer bits.
  if (bits >= kShortBits) {
    m_short.resize(std::size_t{1} << kShortBits);
    for (std::uint32_t v = 0; v < m_short.size(); ++v) {
      const Entry& entry = m_entries[v << (bits - kShortBits)];
      if (entry.length <= kShortBits) {
        m_short[v] = entry;
      }
    }
  }
}

template class Mp4DecVlcTable<Mp4DecMcbpcEntry>;
template class Mp4DecVlcTable<Mp4DecValueEntry>;
template class Mp4DecVlcTable<Mp4DecTcoefEntry>;

const Mp4DecMcbpcTable& Mp4DecMcbpcIntraTable() {
  static const Mp4DecMcbpcTable table(kMcbpcIntraCodeList, 9);
  return table;
}
const Mp4DecMcbpcTable& Mp4DecMcbpcInterTable() {
  static const Mp4DecMcbpcTable table(kMcbpcInterCodeList, 9);
  return table;
}
const Mp4DecValueTable& Mp4DecCbpyTable() {
  static const Mp4DecValueTable table(kCbpyCodeList, 6);
  return table;
}
const Mp4DecValueTable& Mp4DecMvdTable() {
  static const Mp4DecValueTable table(kMvdCodeList, 12);
  return table;
}
const Mp4DecValueTable& Mp4DecDcSizeLumaTable() {
  static const Mp4DecValueTable table(kDcSizeLumaCodeList, 11);
  return table;
}
const Mp4DecValueTable& Mp4DecDcSizeChromaTable() {
  static const Mp4DecValueTable table(kDcSizeChromaCodeList, 12);
  return table;
}
const Mp4DecTcoefTable& Mp4DecIntraTcoefTable() {
  static const Mp4DecTcoefTable table(kIntraTcoefCodeList, 12);
  return table;
}
const Mp4DecTcoefTable& Mp4DecInterTcoefTable() {
  static const Mp4DecTcoefTable table(kInterTcoefCodeList, 12);
  return table;
}

namespace {

constexpr int kMaxRun = 64;
constexpr int kMaxLevel = 64;

struct EscapeTables {
  std::array<std::array<int, kMaxRun>, 2> lmax{};
  std::array<std::array<int, kMaxLevel>, 2> rmax{};
};

EscapeTables BuildEscapeTables(std::span<const Mp4DecTcoefCode> codes) {
  EscapeTables t;
  for (auto& row : t.rmax) {
    row.fill(-1);
  }
  for (const Mp4DecTcoefCode& code : codes) {
    if (code.last < 0) {  // the escape
      continue;
    }
    t.lmax[code.last][code.run] = std::max(t.lmax[code.last][code.run], code.level);
    t.rmax[code.last][code.level] = std::max(t.rmax[code.last][code.level], code.run);
  }
  for (auto& row : t.rmax) {
    for (int& v : row) {
      v = std::max(v, 0);
    }
  }
  return t;
}

const EscapeTables& IntraEscape() {
  static const EscapeTables t = BuildEscapeTables(kIntraTcoefCodeList);
  return t;
}
const EscapeTables& InterEscape() {
  static const EscapeTables t = BuildEscapeTables(kInterTcoefCodeList);
  return t;
}

int LookupLmax(const EscapeTables& t, int last, int run) {
  if (last < 0 || last > 1 || run < 0 || run >= kMaxRun) {
    return 0;
  }
  return t.lmax[last][run];
}
int LookupRmax(const EscapeTables& t, int last, int level) {
  if (last < 0 || last > 1 || level < 0 || level >= kMaxLevel) {
    return 0;
  }
  return t.rmax[last][level];
}

}  // namespace

int Mp4DecIntraLmax(int last, int run) {
  return LookupLmax(IntraEscape(), last, run);
}
int Mp4DecInterLmax(int last, int run) {
  return LookupLmax(InterEscape(), last, run);
}
int Mp4DecIntraRmax(int last, int level) {
  return LookupRmax(IntraEscape(), last, level);
}
int Mp4DecInterRmax(int last, int level) {
  return LookupRmax(InterEscape(), last, level);
}

void Mp4DecLoadVlcTables() {
  Mp4DecMcbpcIntraTable();
  Mp4DecMcbpcInterTable();
  Mp4DecCbpyTable();
  Mp4DecMvdTable();
  Mp4DecDcSizeLumaTable();
  Mp4DecDcSizeChromaTable();
  Mp4DecIntraTcoefTable();
  Mp4DecInterTcoefTable();
  IntraEscape();
  InterEscape();
}
