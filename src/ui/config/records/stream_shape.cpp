#include "ui/config/records/stream_shape.h"

#include "app/app_data.h"

namespace syscfg {

StreamShape CurrentStreamShape() {
  StreamShape shape;
  if (!g_lpApp)
    return shape;
  const CAppData& app = *g_lpApp;
  shape.frameWidth = app.m_wFrameWidth.load();
  shape.frameHeight = app.m_wFrameHeight.load();
  shape.videoStandard = app.m_byVideoStandard.load();
  shape.videoFormat = app.m_byVideoFormat.load();
  return shape;
}

}  // namespace syscfg
