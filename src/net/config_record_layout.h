// Where the fields of the configuration records lie, as the records travel (byte offsets; texts
// are zero-terminated in fields of the given width). Only the fields the windows read or write
// are named; every other byte is sent back as it was fetched.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cfg {

struct TextField {
  std::size_t offset;
  std::size_t width;
};

namespace ip {
inline constexpr std::size_t kServerAddress = 4;
inline constexpr std::size_t kNetMask = 8;
inline constexpr std::size_t kGateway = 12;
inline constexpr std::size_t kWebPort = 16;     // u16, 1..65535
inline constexpr std::size_t kStreamPort = 18;  // u16, 256..65535
inline constexpr std::size_t kType = 20;        // u8: 0 static IP, 1 PPPoE, 2 DHCP
inline constexpr std::uint8_t kStaticIp = 0;
inline constexpr std::uint8_t kPppoe = 1;
inline constexpr std::uint8_t kDhcp = 2;
}  // namespace ip

namespace pppoe {
inline constexpr TextField kUser{36, 32};
inline constexpr TextField kPassword{68, 32};
}  // namespace pppoe

namespace inf {
inline constexpr std::size_t kVersion = 32;  // four characters
inline constexpr std::size_t kMac = 48;      // six bytes, first byte first
}  // namespace inf

namespace smtp {
inline constexpr std::size_t kVerify = 2;  // u8: 0 off, 2 on
inline constexpr TextField kServer{4, 64};
inline constexpr TextField kFrom{68, 64};
inline constexpr std::size_t kAddresses = 132;  // five bare addresses
inline constexpr std::size_t kAddressWidth = 64;
inline constexpr std::size_t kAddressCount = 5;
inline constexpr TextField kUser{452, 32};
inline constexpr TextField kPassword{484, 32};
constexpr TextField Address(std::size_t i) {
  return {kAddresses + kAddressWidth * i, kAddressWidth};
}
}  // namespace smtp

namespace ftp {
inline constexpr TextField kServer{4, 32};
inline constexpr TextField kUser{36, 16};
inline constexpr TextField kPassword{52, 16};
inline constexpr TextField kDirectory{68, 32};
inline constexpr std::size_t kPort = 100;  // u16
}  // namespace ftp

namespace secure {
inline constexpr std::size_t kMaxUsers = 4;  // u16, 1..10
inline constexpr std::size_t kAccounts = 8;  // ten entries of 40 bytes
inline constexpr std::size_t kAccountBytes = 40;
inline constexpr std::size_t kAccountCount = 10;
inline constexpr TextField kAccountName{0, 16};  // within an entry
inline constexpr TextField kAccountPassword{16, 16};
inline constexpr std::size_t kAccountLevel = 32;     // u32
inline constexpr std::size_t kAccountLifeTime = 36;  // u32, 0xFFFFFFFF without limit
}  // namespace secure

namespace dns {
inline constexpr std::size_t kEnabled = 7;  // u8
inline constexpr std::size_t kServer = 8;   // address
inline constexpr TextField kUser{12, 16};
inline constexpr TextField kPassword{28, 16};
inline constexpr TextField kDomain{44, 64};
inline constexpr TextField kProvider{108, 16};  // "custom", "dyndns" or "statdns"
}  // namespace dns

namespace sntp {
inline constexpr TextField kServer{4, 32};        // empty: automatic
inline constexpr std::size_t kHourOffset = 36;    // signed byte
inline constexpr std::size_t kMinuteOffset = 37;  // signed byte
inline constexpr std::size_t kZone = 39;          // row of the 75-row zone list
}  // namespace sntp

namespace system {
inline constexpr TextField kHostName{4, 32};
}  // namespace system

namespace rs485 {
inline constexpr std::size_t kTurboStep = 2;
inline constexpr std::size_t kPort1Id = 4;
inline constexpr std::size_t kPort1Type = 6;
inline constexpr std::size_t kPort1Baud = 8;  // u32
inline constexpr std::size_t kPort2Id = 12;
inline constexpr std::size_t kPort2Type = 14;
inline constexpr std::size_t kPort2Baud = 16;  // u32
}  // namespace rs485

namespace trigger {
inline constexpr std::size_t kJpegPictures = 2;
inline constexpr std::size_t kMpeg4Length = 3;  // units of 24
inline constexpr std::size_t kMethod = 4;
inline constexpr std::size_t kVideoType = 5;
inline constexpr std::size_t kDuration = 6;  // u16 seconds
inline constexpr std::size_t kAlarm = 8;
inline constexpr std::size_t kMotion = 9;
}  // namespace trigger

namespace img {
inline constexpr std::size_t kBrightness = 7;
inline constexpr std::size_t kContrast = 8;
inline constexpr std::size_t kHue = 9;
inline constexpr std::size_t kSaturation = 10;
}  // namespace img

namespace penta {
inline constexpr std::size_t kSendMark5 = 5;  // set to 2 before a send
inline constexpr std::size_t kBitRate = 6;    // u16
inline constexpr std::size_t kSendMark8 = 8;  // set to 15 before a send
inline constexpr std::size_t kMpeg4WidthCode = 9;
inline constexpr std::size_t kMpeg4HeightCode = 10;
inline constexpr std::size_t kMpeg4WidthUnits = 11;  // 16-pixel units
inline constexpr std::size_t kMpeg4HeightUnits = 12;
inline constexpr std::size_t kMpeg4Sensitivity = 16;
inline constexpr std::size_t kMpeg4Parameters = 18;  // NS, LS, DT, SS, FT
inline constexpr std::size_t kMask704 = 23;          // 54 bytes
inline constexpr std::size_t kSendMark81 = 81;       // set to 0 before a send
inline constexpr std::size_t kSendMark84 = 84;       // set to 1 before a send
inline constexpr std::size_t kJpegWidthCode = 85;
inline constexpr std::size_t kJpegHeightCode = 86;
inline constexpr std::size_t kJpegWidthUnits = 87;
inline constexpr std::size_t kJpegHeightUnits = 88;
inline constexpr std::size_t kJpegQuality = 89;  // 0..100
inline constexpr std::size_t kScaleCode = 90;    // and 91
inline constexpr std::size_t kScaleCodeCopy = 91;
inline constexpr std::size_t kJpegSensitivity = 92;
inline constexpr std::size_t kJpegParameters = 94;  // NS, LS, DT, SS, FT
inline constexpr std::size_t kMask352 = 99;         // 54 bytes
inline constexpr std::size_t kMaskBytes = 54;
inline constexpr std::size_t kParameterCount = 5;
}  // namespace penta

}  // namespace cfg
