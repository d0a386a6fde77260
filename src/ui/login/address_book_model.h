// What both address-book dialogs keep: the entries of IPRecord.dat in list order, the held
// file, and the rules their OK buttons apply before an entry is added or changed. The file is
// rewritten whole when the dialog goes (also after its CANCEL button with id 1), never after it
// was found bad or could not be opened.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/ip_record.h"
#include "ui/common/message_ids.h"

namespace ui::login {

// The widths in characters of a dialog's user, address and remark edits. A stored text longer
// than its edit shows cut there; an edit that still holds the cut text was left alone.
struct EntryEditWidths {
  int user = -1;  // -1: no limit
  int address = -1;
  int remark = -1;
};

class AddressBookModel {
 public:
  AddressBookModel(std::filesystem::path file, app::CIPRecordFile::Writer writer = {},
                   EntryEditWidths widths = {});
  // Saves the entries when the file is held.
  ~AddressBookModel();
  AddressBookModel(const AddressBookModel&) = delete;
  AddressBookModel& operator=(const AddressBookModel&) = delete;

  app::CIPRecordFile::OpenResult Open();
  const std::vector<app::IPRecord>& Entries() const { return m_entries; }
  int Count() const { return static_cast<int>(m_entries.size()); }
  bool IsHeld() const { return m_file.IsHeld(); }

  // A new entry: user name and address must not be empty (4079), the port must be a number
  // 1..65535 (4053). 0 when it was appended.
  int Add(const QString& user, const QString& address, const QString& port, const QString& remark);
  // A changed entry: the port may be 0 but must be a number up to 65535 (4053). 0 when the
  // entry at row was replaced; 4050 when row does not exist. A text that reads as the stored
  // one shows in its edit keeps the stored bytes, so a text filling its whole field stays whole.
  int Replace(int row, const QString& user, const QString& address, const QString& port,
              const QString& remark);
  // False when row does not exist.
  bool Remove(int row);

 private:
  app::CIPRecordFile m_file;
  std::filesystem::path m_path;
  EntryEditWidths m_widths;
  std::vector<app::IPRecord> m_entries;
};

// The port column's text of an entry ("%d").
QString PortText(const app::IPRecord& entry);

// A text the operator entered as the file stores it: its UTF-8 bytes, cut at a character
// boundary to at most 127 bytes so that it ends within its 128-byte field.
std::string StoredText(const QString& text);

// The stored text an edit's text stands for: the stored one itself when the edit holds it as it
// was shown (cut to editChars characters, -1 for no cut), else the edit's text as stored.
std::string EditedText(const QString& edit, const std::string& stored, int editChars);

}  // namespace ui::login
