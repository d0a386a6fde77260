// Login and stream replies from the network: any bytes must parse without reading or writing
// outside a buffer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/app_data.h"
#include "net/login_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool created = [] {
    g_lpApp = std::make_unique<CAppData>();
    return true;
  }();
  (void)created;
  const std::string reply(reinterpret_cast<const char*>(data), size);
  net::ParseLoginReplyFields(reply);
  net::ParseStreamReplyFields(reply);
  if (size > 0) {
    // A key taken from the input itself, so keys and values overlap in every way.
    const std::size_t keyLength = data[0] % 24;
    net::FindReplyValue(reply, reply.substr(1, keyLength));
  }
  ParseLoginReply(reply.c_str());
  ParseLoginReplyEx(reply.c_str());
  return 0;
}
