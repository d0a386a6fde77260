#include "fakes/sample_config.h"

#include <cstring>
#include <initializer_list>

namespace fakes {
namespace {

using Record = std::vector<std::uint8_t>;

Record Pattern(std::size_t size, std::uint8_t seed) {
  Record record(size);
  for (std::size_t i = 0; i < size; ++i)
    record[i] = static_cast<std::uint8_t>(i * 13 + seed) | 0x01;  // never a zero byte
  return record;
}

void U16(Record& r, std::size_t at, std::uint16_t value) {
  r[at] = static_cast<std::uint8_t>(value);
  r[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void U32(Record& r, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    r[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Bytes(Record& r, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
  for (std::uint8_t b : bytes)
    r[at++] = b;
}

// The text and its terminator; the rest of the field keeps its pattern.
void Text(Record& r, std::size_t at, const char* text) {
  const std::size_t n = std::strlen(text);
  std::memcpy(r.data() + at, text, n);
  r[at + n] = 0;
}

void Mark(Record& mask, std::size_t offset, int row, int column) {
  const int cell = row * 24 + column;
  mask[offset + static_cast<std::size_t>(cell / 8)] |=
      static_cast<std::uint8_t>(0x80 >> (cell % 8));
}

void Clear(Record& r, std::size_t at, std::size_t count) {
  std::memset(r.data() + at, 0, count);
}

Record Penta() {
  Record r = Pattern(156, 0x40);
  Bytes(r, 5, {0x77});  // the send marks hold other values than a send writes
  U16(r, 6, 34);
  Bytes(r, 8, {0x66, 2, 1, 22, 15});
  Bytes(r, 16, {3});
  Bytes(r, 18, {3, 16, 10, 2, 5});
  Bytes(r, 81, {0x99});
  Bytes(r, 84, {0x88, 2, 1, 22, 15, 50, 0, 0, 3});
  Bytes(r, 94, {3, 16, 10, 2, 5});
  Clear(r, 23, 54);
  Clear(r, 99, 54);
  for (int row = 2; row <= 4; ++row) {
    for (int column = 3; column <= 6; ++column) {
      Mark(r, 99, row, column);
      for (int dr = 0; dr < 2; ++dr) {
        for (int dc = 0; dc < 2; ++dc)
          Mark(r, 23, 2 * row + dr, 2 * column + dc);
      }
    }
  }
  return r;
}

Record Secure() {
  Record r = Pattern(408, 0x30);
  U16(r, 4, 5);
  struct Account {
    const char* name;
    const char* password;
    std::uint32_t level, lifeTime;
  };
  const Account accounts[] = {{"admin", "1234", 30, 0xFFFFFFFFu}, {"guest", "guest", 0, 60}};
  for (std::size_t i = 0; i < 10; ++i) {
    const std::size_t at = 8 + 40 * i;
    if (i < 2) {
      Text(r, at, accounts[i].name);
      Text(r, at + 16, accounts[i].password);
      U32(r, at + 32, accounts[i].level);
      U32(r, at + 36, accounts[i].lifeTime);
    } else {
      Clear(r, at, 40);
    }
  }
  return r;
}

}  // namespace

ConfigRecords SampleConfig() {
  ConfigRecords records;

  Record ip = Pattern(24, 0x10);
  Bytes(ip, 4, {192, 168, 1, 50, 255, 255, 255, 0, 192, 168, 1, 1});
  U16(ip, 16, 80);
  U16(ip, 18, 5000);
  ip[20] = 0;
  records["IP"] = ip;

  Record pppoe = Pattern(100, 0x11);
  Text(pppoe, 36, "pppoe-user");
  Text(pppoe, 68, "pppoe-pass");
  records["PPPOE"] = pppoe;

  Record inf = Pattern(56, 0x12);
  Bytes(inf, 32, {'2', '1', '0', '7'});
  Bytes(inf, 48, {0x00, 0x0E, 0x53, 0x12, 0xAB, 0xCD});
  records["INF"] = inf;

  Record smtp = Pattern(516, 0x13);
  smtp[2] = 2;
  Text(smtp, 4, "smtp.example.net");
  Text(smtp, 68, "camera@example.net");
  Text(smtp, 132, "alice@example.net");
  Text(smtp, 196, "bob@example.org");
  for (std::size_t slot = 2; slot < 5; ++slot)
    smtp[132 + 64 * slot] = 0;
  Text(smtp, 452, "mailer");
  Text(smtp, 484, "mail-secret");
  records["SMTP"] = smtp;

  Record ftp = Pattern(104, 0x14);
  Text(ftp, 4, "ftp.example.net");
  Text(ftp, 36, "ftpuser");
  Text(ftp, 52, "ftp-secret");
  Text(ftp, 68, "/alarm");
  U16(ftp, 100, 21);
  records["FTP"] = ftp;

  records["SECURE"] = Secure();

  Record dns = Pattern(124, 0x15);
  dns[7] = 1;
  Bytes(dns, 8, {168, 95, 1, 1});
  Text(dns, 12, "ddns-user");
  Text(dns, 28, "ddns-secret");
  Text(dns, 44, "camera.dyndns.org");
  Text(dns, 108, "dyndns");
  records["DNS"] = dns;

  Record system = Pattern(36, 0x16);
  Text(system, 4, "fake-server");
  records["SYSTEM"] = system;

  Record sntp = Pattern(40, 0x17);
  Text(sntp, 4, "pool.ntp.org");
  Bytes(sntp, 36, {8, 0});
  sntp[39] = 60;
  records["SNTP"] = sntp;

  Record img = Pattern(12, 0x18);
  Bytes(img, 7, {0x80, 0x80, 0x80, 0x80});
  records["IMG"] = img;

  records["WLAN"] = Pattern(104, 0x19);

  Record trigger = Pattern(12, 0x1A);
  Bytes(trigger, 2, {3, 48, 1, 1});
  U16(trigger, 6, 30);
  Bytes(trigger, 8, {1, 1});
  records["TRIGGER"] = trigger;

  Record rs485 = Pattern(20, 0x1B);
  Bytes(rs485, 2, {3});
  Bytes(rs485, 4, {1});
  Bytes(rs485, 6, {3});
  U32(rs485, 8, 9600);
  Bytes(rs485, 12, {2});
  Bytes(rs485, 14, {8});
  U32(rs485, 16, 4800);
  records["RS485"] = rs485;

  records["PENTA"] = Penta();
  return records;
}

ConfigRecords OffRowConfig() {
  ConfigRecords records = SampleConfig();
  Text(records["DNS"], 108, "noip");
  records["SNTP"][39] = 99;
  records["SMTP"][2] = 1;
  records["IP"][20] = 5;
  Record& penta = records["PENTA"];
  Bytes(penta, 9, {3, 1, 20, 15});
  Bytes(penta, 85, {1, 0, 40, 30, 0});
  U16(records["TRIGGER"], 6, 45);
  U32(records["RS485"], 8, 2400);
  U16(records["SECURE"], 4, 12);
  return records;
}

bool HasAccount(const std::vector<std::uint8_t>& secure, const std::string& name,
                const std::string& password) {
  // Ten entries of 40 bytes from offset 8: the name in 16 bytes, the password in 16.
  const auto text = [&](std::size_t at) {
    const auto* first = reinterpret_cast<const char*>(secure.data() + at);
    return std::string(first, strnlen(first, 16));
  };
  for (std::size_t at = 8; at + 40 <= secure.size() && at < 8 + 40 * 10; at += 40) {
    if (!name.empty() && text(at) == name && text(at + 16) == password)
      return true;
  }
  return false;
}

}  // namespace fakes
