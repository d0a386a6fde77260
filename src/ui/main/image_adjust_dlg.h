// CImageAdjustDlg: the small skinned window that sets the server's picture brightness, contrast,
// hue and saturation (0..255 each, bytes 7..10 of the "IMG" configuration record) with a slider
// and an edit per value. OK sends the record and keeps the window open; Default puts every value
// at 128; Cancel and the close button end it without sending.
#pragma once

#include <QPixmap>
#include <array>
#include <cstdint>
#include <functional>

#include "ui/common/slider_ctrl.h"
#include "ui/common/ui_dialog.h"
#include "ui/main/main_window_engine.h"
#include "ui/main/skin_tables.h"

class CVtxButton;
class QLineEdit;

namespace mainwin {

// One value's row: the record byte, its slider, edit and label button, the row's top and the
// label's bitmap.
struct ImageAdjustRow {
  int recordByte;
  int sliderId;
  int editId;
  int y;
  int labelId;
  const char* labelBitmap;
};
inline constexpr std::array<ImageAdjustRow, 4> kImageAdjustRows = {{
    {7, 1313, 1040, 47, 8523, "BMP\\Dialog_Brightness.bmp"},
    {8, 1315, 1041, 87, 8524, "BMP\\Dialog_Contrast.bmp"},
    {9, 1316, 1042, 127, 8525, "BMP\\Dialog_Hue.bmp"},
    {10, 1314, 1043, 167, 8526, "BMP\\Dialog_Saturation.bmp"},
}};

// The window's frame pieces in loading order, with the string-table id of each bitmap's name.
struct ImageAdjustPiece {
  TableRect rect;
  int bitmapId;
};
inline constexpr std::array<ImageAdjustPiece, 9> kImageAdjustFrame = {{
    {{0, 0, 10, 32}, 4200},        // title left
    {{294, 0, 304, 32}, 4201},     // title right
    {{10, 0, 294, 32}, 4202},      // title middle, stretched
    {{0, 32, 10, 223}, 4203},      // left side, stretched
    {{294, 32, 304, 223}, 4204},   // right side, stretched
    {{0, 223, 10, 236}, 4205},     // bottom left
    {{294, 223, 304, 236}, 4206},  // bottom right
    {{10, 223, 294, 236}, 4207},   // bottom middle, stretched
    {{10, 7, 31, 22}, 4214},       // logo
}};

// The buttons: rectangle, flat and focus/selected bitmap ids.
struct ImageAdjustButton {
  int id;
  TableRect rect;
  int flatId;
  int overId;
};
inline constexpr std::array<ImageAdjustButton, 4> kImageAdjustButtons = {{
    {1, {125, 200, 213, 225}, 4210, 4211},    // OK
    {2, {216, 200, 260, 225}, 4208, 4209},    // Cancel
    {1306, {34, 200, 122, 225}, 4212, 4213},  // Default
    {8300, {280, 8, 293, 21}, 4215, 4216},    // close
}};

inline constexpr int kImageAdjustWidth = 304;
inline constexpr int kImageAdjustHeight = 236;
inline constexpr int kImageAdjustCorner = 5;
inline constexpr int kSliderX = 60;
inline constexpr int kSliderWidth = 150;
inline constexpr int kEditX = 240;
inline constexpr int kEditWidth = 40;
inline constexpr int kRowHeight = 20;
inline constexpr int kLabelX = 15;
inline constexpr int kMinusX = 50;
inline constexpr int kPlusX = 215;
inline constexpr int kImageValuePage = 10;
inline constexpr int kImageValueDefault = 128;

}  // namespace mainwin

class CImageAdjustDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  enum : int { IDC_DEFAULT = 1306, IDC_CLOSE = 8300 };
  static constexpr const char* kSendFailedText = "Set the system config is failed\n";

  explicit CImageAdjustDlg(QWidget* parent = nullptr);

  // What OK sends the record with (the main window queues it with its other requests): set
  // by the opener; without one OK only keeps the values in the record.
  using Sender = std::function<void(const mainwin::ImgRecord& record)>;
  void SetSender(Sender sender) { m_send = std::move(sender); }

  // Set by the opener before the run: brightness, contrast, hue, saturation.
  std::array<int, 4> m_nInitial{};
  // The values the controls hold.
  std::array<int, 4> m_nValue{};

  // Default (1306): every value 128; nothing is sent.
  void OnDefault();
  // How many frame pieces loaded (all nine, or those before the first missing one).
  int LoadedFramePieces() const { return m_nLoadedPieces; }
  ui::CSliderCtrl* Slider(int row) const;
  QLineEdit* Edit(int row) const;

 protected:
  bool OnInitDialog() override;
  // OK (1): sends the values as the "IMG" record (the answer comes later: a failure shows
  // "Set the system config is failed"); the window stays open.
  void OnOK() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void LoadFrame();
  void CreateControls();
  // A slider's notification: the value follows the code, kept within 0..255.
  void OnHScroll(int row, int code, int position);
  void OnEditChanged(int row);
  // Puts a value into both controls without their change handlers running.
  void ShowValue(int row, int value);

  std::array<QPixmap, mainwin::kImageAdjustFrame.size()> m_Frame;
  int m_nLoadedPieces = 0;
  bool m_bControlsMade = false;
  Sender m_send;
};
