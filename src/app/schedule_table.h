// The client's table of schedule-recording periods, kept in the data block and edited by the
// schedule page on the GUI thread. The schedule recorder never reads it: each change hands the
// recorder a copy of its own (CSchRecord::SetSchedule), so the table can be sorted and shifted
// while the recorder runs.
#pragma once

#include <array>
#include <cstdint>

// One period, in seconds since 1970 (the recorder's clock); used 1 when the slot holds one.
struct ScheduleSlot {
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::uint32_t used = 0;
  friend bool operator==(const ScheduleSlot&, const ScheduleSlot&) = default;
};

inline constexpr std::size_t kScheduleSlotCount = 10;

struct ScheduleTable {
  std::uint32_t m_dwCount = 0;
  // 1 while the time-setting dialog is opened for an edit (it then takes the given times).
  std::uint32_t m_dwEditFlag = 0;
  std::array<ScheduleSlot, kScheduleSlotCount> m_Slots{};
};
