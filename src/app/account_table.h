// Typed access to the data block's account list: the ten records the account page keeps as its
// working copy of the server's user table. The twelve value bytes of a record hold the used flag
// (u32 at 0), the user level (u16 at 4) and the life time in minutes (u32 at 8), little-endian;
// the first text is the account's name, the second its password.
#pragma once

#include <cstdint>
#include <string>

#include "app/app_data.h"

struct WorkingAccount {
  bool used = false;
  std::uint16_t level = 0;
  std::uint32_t lifeTime = 0;
  std::string name;
  std::string password;
  friend bool operator==(const WorkingAccount&, const WorkingAccount&) = default;
};

WorkingAccount ReadWorkingAccount(const CTextPairRecord& record);
void WriteWorkingAccount(CTextPairRecord& record, const WorkingAccount& account);
