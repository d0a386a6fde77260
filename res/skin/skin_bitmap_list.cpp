#include "skin/skin_bitmap_list.h"

#include <set>
#include <string_view>

#include "ui/main/panel_table.h"

namespace skin {
namespace {

class ListBuilder {
 public:
  void Add(std::string path, int width, int height, std::string label = {}) {
    Frame(std::move(path), width, height, "", false, std::move(label));
  }
  // A piece of a window frame: shared tone, flat when it is stretched.
  void Frame(std::string path, int width, int height, const char* tone, bool stretched,
             std::string label = {}) {
    if (!m_seen.insert(path).second) {
      return;
    }
    m_list.push_back({std::move(path), static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), std::move(label), tone, stretched});
  }
  void Main(const std::string& name, int width, int height, std::string label = {}) {
    Add("BMP\\" + name + ".bmp", width, height, std::move(label));
  }
  void Login(const std::string& file, int width, int height, std::string label = {}) {
    Add("BMP\\LOGIN\\" + file, width, height, std::move(label));
  }
  std::vector<SkinBitmap> Take() { return std::move(m_list); }

 private:
  std::vector<SkinBitmap> m_list;
  std::set<std::string> m_seen;
};

struct SkinPrefix {
  const char* prefix;
  bool vga;
  int closedW, closedH, openW, openH;
};

constexpr SkinPrefix kPrefixes[] = {{"N_VGA", true, 722, 608, 722, 680},
                                    {"N_QVGA", false, 370, 366, 370, 461},
                                    {"P_VGA", true, 722, 705, 722, 776},
                                    {"P_QVGA", false, 370, 414, 370, 509}};

void AddMainWindow(ListBuilder& b) {
  for (const SkinPrefix& p : kPrefixes) {
    b.Main(std::string(p.prefix) + "_BG", p.closedW, p.closedH);
    b.Main(std::string(p.prefix) + "_BG_EX", p.openW, p.openH);
  }
  b.Main("VGA_Status_Bar", 708, 20);
  b.Main("StatusBar", 356, 20);
  b.Main("InfoOnlineUser", 13, 16, "U");
  b.Main("InfoAlarmRed", 13, 16, "A");
  b.Main("InfoAlarmBlue", 13, 16, "A");
  b.Main("InfoMotionRed", 13, 16, "M");
  b.Main("InfoMotionBlue", 13, 16, "M");
  for (const char* t : {"Hide", "Fullscreen", "Close", "Help"}) {
    const std::string glyph = std::string_view(t) == "Hide"         ? "_"
                              : std::string_view(t) == "Fullscreen" ? "O"
                              : std::string_view(t) == "Close"      ? "X"
                                                                    : "?";
    b.Main(std::string("Title_Bar_") + t, 13, 13, glyph);
    b.Main(std::string("Title_Bar_") + t + "_a", 13, 13, glyph);
  }
  for (const char* v : {"power", "power_over", "power_down"})
    b.Main(v, 26, 26, "PW");
  for (const SkinPrefix& p : kPrefixes) {
    const std::string pre = p.prefix;
    b.Main(pre + "_PANELUP", 32, 32, "UP");
    b.Main(pre + "_PANELUP_OVER", 32, 32, "UP");
    b.Main(pre + "_PANELDOWN", 32, 32, "DN");
    b.Main(pre + "_PANELDOWN_OVER", 32, 32, "DN");
    const int w = panel::kKeyWidth;
    for (const char* dir : {"LEFT", "UP", "DOWN", "RIGHT"}) {
      const std::string glyph = std::string(dir).substr(0, 1);
      const int h = panel::kKeyHeight;
      b.Main(pre + "_" + dir, w, h, glyph);
      b.Main(pre + "_" + dir + "_OVER", w, h, glyph);
      b.Main(pre + "_" + dir + "_TURBO", w, h, glyph + "T");
      b.Main(pre + "_" + dir + "_TURBO_OVER", w, h, glyph + "T");
    }
  }
  for (const char* what : {"zoom", "focus"}) {
    for (const char* way : {"in", "out"}) {
      const std::string label = std::string(what == std::string_view("zoom") ? "Z" : "F") +
                                (way == std::string_view("in") ? "+" : "-");
      const std::string plain = std::string("2Col_") + what + "_" + way;
      const std::string turbo = std::string("2Col_") + what + "_turbo_" + way;
      b.Main(plain, panel::kKeyWidth, panel::kKeyHeight, label);
      b.Main(plain + "_a", panel::kKeyWidth, panel::kKeyHeight, label);
      b.Main(turbo, panel::kKeyWidth, panel::kKeyHeight, label + "T");
      b.Main(turbo + "_a", panel::kKeyWidth, panel::kKeyHeight, label + "T");
    }
  }
  // Channel strip.
  for (const char* v : {"Enable", "Enable_over", "Disable", "Disable_over"}) {
    b.Main(std::string("Channel_dvr_") + v, 35, 28, "DVR");
  }
  for (int ch = 1; ch <= 16; ++ch) {
    for (const char* v : {"Enable", "Enable_over", "Disable", "Disable_over"}) {
      b.Main("Channel_" + std::to_string(ch) + "_" + v, 35, 28, std::to_string(ch));
    }
  }
  b.Main("Channel_Left", 9, 16, "<");
  b.Main("Channel_Left_Down", 9, 16, "<");
  b.Main("Channel_Right", 9, 16, ">");
  b.Main("Channel_Right_Down", 9, 16, ">");
  // Button bar.
  for (const char* v : {"00_AudioVideo", "00_Audio_down", "00_Audio", "00_Video_down", "00_Video",
                        "00_AudioVideo_down", "00_AudioVideo_n"}) {
    const std::string_view s(v);
    b.Main(v, 26, 26,
           s.find("AudioVideo") != s.npos ? "AV"
           : s.find("Audio") != s.npos    ? "A"
                                          : "V");
  }
  for (const char* v : {"link", "link_over", "link_off", "link_off_over", "link_n", "link_off_n"}) {
    b.Main(v, 26, 26, std::string_view(v).find("off") != std::string_view::npos ? "OFF" : "ON");
  }
  for (const char* v : {"Image_Quality", "Image_Quality_over", "Image_Quality_n"}) {
    b.Main(v, 26, 26, "IQ");
  }
  for (const char* v : {"snapshoot", "snapshoot_over", "snapshoot_down", "snapshoot_n"}) {
    b.Main(v, 26, 26, "SN");
  }
  for (const char* v : {"Record_Button", "Record_Button_over", "Recording_Button",
                        "Recording_Button_over", "Record_Button_n"}) {
    b.Main(v, 26, 26, "REC");
  }
  for (const char* v : {"system_setting", "system_setting_over", "system_setting_n"}) {
    b.Main(v, 26, 26, "SYS");
  }
}

void AddPanelKeys(ListBuilder& b) {
  // Every image name of every record of every device type, at the one key size of all skins.
  for (int type = 0; type < panel::kDeviceTypeCount; ++type) {
    for (const panel::PanelButtonRecord& rec : panel::PanelEntry(type).buttons) {
      for (int n = 0; n < panel::kImageNameCount; ++n) {
        const std::string& name = rec.images[static_cast<std::size_t>(n)];
        if (name.empty())
          continue;
        std::string label = name.substr(4, name.size() - 8);  // strip "BMP\" and ".bmp"
        b.Add(name, panel::kKeyWidth, panel::kKeyHeight, label);
      }
    }
  }
}

void AddImageAdjust(ListBuilder& b) {
  const auto frame = [&](const char* name, int w, int h, bool stretched) {
    b.Frame(std::string("BMP\\") + name + ".bmp", w, h, "adjust_frame", stretched);
  };
  frame("TitleLeft", 10, 32, false);
  frame("TitleRight", 10, 32, false);
  frame("TilteBar_ess", 8, 32, true);
  frame("LeftSide_ess", 10, 8, true);
  frame("RightSide_ess", 10, 8, true);
  frame("BottomLeft", 10, 13, false);
  frame("BottomRight", 10, 13, false);
  frame("Bottom_ess", 8, 13, true);
  b.Main("Player_Logo", 21, 15, "K");
  b.Main("Dialog_apply", 88, 25, "OK");
  b.Main("Dialog_apply_over", 88, 25, "OK");
  b.Main("Dialog_ok", 44, 25, "CANCEL");
  b.Main("Dialog_ok_over", 44, 25, "CANCEL");
  b.Main("Dialog_default", 88, 25, "DEFAULT");
  b.Main("Dialog_default_over", 88, 25, "DEFAULT");
  b.Main("Dialog_Brightness", 20, 20, "B");
  b.Main("Dialog_Contrast", 20, 20, "C");
  b.Main("Dialog_Hue", 20, 20, "H");
  b.Main("Dialog_Saturation", 20, 20, "S");
}

void AddLogin(ListBuilder& b) {
  const auto frame = [&](const char* file, int w, int h, bool stretched, std::string label = {}) {
    b.Frame(std::string("BMP\\LOGIN\\") + file, w, h, "login_frame", stretched, std::move(label));
  };
  b.Frame("BMP\\LOGIN\\spacer.bmp", 8, 8, "login_body", true);
  frame("left_top.bmp", 21, 34, false);
  frame("right_top.bmp", 26, 34, false);
  frame("top_middle1.bmp", 257, 12, false);
  frame("top_middle2.bmp", 257, 22, false, "KAVELIN");
  frame("left_middle.bmp", 21, 8, true);
  frame("right_middle.bmp", 26, 8, true);
  frame("left_down.bmp", 25, 22, false);
  frame("right_down.bmp", 24, 22, false);
  frame("down_middle.bmp", 255, 22, false);
  b.Login("running.bmp", 16, 8);
  for (int d = 0; d <= 9; ++d)
    b.Login("login_" + std::to_string(d) + ".bmp", 10, 20, std::to_string(d));
  b.Login("login_point.bmp", 10, 20, ".");
  const struct {
    const char* base;
    const char* first;  // exact spelling of the flat file, as the login window names it
    const char* label;
  } tools[] = {{"address", "address.bmp", "AB"}, {"search", "search.bmp", "SR"},
               {"player", "player.bmp", "PL"},   {"download", "download.BMP", "FW"},
               {"copy", "copy.bmp", "CP"},       {"s", "s.bmp", "S"}};
  for (const auto& t : tools) {
    b.Login(t.first, 34, 34, t.label);
    b.Login(std::string(t.base) + "_over.bmp", 34, 34, t.label);
    b.Login(std::string(t.base) + "_down.bmp", 34, 34, t.label);
  }
  for (const char* base : {"enter", "cancel"}) {
    const std::string label = std::string_view(base) == "enter" ? "GO" : "X";
    b.Login(std::string(base) + ".bmp", 32, 32, label);
    b.Login(std::string(base) + "_over.bmp", 32, 32, label);
    b.Login(std::string(base) + "_down.bmp", 32, 32, label);
  }
  b.Login("name.BMP", 28, 28, "N");
  b.Login("password.BMP", 28, 28, "P");
  b.Login("ip.BMP", 28, 28, "IP");
  b.Login("port.BMP", 28, 28, "PT");
  b.Login("Login_Radio_Select.bmp", 12, 12, "*");
  b.Login("Login_Radio_UnSelect.bmp", 12, 12);
  // About box of the login window.
  b.Main("login_background", 304, 238);
  b.Main("VARNEL_LOGO", 71, 74, "KV");
  b.Main("login_ok", 49, 25, "OK");
  b.Main("login_ok_over", 49, 25, "OK");
}

}  // namespace

std::vector<SkinBitmap> AllSkinBitmaps() {
  ListBuilder b;
  AddMainWindow(b);
  AddPanelKeys(b);
  AddImageAdjust(b);
  AddLogin(b);
  return b.Take();
}

}  // namespace skin
