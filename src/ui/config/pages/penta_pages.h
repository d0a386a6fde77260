// The video settings pages over the PENTA record. C2ChSetPentaPage, in the sheet, holds the
// video type, the MPEG-4 and JPEG resolutions, the MPEG-4 bit rate and the JPEG quality; the
// sheet writes its choices back. CSetPentaCmdPage has one resolution that follows the video
// received now; no window shows it.
#pragma once

#include "ui/config/pages/sys_conf_page.h"

class C2ChSetPentaPage : public CSysConfPage {
 public:
  enum : int {
    IDC_BIT_RATE = 1041,
    IDC_VIDEO_TYPE = 1404,
    IDC_BIT_RATE_LABEL = 1405,
    IDC_QUALITY_LABEL = 1406,
    IDC_MPEG4_RESOLUTION = 1407,
    IDC_QUALITY = 1409,
    IDC_JPEG_RESOLUTION = 1410,
  };

  C2ChSetPentaPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  // The video type was picked: read the controls and show the chosen type's controls.
  void OnVideoTypeChanged();

  // Rows; -1 where no row stands for the record's value.
  int m_nBitRate = 0;
  int m_nVideoType = -1;
  int m_nJpegResolution = -1;
  int m_nMpeg4Resolution = -1;
  int m_nQuality = -1;
  // The sizes in pixels as loaded; APPLY fills them in from the rows picked.
  int m_nMpeg4Width = 0;
  int m_nMpeg4Height = 0;
  int m_nJpegWidth = 0;
  int m_nJpegHeight = 0;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void ShowVideoType(int type);
};

class CSetPentaCmdPage : public CSysConfPage {
 public:
  enum : int {
    IDC_RESOLUTION = 1195,
    IDC_VIDEO_TYPE = 1196,
    IDC_QUALITY = 1197,
    IDC_BIT_RATE = 1198,
    IDC_BIT_RATE_LABEL = 1378,
    IDC_QUALITY_LABEL = 1379,
  };

  CSetPentaCmdPage();

  bool OnInitDialog() override;
  void DoDataExchange(ui::DataExchange& dx) override;
  void OnVideoTypeChanged();

  int m_nResolution = -1;
  int m_nVideoType = -1;
  int m_nQuality = -1;
  int m_nBitRate = 0;
  int m_nVideoWidth = 0;
  int m_nVideoHeight = 0;

 protected:
  void CreateControls(QWidget* window) override;

 private:
  void ShowVideoType(int type);
};
