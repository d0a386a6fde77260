#include "ui/common/skin_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace ui {
namespace {

QMutex g_baseLock;
QString g_baseFolder;

// The entry of dir whose name equals name ignoring case; the exact spelling wins.
QString MatchEntry(const QDir& dir, const QString& name) {
  if (QFileInfo::exists(dir.filePath(name)))
    return name;
  const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0)
      return entry;
  }
  return {};
}

}  // namespace

QString SkinBaseFolder() {
  {
    QMutexLocker lock(&g_baseLock);
    if (!g_baseFolder.isEmpty())
      return g_baseFolder;
  }
  return QCoreApplication::applicationDirPath();
}

void SetSkinBaseFolder(const QString& folder) {
  QMutexLocker lock(&g_baseLock);
  g_baseFolder = folder;
}

QString ResolveSkinPath(const QString& skinPath) {
  return ResolveSkinPath(skinPath, SkinBaseFolder());
}

QString ResolveSkinPath(const QString& skinPath, const QString& baseFolder) {
  QString normalised = skinPath;
  normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QStringList parts = normalised.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  if (parts.isEmpty() || parts.contains(QStringLiteral("..")))
    return {};
  QDir dir(baseFolder);
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString entry = MatchEntry(dir, parts.at(i));
    if (entry.isEmpty())
      return {};
    if (i + 1 == parts.size()) {
      const QFileInfo info(dir.filePath(entry));
      return info.isFile() ? info.filePath() : QString();
    }
    if (!dir.cd(entry))
      return {};
  }
  return {};
}

QPixmap LoadSkinBitmap(const QString& skinPath) {
  const QString file = ResolveSkinPath(skinPath);
  if (file.isEmpty())
    return {};
  QPixmap pixmap;
  pixmap.load(file);
  return pixmap;
}

QImage LoadSkinImage(const QString& skinPath) {
  const QString file = ResolveSkinPath(skinPath);
  if (file.isEmpty())
    return {};
  return QImage(file);
}

}  // namespace ui
