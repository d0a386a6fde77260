#include "ui/login/address_book_model.h"

#include <algorithm>

namespace ui::login {
namespace {

app::CIPRecordFile MakeFile(app::CIPRecordFile::Writer writer) {
  return writer ? app::CIPRecordFile(std::move(writer)) : app::CIPRecordFile();
}

}  // namespace

AddressBookModel::AddressBookModel(std::filesystem::path file, app::CIPRecordFile::Writer writer,
                                   EntryEditWidths widths)
    : m_file(MakeFile(std::move(writer))), m_path(std::move(file)), m_widths(widths) {}

AddressBookModel::~AddressBookModel() {
  m_file.Save(m_entries);
}

app::CIPRecordFile::OpenResult AddressBookModel::Open() {
  const auto result = m_file.Open(m_path);
  m_entries = m_file.Records();
  return result;
}

int AddressBookModel::Add(const QString& user, const QString& address, const QString& port,
                          const QString& remark) {
  if (user.isEmpty() || address.isEmpty())
    return kMsgEmptyUserOrAddress;
  const auto number = app::ParseIPRecordPort(port.toStdString());
  if (!number || *number == 0)
    return kMsgPortOutOfRange;
  m_entries.push_back({StoredText(user), StoredText(address), StoredText(remark), *number});
  return 0;
}

int AddressBookModel::Replace(int row, const QString& user, const QString& address,
                              const QString& port, const QString& remark) {
  if (row < 0 || row >= Count())
    return kMsgSelectAnItem;
  const auto number = app::ParseIPRecordPort(port.toStdString());
  if (!number)
    return kMsgPortOutOfRange;
  app::IPRecord& entry = m_entries[static_cast<std::size_t>(row)];
  entry = {EditedText(user, entry.user, m_widths.user),
           EditedText(address, entry.address, m_widths.address),
           EditedText(remark, entry.remark, m_widths.remark), *number};
  return 0;
}

bool AddressBookModel::Remove(int row) {
  if (row < 0 || row >= Count())
    return false;
  m_entries.erase(m_entries.begin() + row);
  return true;
}

QString PortText(const app::IPRecord& entry) {
  return QString::number(entry.port);
}

std::string StoredText(const QString& text) {
  std::string bytes = text.toStdString();
  std::size_t length = std::min(bytes.size(), app::kIPRecordTextBytes - 1);
  // Never end inside a character: step back over continuation bytes (10xxxxxx) to its start.
  if (length < bytes.size()) {
    while (length > 0 && (static_cast<unsigned char>(bytes[length]) & 0xC0) == 0x80)
      --length;
  }
  bytes.resize(length);
  return bytes;
}

std::string EditedText(const QString& edit, const std::string& stored, int editChars) {
  QString shown = QString::fromStdString(stored);
  if (editChars >= 0)
    shown.truncate(editChars);
  return edit == shown ? stored : StoredText(edit);
}

}  // namespace ui::login
