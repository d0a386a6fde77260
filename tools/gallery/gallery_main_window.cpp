// The gallery's pictures of the main window and its dialogs.
#include "gallery_sections.h"

namespace gallery {

void RenderMainWindow() {}

}  // namespace gallery
