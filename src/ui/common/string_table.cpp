#include "ui/common/string_table.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace ui {
namespace {

const StringEntry* Find(int id) {
  const auto entries = StringTableEntries();
  const auto it = std::lower_bound(entries.begin(), entries.end(), id,
                                   [](const StringEntry& e, int key) { return e.id < key; });
  if (it == entries.end() || it->id != id)
    return nullptr;
  return &*it;
}

QStringList Words(const QString& text) {
  return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

}  // namespace

QString LoadString(int id) {
  const StringEntry* e = Find(id);
  if (e == nullptr)
    return {};
  return QString::fromUtf8(e->text.data(), static_cast<qsizetype>(e->text.size()));
}

bool HasString(int id) {
  return Find(id) != nullptr;
}

QString FirstWord(const QString& text) {
  const QStringList words = Words(text);
  return words.isEmpty() ? QString() : words.front();
}

QString SecondWord(const QString& text) {
  const QStringList words = Words(text);
  return words.size() < 2 ? QString() : words.at(1);
}

QString BeforeSeparator(const QString& text, QChar sep) {
  const qsizetype at = text.indexOf(sep);
  return at < 0 ? text : text.left(at);
}

QString AfterSeparator(const QString& text, QChar sep) {
  const qsizetype at = text.indexOf(sep);
  return at < 0 ? QString() : text.mid(at + 1);
}

}  // namespace ui
