// The gallery's pictures of the configuration sheet and its pages.
#include "gallery_sections.h"

namespace gallery {

void RenderConfig() {}

}  // namespace gallery
