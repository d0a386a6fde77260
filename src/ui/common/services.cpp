#include "ui/common/services.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStorageInfo>
#include <mutex>

namespace ui {
namespace {

class QtFileChooser final : public IFileChooser {
 public:
  QString OpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                   const QString& filter) override {
    return QFileDialog::getOpenFileName(parent, caption, startFolder, filter);
  }
  QString SaveFile(QWidget* parent, const QString& caption, const QString& startPath,
                   const QString& filter) override {
    return QFileDialog::getSaveFileName(parent, caption, startPath, filter);
  }
  QString ChooseFolder(QWidget* parent, const QString& caption,
                       const QString& startFolder) override {
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
  }
};

class DetachedLauncher final : public IProcessLauncher {
 public:
  bool Launch(const QString& program, const QStringList& arguments) override {
    return QProcess::startDetached(program, arguments);
  }
};

class StorageDiskSpace final : public IDiskSpace {
 public:
  std::optional<std::uint64_t> FreeBytes(const QString& path) override {
    const QStorageInfo info(path);
    if (!info.isValid() || !info.isReady())
      return std::nullopt;
    const qint64 free = info.bytesAvailable();
    if (free < 0)
      return std::nullopt;
    return static_cast<std::uint64_t>(free);
  }
};

class ScreenWorkArea final : public IWorkArea {
 public:
  QRect Rect() override {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  }
};

std::mutex g_lock;
Services g_services;

template <typename T, typename Default>
T& Slot(std::shared_ptr<T> Services::*member) {
  std::lock_guard lock(g_lock);
  auto& slot = g_services.*member;
  if (!slot)
    slot = std::make_shared<Default>();
  return *slot;
}

}  // namespace

IFileChooser& FileChooser() {
  return Slot<IFileChooser, QtFileChooser>(&Services::fileChooser);
}
IProcessLauncher& ProcessLauncher() {
  return Slot<IProcessLauncher, DetachedLauncher>(&Services::processLauncher);
}
IDiskSpace& DiskSpace() {
  return Slot<IDiskSpace, StorageDiskSpace>(&Services::diskSpace);
}
IWorkArea& WorkArea() {
  return Slot<IWorkArea, ScreenWorkArea>(&Services::workArea);
}

Services InstallServices(Services services) {
  std::lock_guard lock(g_lock);
  Services previous = std::move(g_services);
  g_services = std::move(services);
  return previous;
}

}  // namespace ui
