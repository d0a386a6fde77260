#include "ui/config/pages/penta_pages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/app_data.h"
#include "net/config_record_layout.h"
#include "net/config_records.h"
#include "net/record_fields.h"
#include "ui/config/records/stream_shape.h"
#include "ui/config/records/video_tables.h"

namespace {

constexpr int kJpegType = 0;

void Fill(QComboBox* combo, const QStringList& rows) {
  combo->clear();
  combo->addItems(rows);
}

int VideoStandard() {
  return syscfg::CurrentStreamShape().videoStandard;
}

}  // namespace

// C2ChSetPentaPage.

C2ChSetPentaPage::C2ChSetPentaPage()
    : CSysConfPage(QStringLiteral("General"), syscfg::kVideoPageCode) {}

void C2ChSetPentaPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* page = new QVBoxLayout(window);
  auto* group = NewGroup(c, 0, QStringLiteral("Video Setting"), window);
  auto* grid = new QGridLayout(group);
  QComboBox* type = NewCombo(c, IDC_VIDEO_TYPE, group);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Video Type :"), group), 0, 0);
  grid->addWidget(type, 0, 1);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Resolution :"), group), 1, 0);
  // Only the resolution of the chosen type shows; both take the same place.
  grid->addWidget(NewCombo(c, IDC_MPEG4_RESOLUTION, group), 1, 1);
  grid->addWidget(NewCombo(c, IDC_JPEG_RESOLUTION, group), 1, 1);
  grid->addWidget(NewLabel(c, IDC_BIT_RATE_LABEL, QStringLiteral("BitRate :"), group), 2, 0);
  grid->addWidget(NewCombo(c, IDC_BIT_RATE, group), 2, 1);
  grid->addWidget(NewLabel(c, IDC_QUALITY_LABEL, QStringLiteral("Quality :"), group), 2, 0);
  grid->addWidget(NewCombo(c, IDC_QUALITY, group), 2, 1);
  grid->setColumnMinimumWidth(1, 160);
  grid->setColumnStretch(2, 1);
  page->addWidget(group);
  page->addStretch(1);
  QObject::connect(type, &QComboBox::activated, window, [this] { OnVideoTypeChanged(); });
}

bool C2ChSetPentaPage::OnInitDialog() {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  const QStringList resolutions = ResolutionRows(VideoStandard());
  Fill(c.Get<QComboBox>(IDC_MPEG4_RESOLUTION), resolutions);
  Fill(c.Get<QComboBox>(IDC_JPEG_RESOLUTION), resolutions);
  Fill(c.Get<QComboBox>(IDC_VIDEO_TYPE), kVideoTypeRows);
  Fill(c.Get<QComboBox>(IDC_QUALITY), kQualityRows);
  Fill(c.Get<QComboBox>(IDC_BIT_RATE), kBitRateRows);
  if (const std::span<const std::uint8_t> p = CachedConfigRecord(kConfigPenta); !p.empty()) {
    using namespace cfg::penta;
    m_nMpeg4Width = net::RecordU8(p, kMpeg4WidthUnits) * 16;
    m_nMpeg4Height = net::RecordU8(p, kMpeg4HeightUnits) * 16;
    m_nJpegWidth = net::RecordU8(p, kJpegWidthUnits) * 16;
    m_nJpegHeight = net::RecordU8(p, kJpegHeightUnits) * 16;
    // A size or quality no row stands for shows no row and stays as it is unless one is picked.
    m_nMpeg4Resolution = ResolutionIndex({m_nMpeg4Width, m_nMpeg4Height});
    m_nJpegResolution = ResolutionIndex({m_nJpegWidth, m_nJpegHeight});
    m_nQuality = QualityIndex(net::RecordU8(p, kJpegQuality));
    m_nBitRate = BitRateClass(net::RecordU16(p, kBitRate));
    m_nVideoType = VideoTypeIndex(syscfg::CurrentStreamShape().videoFormat);
  }
  ShowVideoType(m_nVideoType);
  return CSysConfPage::OnInitDialog();
}

void C2ChSetPentaPage::ShowVideoType(int type) {
  ui::ControlRegistry& c = Controls();
  const bool jpeg = type == kJpegType;
  for (int id : {IDC_QUALITY, IDC_QUALITY_LABEL, IDC_JPEG_RESOLUTION}) {
    if (QWidget* control = c.Get(id))
      control->setVisible(jpeg);
  }
  for (int id : {IDC_BIT_RATE, IDC_BIT_RATE_LABEL, IDC_MPEG4_RESOLUTION}) {
    if (QWidget* control = c.Get(id))
      control->setVisible(!jpeg);
  }
}

