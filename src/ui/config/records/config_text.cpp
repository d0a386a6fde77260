#include "ui/config/records/config_text.h"

#include <QLineEdit>
#include <QValidator>

#include "net/record_fields.h"

namespace syscfg {
namespace {

// Accepts a text while its UTF-8 form fits.
class ByteLengthValidator final : public QValidator {
 public:
  ByteLengthValidator(int maxBytes, QObject* parent) : QValidator(parent), m_maxBytes(maxBytes) {}
  State validate(QString& input, int&) const override {
    return FitsBytes(input, m_maxBytes) ? Acceptable : Invalid;
  }

 private:
  int m_maxBytes;
};

}  // namespace

QString ShownText(std::span<const std::uint8_t> record, cfg::TextField field) {
  std::string text = net::RecordText(record, field);
  if (field.width > 0 && text.size() > field.width - 1)
    text.resize(field.width - 1);
  QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  // Bytes that are not UTF-8 (and a character cut at the field's end) are shown as U+FFFD,
  // which takes three bytes stored: the shown text is cut back to what its edit accepts.
  const int maxBytes = field.width > 0 ? static_cast<int>(field.width) - 1 : 0;
  while (!shown.isEmpty() && !FitsBytes(shown, maxBytes))
    shown.chop(shown.size() >= 2 && shown.back().isLowSurrogate() ? 2 : 1);
  return shown;
}

bool WriteText(std::span<std::uint8_t> record, cfg::TextField field, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return net::SetRecordText(
      record, field, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool WriteChangedTexts(std::span<std::uint8_t> record, std::initializer_list<ChangedText> texts) {
  bool written = false;
  for (const ChangedText& t : texts) {
    if (t.value != t.mirror && WriteText(record, t.field, t.value))
      written = true;
  }
  return written;
}

int StoredBytes(const QString& text) {
  return static_cast<int>(text.toUtf8().size());
}

void LimitTextBytes(QLineEdit& edit, int maxBytes) {
  edit.setMaxLength(maxBytes);
  edit.setValidator(new ByteLengthValidator(maxBytes, &edit));
}

QString TooLongText(const QString& what, int maxBytes) {
  return QStringLiteral("%1 takes more than %2 bytes.").arg(what).arg(maxBytes);
}

}  // namespace syscfg
