// Outside services the windows use, each behind an interface with a default implementation and
// a process-wide slot that tests replace: the file chooser, the launcher of other programs, the
// free disk space and the desktop work area.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

class QWidget;

namespace ui {

class IFileChooser {
 public:
  virtual ~IFileChooser() = default;
  // The chosen file; empty when the user cancelled. filter is a Qt name filter list
  // ("Firmware (*.bin)"), startFolder may be empty.
  virtual QString OpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                           const QString& filter) = 0;
  virtual QString SaveFile(QWidget* parent, const QString& caption, const QString& startPath,
                           const QString& filter) = 0;
  virtual QString ChooseFolder(QWidget* parent, const QString& caption,
                               const QString& startFolder) = 0;
};

class IProcessLauncher {
 public:
  virtual ~IProcessLauncher() = default;
  // Starts program detached with the arguments; false when it could not start.
  virtual bool Launch(const QString& program, const QStringList& arguments) = 0;
};

class IDiskSpace {
 public:
  virtual ~IDiskSpace() = default;
  // Bytes free for the user on the disk holding path; nullopt when it cannot be read.
  virtual std::optional<std::uint64_t> FreeBytes(const QString& path) = 0;
};

class IWorkArea {
 public:
  virtual ~IWorkArea() = default;
  // The desktop area not covered by panels, in screen pixels.
  virtual QRect Rect() = 0;
};

struct Services {
  std::shared_ptr<IFileChooser> fileChooser;
  std::shared_ptr<IProcessLauncher> processLauncher;
  std::shared_ptr<IDiskSpace> diskSpace;
  std::shared_ptr<IWorkArea> workArea;
};

// The installed services; a slot left empty gets the default implementation.
IFileChooser& FileChooser();
IProcessLauncher& ProcessLauncher();
IDiskSpace& DiskSpace();
IWorkArea& WorkArea();

// Replaces the services (empty members restore the defaults); returns the previous set.
Services InstallServices(Services services);

}  // namespace ui