void C2ChSetPentaPage::OnVideoTypeChanged() {
  UpdateData(true);
  ShowVideoType(m_nVideoType);
}

void C2ChSetPentaPage::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_BIT_RATE, m_nBitRate);
  dx.ComboIndex(IDC_VIDEO_TYPE, m_nVideoType);
  dx.ComboIndex(IDC_JPEG_RESOLUTION, m_nJpegResolution);
  dx.ComboIndex(IDC_MPEG4_RESOLUTION, m_nMpeg4Resolution);
  dx.ComboIndex(IDC_QUALITY, m_nQuality);
}

// CSetPentaCmdPage.

CSetPentaCmdPage::CSetPentaCmdPage()
    : CSysConfPage(QStringLiteral("General"), syscfg::kVideoPageCode) {}

void CSetPentaCmdPage::CreateControls(QWidget* window) {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  auto* grid = new QGridLayout(window);
  QComboBox* type = NewCombo(c, IDC_VIDEO_TYPE, window);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Video Type :"), window), 0, 0);
  grid->addWidget(type, 0, 1);
  grid->addWidget(NewLabel(c, 0, QStringLiteral("Resolution :"), window), 1, 0);
  grid->addWidget(NewCombo(c, IDC_RESOLUTION, window), 1, 1);
  grid->addWidget(NewLabel(c, IDC_BIT_RATE_LABEL, QStringLiteral("BitRate :"), window), 2, 0);
  grid->addWidget(NewCombo(c, IDC_BIT_RATE, window), 2, 1);
  grid->addWidget(NewLabel(c, IDC_QUALITY_LABEL, QStringLiteral("Quality :"), window), 2, 0);
  grid->addWidget(NewCombo(c, IDC_QUALITY, window), 2, 1);
  grid->setRowStretch(3, 1);
  grid->setColumnStretch(2, 1);
  QObject::connect(type, &QComboBox::activated, window, [this] { OnVideoTypeChanged(); });
}

bool CSetPentaCmdPage::OnInitDialog() {
  using namespace syscfg;
  ui::ControlRegistry& c = Controls();
  Fill(c.Get<QComboBox>(IDC_RESOLUTION), ResolutionRows(VideoStandard()));
  Fill(c.Get<QComboBox>(IDC_VIDEO_TYPE), kVideoTypeRows);
  Fill(c.Get<QComboBox>(IDC_QUALITY), kQualityRows);
  Fill(c.Get<QComboBox>(IDC_BIT_RATE), kBitRateRows);
  if (const std::span<const std::uint8_t> p = CachedConfigRecord(kConfigPenta); !p.empty()) {
    const syscfg::StreamShape stream = syscfg::CurrentStreamShape();
    m_nVideoWidth = stream.frameWidth;
    m_nVideoHeight = stream.frameHeight;
    m_nResolution = ResolutionIndex({m_nVideoWidth, m_nVideoHeight});
    m_nQuality = QualityIndex(net::RecordU8(p, cfg::penta::kJpegQuality));
    m_nBitRate = BitRateClass(net::RecordU16(p, cfg::penta::kBitRate));
    m_nVideoType = VideoTypeIndex(stream.videoFormat);
  }
  ShowVideoType(m_nVideoType);
  return CSysConfPage::OnInitDialog();
}

void CSetPentaCmdPage::ShowVideoType(int type) {
  ui::ControlRegistry& c = Controls();
  const bool jpeg = type == kJpegType;
  for (int id : {IDC_QUALITY, IDC_QUALITY_LABEL}) {
    if (QWidget* control = c.Get(id))
      control->setVisible(jpeg);
  }
  for (int id : {IDC_BIT_RATE, IDC_BIT_RATE_LABEL}) {
    if (QWidget* control = c.Get(id))
      control->setVisible(!jpeg);
  }
}

void CSetPentaCmdPage::OnVideoTypeChanged() {
  UpdateData(true);
  ShowVideoType(m_nVideoType);
}

void CSetPentaCmdPage::DoDataExchange(ui::DataExchange& dx) {
  dx.ComboIndex(IDC_RESOLUTION, m_nResolution);
  dx.ComboIndex(IDC_VIDEO_TYPE, m_nVideoType);
  dx.ComboIndex(IDC_QUALITY, m_nQuality);
  dx.ComboIndex(IDC_BIT_RATE, m_nBitRate);
}
