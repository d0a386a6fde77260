#include "ui/common/layered_wnd_helper.h"

CLayeredWndHelper::CLayeredWndHelper() : m_available(&SetWindowOpacityAttributes) {}

CLayeredWndHelper::CLayeredWndHelper(AttributeSetter setter) : m_available(std::move(setter)) {}

bool CLayeredWndHelper::Init(QWidget* window) {
  m_setter = m_available;
  m_bLoaded = true;
  SetAttributes(window, 0, 255, LWA_ALPHA);
  return true;
}

bool CLayeredWndHelper::SetAttributes(QWidget* window, std::uint32_t colorKey, std::uint8_t alpha,
                                      std::uint32_t flags) {
  if (!m_bLoaded)
    return true;
  if (!m_setter)
    return false;
  return m_setter(window, colorKey, alpha, flags);
}

bool CLayeredWndHelper::FadeOut(QWidget* window) {
  for (int i = 100; i >= 0; --i) {
    SetAttributes(window, 0, static_cast<std::uint8_t>(i * 255 / 100), LWA_ALPHA);
  }
  return true;
}

bool CLayeredWndHelper::Unload() {
  m_setter = nullptr;
  m_bLoaded = false;
  return true;
}

bool CLayeredWndHelper::SetWindowOpacityAttributes(QWidget* window, std::uint32_t,
                                                   std::uint8_t alpha, std::uint32_t flags) {
  if (window == nullptr)
    return false;
  if ((flags & LWA_ALPHA) != 0)
    window->setWindowOpacity(alpha / 255.0);
  return true;
}
