#include "app/account_table.h"

namespace {

constexpr std::size_t kUsedAt = 0;
constexpr std::size_t kLevelAt = 4;
constexpr std::size_t kLifeTimeAt = 8;

std::uint32_t GetU32(const std::array<std::uint8_t, 12>& values, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(values[at + i]) << (8 * i);
  return value;
}

void PutU32(std::array<std::uint8_t, 12>& values, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    values[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

WorkingAccount ReadWorkingAccount(const CTextPairRecord& record) {
  WorkingAccount account;
  const auto& v = record.m_abyValues;
  account.used = GetU32(v, kUsedAt) != 0;
  account.level = static_cast<std::uint16_t>(v[kLevelAt] | (v[kLevelAt + 1] << 8));
  account.lifeTime = GetU32(v, kLifeTimeAt);
  account.name = record.m_strFirst;
  account.password = record.m_strSecond;
  return account;
}

void WriteWorkingAccount(CTextPairRecord& record, const WorkingAccount& account) {
  auto& v = record.m_abyValues;
  v.fill(0);
  PutU32(v, kUsedAt, account.used ? 1u : 0u);
  v[kLevelAt] = static_cast<std::uint8_t>(account.level);
  v[kLevelAt + 1] = static_cast<std::uint8_t>(account.level >> 8);
  PutU32(v, kLifeTimeAt, account.lifeTime);
  record.m_strFirst = account.name;
  record.m_strSecond = account.password;
}
