// Stand-ins for the outside services the configuration pages use: a launcher that records the
// programs it was asked to start, a file chooser that answers a scripted path and a disk with a
// fixed free space. Installed for a test's lifetime.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "ui/common/services.h"

namespace config_testing {

class RecordingLauncher final : public ui::IProcessLauncher {
 public:
  bool Launch(const QString& program, const QStringList& arguments) override {
    programs.push_back(program);
    argumentLists.push_back(arguments);
    return succeed;
  }
  bool succeed = true;
  QStringList programs;
  std::vector<QStringList> argumentLists;
};

class ScriptedFileChooser final : public ui::IFileChooser {
 public:
  QString OpenFile(QWidget*, const QString&, const QString&, const QString& filter) override {
    filters << filter;
    return answer;
  }
  QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
  QString ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
  QString answer;
  QStringList filters;
};

class FixedDiskSpace final : public ui::IDiskSpace {
 public:
  std::optional<std::uint64_t> FreeBytes(const QString& path) override {
    paths << path;
    return free;
  }
  std::optional<std::uint64_t> free = 1ull << 40;
  QStringList paths;
};

struct ScopedServices {
  ScopedServices() : previous(ui::InstallServices({chooser, launcher, disk, nullptr})) {}
  ~ScopedServices() { ui::InstallServices(previous); }
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

  std::shared_ptr<ScriptedFileChooser> chooser = std::make_shared<ScriptedFileChooser>();
  std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
  std::shared_ptr<FixedDiskSpace> disk = std::make_shared<FixedDiskSpace>();
  ui::Services previous;
};

}  // namespace config_testing
