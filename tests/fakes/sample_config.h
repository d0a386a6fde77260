// A sample configuration of a video server: all fourteen configuration records with plausible
// settings, as the fake server and vsim serve them. Bytes that no window edits hold a pattern
// of their own, and text fields hold pattern bytes after their terminator, so a test sees any
// byte a client writes that it should have left alone.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fakes {

using ConfigRecords = std::map<std::string, std::vector<std::uint8_t>>;

// Settings of the sample (what the pages show for it):
// - IP: static 192.168.1.50 / 255.255.255.0, gateway 192.168.1.1, web port 80, stream port
//   5000; PPPoE "pppoe-user" / "pppoe-pass"; MAC 00:0E:53:12:AB:CD, firmware "2.1.0.7".
// - DDNS enabled, DNS 168.95.1.1, "ddns-user" / "ddns-secret", "camera.dyndns.org", "dyndns".
// - SNTP "pool.ntp.org", zone row 60 (GMT+08:00 Taipei).
// - SMTP "smtp.example.net" from "camera@example.net", verify on, "mailer" / "mail-secret",
//   addresses "alice@example.net" and "bob@example.org".
// - FTP "ftp.example.net" port 21, "ftpuser" / "ftp-secret", directory "/alarm".
// - Host name "fake-server"; two accounts "admin" (supervisor) and "guest", at most 5 users.
// - TRIGGER alarm and motion on, e-mail, MPEG-4 clips of 48 frames, 3 pictures, 30 s.
// - RS485 turbo 3, port 1 id 1 type 3 at 9600, port 2 id 2 type 8 at 4800.
// - PENTA MPEG-4 352 x 240 at 1M (code 34), JPEG 352 x 240 quality 50 ("Middle"), motion
//   sensitivity 3 in both sets, cells of rows 2..4 and columns 3..6 marked (352 grid).
ConfigRecords SampleConfig();

// The sample with values that no row of the pages stands for: DDNS provider "noip", SNTP zone
// row 99, SMTP verify 1, IP type 5, PENTA MPEG-4 320 x 240 and JPEG 640 x 480 with quality 0,
// TRIGGER duration 45 s, RS485 port 1 at 2400 baud, at most 12 users.
ConfigRecords OffRowConfig();

// True when one of the ten account entries of a SECURE record has this (non-empty) name and
// this password.
bool HasAccount(const std::vector<std::uint8_t>& secure, const std::string& name,
                const std::string& password);

}  // namespace fakes
