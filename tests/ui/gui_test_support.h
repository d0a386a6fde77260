// Shared support of the window tests: one QApplication on the offscreen platform for the whole
// program, fixture bitmap folders and pixel probes.
#pragma once

#include "fakes/qt_test_environment.h"
#include "ui/common/testing/solid_bitmap_folder.h"
