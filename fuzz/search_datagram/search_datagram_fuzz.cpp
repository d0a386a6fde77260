// The LAN search answers and the operator's MAC and dotted texts: any bytes must decode or parse
// without reading outside the input, a decoded datagram must encode back to the same fields,
// and a parsed text must format back to a text that parses to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "net/search_datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const auto datagram = net::DecodeSearchDatagram(bytes);
  if (datagram.has_value() != (size == net::kSearchDatagramBytes))
    std::abort();
  if (datagram) {
    const auto again = net::DecodeSearchDatagram(net::EncodeSearchDatagram(*datagram));
    if (!again || again->code != datagram->code || again->kindOrResult != datagram->kindOrResult ||
        again->mac != datagram->mac || again->ip != datagram->ip || again->port != datagram->port ||
        again->netMask != datagram->netMask || again->gateway != datagram->gateway ||
        again->dns != datagram->dns || again->command != datagram->command) {
      std::abort();
    }
    const net::SearchDeviceEntry entry = net::MakeSearchDeviceEntry(*datagram, 0);
    if (net::ParseMacText(entry.mac) != datagram->mac ||
        net::ParseDottedText(entry.ip) != datagram->ip)
      std::abort();
    net::DeviceKindName(entry.kind);
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto mac = net::ParseMacText(text)) {
    if (net::ParseMacText(net::FormatMacText(*mac)) != mac)
      std::abort();
  }
  if (const auto address = net::ParseDottedText(text)) {
    if (net::ParseDottedText(net::FormatDottedText(*address)) != address)
      std::abort();
  }
  return 0;
}
