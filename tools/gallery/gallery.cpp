// Renders every window and state into PNG files, so a change can be looked at before it lands.
// Usage: kavelin_gallery [--x11] <output folder> [section...]
// Sections: foundation, main, login, config (all when none is named). The windows are drawn
// offscreen (or on the platform QT_QPA_PLATFORM names); with --x11 they open on the X display
// named by DISPLAY, with the platform theme a user's desktop gives them.
#include <QApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "gallery_sections.h"
#include "ui/common/app_style.h"

namespace gallery {
namespace {

QDir g_out;
int g_failures = 0;

}  // namespace

void Save(const QImage& image, const QString& name) {
  const QString file = g_out.filePath(name + ".png");
  if (image.isNull() || !image.save(file, "PNG")) {
    std::fprintf(stderr, "kavelin_gallery: cannot write %s\n", qPrintable(file));
    ++g_failures;
  }
}

void Fail() {
  ++g_failures;
}

}  // namespace gallery

int main(int argc, char** argv) {
  // --x11: the real display; it may stand anywhere before the folder.
  bool x11 = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--x11") == 0)
      x11 = true;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  argv[argc] = nullptr;
  if (x11)
    qputenv("QT_QPA_PLATFORM", "xcb");
  else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::InstallAppStyle(app);  // the program's look, as RunKavelin installs it
  struct Section {
    const char* name;
    std::function<void()> render;
  };
  const Section sections[] = {{"foundation", gallery::RenderFoundation},
                              {"main", gallery::RenderMainWindow},
                              {"login", gallery::RenderLogin},
                              {"config", gallery::RenderConfig}};
  const auto known = [&](const char* name) {
    return std::ranges::any_of(sections,
                               [name](const Section& s) { return std::strcmp(s.name, name) == 0; });
  };
  // A misspelt section would otherwise render nothing and still succeed.
  if (argc < 2 || !std::all_of(argv + 2, argv + argc, known)) {
    std::fprintf(stderr, "usage: %s [--x11] <output folder> [foundation|main|login|config]...\n",
                 argv[0]);
    return 2;
  }
  gallery::g_out = QDir(QString::fromLocal8Bit(argv[1]));
  if (!gallery::g_out.mkpath(QStringLiteral(".")))
    return 1;
  for (const Section& s : sections) {
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i)
      wanted = wanted || std::strcmp(argv[i], s.name) == 0;
    if (wanted)
      s.render();
  }
  return gallery::g_failures == 0 ? 0 : 1;
}
