// A file of ui/config as the include check must refuse it: the includes of its own folder and of
// ui/common pass; the login window's folder and the program's start-up are above it.
#pragma once

#include "ui/common/ui_dialog.h"
#include "ui/config/pages/sys_conf_page.h"
#include "ui/login/login_files.h"
#include "ui/run_kavelin.h"
