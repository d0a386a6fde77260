#include <gtest/gtest.h>
#include <set>

#include "ui/common/string_table.h"
#include "ui/main/panel_table.h"

namespace {

std::set<int> ShownIds(int type) {
  std::set<int> ids;
  for (const auto& rec : panel::PanelEntry(type).buttons) {
    if (rec.flags & panel::kFlagShown)
      ids.insert(rec.controlId);
  }
  return ids;
}

std::set<int> Range(std::initializer_list<std::pair<int, int>> ranges) {
  std::set<int> ids;
  for (const auto& [first, last] : ranges) {
    for (int id = first; id <= last; ++id)
      ids.insert(id);
  }
  return ids;
}

TEST(PanelTable, ShownButtonsPerDeviceType) {
  const std::set<int> type8 = Range({{8250, 8265},
                                     {8283, 8283},
                                     {8291, 8292},
                                     {8289, 8290},
                                     {8225, 8225},
                                     {8240, 8244},
                                     {8310, 8310},
                                     {8350, 8351}});
  const std::set<int> type9 = Range({{8250, 8253},
                                     {8313, 8314},
                                     {8326, 8326},
                                     {8328, 8328},
                                     {8220, 8220},
                                     {8223, 8224},
                                     {8226, 8226},
                                     {8228, 8232},
                                     {8240, 8244},
                                     {8310, 8310}});
  auto plus = [](std::set<int> s, std::initializer_list<int> more) {
    s.insert(more);
    return s;
  };
  const std::set<int> expected[panel::kDeviceTypeCount] = {
      {},
      Range({{8224, 8232}, {8240, 8244}, {8310, 8310}}),
      Range({{8250, 8253}, {8313, 8314}, {8220, 8220}, {8223, 8232}, {8240, 8244}, {8310, 8310}}),
      Range({{8250, 8253}, {8281, 8281}, {8313, 8314}, {8223, 8232}, {8240, 8244}, {8310, 8310}}),
      Range({{8250, 8253},
             {8271, 8271},
             {8280, 8280},
             {8220, 8220},
             {8223, 8232},
             {8240, 8244},
             {8310, 8310}}),
      Range({{8250, 8258},
             {8271, 8272},
             {8280, 8280},
             {8220, 8220},
             {8222, 8223},
             {8225, 8232},
             {8240, 8244},
             {8310, 8310}}),
      Range({{8250, 8265},
             {8271, 8273},
             {8280, 8280},
             {8220, 8220},
             {8222, 8223},
             {8225, 8232},
             {8240, 8244},
             {8310, 8310}}),
      Range({{8250, 8253}, {8283, 8283}, {8287, 8287}, {8223, 8232}, {8240, 8244}, {8310, 8310}}),
      type8,
      type9,
      Range({{8250, 8253}, {8313, 8314}, {8220, 8220}, {8223, 8232}, {8240, 8244}, {8310, 8310}}),
      plus(type8, {8312, 8353}),
      Range({{8250, 8253}, {8280, 8281}, {8287, 8287}, {8223, 8232}, {8240, 8244}, {8310, 8310}}),
      {},  // 13 as 5
      {},  // 14 as 6
      plus(type9, {8312, 8331}),
      plus(type9, {8312}),
      plus(type8, {8312, 8353}),
  };
  for (int type = 0; type < panel::kDeviceTypeCount; ++type) {
    SCOPED_TRACE(type);
    const int reference = type == 13 ? 5 : type == 14 ? 6 : type;
    EXPECT_EQ(ShownIds(type), expected[reference]);
  }
}

TEST(PanelTable, RecordsInEveryEntry) {
  for (int type = 0; type < panel::kDeviceTypeCount; ++type) {
    const auto& entry = panel::PanelEntry(type);
    EXPECT_EQ(entry.trailer.entryNumber, static_cast<std::uint32_t>(type));
    EXPECT_EQ((entry.trailer.flags & panel::kTrailerNoPanel) != 0, type == 0);
    EXPECT_FALSE(entry.trailer.title.empty());
    for (int k = 0; k < panel::kSlotCount; ++k) {
      const auto& rec = entry.buttons[static_cast<std::size_t>(k)];
      SCOPED_TRACE(k);
      EXPECT_EQ(rec.recordNumber, k);
      EXPECT_EQ(rec.controlId, panel::SlotControlId(k));
      EXPECT_EQ(panel::SlotOfControlId(rec.controlId), k);
      // Every shown button is enabled; hidden ones carry no flags of their own.
      if (rec.flags & panel::kFlagShown) {
        EXPECT_TRUE(rec.flags & panel::kFlagEnabled);
      }
      const bool ptzPreset = (type == 8 || type == 11 || type == 17) && k < 16;
      EXPECT_EQ(rec.textId, ptzPreset ? 8333 + k : rec.controlId);
      EXPECT_TRUE(ui::HasString(rec.textId)) << rec.textId;
      EXPECT_TRUE(rec.imageKind == panel::kKindSinglePair || rec.imageKind == panel::kKindFrames ||
                  rec.imageKind == panel::kKindStatesHover);
      for (int skin = 0; skin < panel::kLayoutSkinCount; ++skin) {
        const auto& r = rec.rects[static_cast<std::size_t>(skin)];
        EXPECT_GT(r.Width(), 0);
        EXPECT_GT(r.Height(), 0);
      }
    }
  }
}

TEST(PanelTable, SlotControlIdsInRecordOrder) {
  const std::pair<int, int> samples[] = {
      {0, 8250},  {15, 8265}, {16, 8322}, {17, 8321}, {18, 8271}, {21, 8280}, {29, 8288},
      {30, 8291}, {31, 8292}, {32, 8289}, {33, 8290}, {34, 8313}, {35, 8314}, {36, 8323},
      {41, 8328}, {42, 8220}, {43, 8222}, {44, 8223}, {53, 8232}, {54, 8240}, {58, 8244},
      {59, 8310}, {60, 8312}, {61, 8331}, {62, 8350}, {63, 8351}, {64, 8353}};
  for (const auto& [slot, id] : samples)
    EXPECT_EQ(panel::SlotControlId(slot), id) << slot;
  EXPECT_EQ(panel::SlotControlId(65), 0);
  EXPECT_EQ(panel::SlotControlId(-1), 0);
  EXPECT_EQ(panel::SlotOfControlId(1001), -1);
  std::set<int> ids;
  for (int k = 0; k < panel::kSlotCount; ++k)
    ids.insert(panel::SlotControlId(k));
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(panel::kSlotCount));
}

