// CLayeredWndHelper: sets the opacity of a top-level window and fades it out. The setter is
// looked up once when the helper is loaded; on a system without one the calls do nothing and
// report it (FALSE), and the window works as before. On Qt the default setter is the window's
// opacity; tests give a recording setter.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

inline constexpr std::uint32_t LWA_COLORKEY = 0x1;
inline constexpr std::uint32_t LWA_ALPHA = 0x2;

class CLayeredWndHelper {
 public:
  // Called with (window, colour key, alpha, flags); returns the call's success.
  using AttributeSetter = std::function<bool(QWidget* window, std::uint32_t colorKey,
                                             std::uint8_t alpha, std::uint32_t flags)>;

  // The window-opacity setter.
  CLayeredWndHelper();
  // A given setter; an empty one stands for a system without the function.
  explicit CLayeredWndHelper(AttributeSetter setter);

  // Loads the setter, makes the window layered and fully opaque. TRUE.
  bool Init(QWidget* window);
  // With the setter loaded: its result, FALSE when there is none; TRUE when not loaded.
  bool SetAttributes(QWidget* window, std::uint32_t colorKey, std::uint8_t alpha,
                     std::uint32_t flags);
  // 101 calls, alpha = i * 255 / 100 for i = 100 down to 0, without pause. TRUE.
  bool FadeOut(QWidget* window);
  // Releases the setter. TRUE.
  bool Unload();
  bool IsLoaded() const { return m_bLoaded; }

  // The default setter: window opacity alpha / 255 (colour keys are not supported).
  static bool SetWindowOpacityAttributes(QWidget* window, std::uint32_t colorKey,
                                         std::uint8_t alpha, std::uint32_t flags);

 private:
  AttributeSetter m_available;
  AttributeSetter m_setter;
  bool m_bLoaded = false;
};
