// CCopyProgramDlg: copies the installed program, its data files and its skin bitmaps from the
// program folder to another folder, showing the progress. The copy runs once, on the GUI
// thread, half a second after the dialog opens; OK is enabled when it is done. Files that could
// not be copied are traced, and their number and names are told at the end.
#pragma once

#include <QString>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/common/ui_dialog.h"

class QLabel;
class QProgressBar;

namespace ui::login {

inline constexpr int IDC_COPY_PROGRESS = 1354;
inline constexpr int IDC_COPY_PERCENT = 1355;
inline constexpr int kCopyTimer = 0x1000;
inline constexpr int kCopyDelayMs = 500;
// The program file of the installation.
inline constexpr const char* kProgramFileName = "kavelin";

// The files of an installation, relative to the program folder ("/" separated): the program,
// its settings and data files, and every skin bitmap.
std::vector<std::string> CopyProgramFileList();
// The percentage after file i (0-based) of count: (i + 1) x 100 / count.
int CopyPercent(std::size_t index, std::size_t count);
// "%3d%%".
QString CopyPercentText(int percent);
// The names a failure message lists before it only counts the rest.
inline constexpr std::size_t kListedFailures = 10;
// The message after a copy of `total` files in which the `failed` ones could not be copied:
// "N of the M files could not be copied.", then below it the names, one a line (the first
// kListedFailures, then "and K more").
QString CopyFailureText(std::size_t total, const std::vector<std::string>& failed);
// The files the program writes only when it first saves them (the settings, the address book):
// absent from the program folder they are skipped, not counted as failures.
bool WrittenOnFirstUse(const std::string& file);

}  // namespace ui::login

class CCopyProgramDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  CCopyProgramDlg(std::filesystem::path source, std::filesystem::path destination,
                  QWidget* parent = nullptr,
                  std::vector<std::string> files = ui::login::CopyProgramFileList());

  const std::filesystem::path& Source() const { return m_source; }
  const std::filesystem::path& Destination() const { return m_destination; }
  QString PercentText() const;
  int ProgressValue() const;
  bool IsDone() const { return m_bDone; }
  std::size_t FailedCount() const { return m_failed.size(); }
  const std::vector<std::string>& Failed() const { return m_failed; }
  std::size_t FileCount() const { return m_files.size(); }

  // The window at a percentage, without copying (for the gallery).
  void InitForPicture(int percent);

 protected:
  bool OnInitDialog() override;
  void OnTimer(int id) override;

 private:
  void Copy();
  void ShowPercent(int percent);

  std::filesystem::path m_source;
  std::filesystem::path m_destination;
  std::vector<std::string> m_files;
  QProgressBar* m_pProgress = nullptr;
  QLabel* m_pPercent = nullptr;
  std::vector<std::string> m_failed;
  bool m_bDone = false;
};
