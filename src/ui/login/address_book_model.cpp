#include "ui/login/address_book_model.h"

namespace ui::login {
namespace {

app::CIPRecordFile MakeFile(app::CIPRecordFile::Writer writer) {
  return writer ? app::CIPRecordFile(std::move(writer)) : app::CIPRecordFile();
}

}  // namespace

AddressBookModel::AddressBookModel(std::filesystem::path file, app::CIPRecordFile::Writer writer)
    : m_file(MakeFile(std::move(writer))), m_path(std::move(file)) {}

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
  m_entries.push_back({user.toStdString(), address.toStdString(), remark.toStdString(), *number});
  return 0;
}

int AddressBookModel::Replace(int row, const QString& user, const QString& address,
                              const QString& port, const QString& remark) {
  if (row < 0 || row >= Count())
    return kMsgSelectAnItem;
  const auto number = app::ParseIPRecordPort(port.toStdString());
  if (!number)
    return kMsgPortOutOfRange;
  m_entries[static_cast<std::size_t>(row)] = {user.toStdString(), address.toStdString(),
                                              remark.toStdString(), *number};
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

}  // namespace ui::login