TEST(PanelTable, RestrictedFlagsOnlyWhereGiven) {
  for (int type = 0; type < panel::kDeviceTypeCount; ++type) {
    for (const auto& rec : panel::PanelEntry(type).buttons) {
      EXPECT_EQ((rec.flags & panel::kFlagHighestRights) != 0, type == 15 && rec.controlId == 8331);
      EXPECT_EQ((rec.flags & panel::kFlagMiddleRights) != 0,
                (type == 15 || type == 16) && rec.controlId == 8223);
    }
  }
}

TEST(PanelTable, ShownButtonsDoNotOverlap) {
  for (int type = 0; type < panel::kDeviceTypeCount; ++type) {
    for (int skin = 0; skin < panel::kLayoutSkinCount; ++skin) {
      std::vector<panel::PanelRect> rects;
      for (const auto& rec : panel::PanelEntry(type).buttons) {
        if (rec.flags & panel::kFlagShown)
          rects.push_back(rec.rects[static_cast<std::size_t>(skin)]);
      }
      for (std::size_t i = 0; i < rects.size(); ++i) {
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
          const bool apart = rects[i].right <= rects[j].left || rects[j].right <= rects[i].left ||
                             rects[i].bottom <= rects[j].top || rects[j].bottom <= rects[i].top;
          EXPECT_TRUE(apart) << "type " << type << " skin " << skin;
        }
      }
    }
  }
}

TEST(PanelTable, OutOfRangeTypeGivesTheEmptyEntry) {
  EXPECT_TRUE(ShownIds(-1).empty());
  EXPECT_TRUE(ShownIds(18).empty());
  EXPECT_TRUE(ShownIds(1000).empty());
}

TEST(PanelTable, TurboSlots) {
  std::set<int> turbo;
  for (int k = 0; k < panel::kSlotCount; ++k) {
    if (panel::IsTurboSlot(k))
      turbo.insert(k);
  }
  EXPECT_EQ(turbo, (std::set<int>{30, 31, 32, 33, 54, 55, 57, 58}));
}

}  // namespace
