// The gallery's pictures of the login window and its tools.
#include "gallery_sections.h"

namespace gallery {

void RenderLogin() {}

}  // namespace gallery
