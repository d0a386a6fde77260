#include "gui_test_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "ui/common/skin_loader.h"

namespace {

// One QApplication for the whole program, on the offscreen platform unless the environment
// names another.
class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QApplication::instance() != nullptr)
      return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kavelin_ui_tests";
    static char* argv[] = {name, nullptr};
    m_app = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete m_app;
    m_app = nullptr;
  }

 private:
  QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

namespace ui::testing {

SolidBitmapFolder::SolidBitmapFolder() {
  SetSkinBaseFolder(m_dir.path());
}

SolidBitmapFolder::~SolidBitmapFolder() {
  SetSkinBaseFolder(QString());
}

void SolidBitmapFolder::Add(const QString& skinPath, int width, int height, const QColor& colour) {
  QString relative = skinPath;
  relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QString file = QDir(m_dir.path()).filePath(relative);
  QDir().mkpath(QFileInfo(file).path());
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  ASSERT_TRUE(image.save(file, "BMP")) << file.toStdString();
}

QColor PixelOf(QWidget& widget, int x, int y) {
  const QImage image = widget.grab().toImage();
  if (!image.valid(x, y))
    return {};
  return image.pixelColor(x, y);
}

}  // namespace ui::testing
