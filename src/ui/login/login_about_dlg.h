// CLoginAboutDlg: a borderless 304 x 238 about box in the login window's look: its background
// and logo bitmaps, the version text "Version : 1.0.1.6" and a bitmap OK button, centred in the
// desktop's work area and dragged by a press anywhere. No window of the program opens it.
#pragma once

#include <QPixmap>
#include <QString>

#include "ui/common/ui_dialog.h"

inline constexpr int kLoginAboutWidth = 304;
inline constexpr int kLoginAboutHeight = 238;
inline constexpr const char* kLoginAboutVersion = "Version : 1.0.1.6";

class CLoginAboutDlg : public ui::UiDialog {
  Q_OBJECT

 public:
  explicit CLoginAboutDlg(QWidget* parent = nullptr);
  ~CLoginAboutDlg() override;

  const QString& VersionText() const { return m_strVersion; }
  bool HasPictures() const { return !m_background.isNull() && !m_logo.isNull(); }
  void InitForPicture() { OnInitDialog(); }

 protected:
  bool OnInitDialog() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap m_background;
  QPixmap m_logo;
  QString m_strVersion;
};
