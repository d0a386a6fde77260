// The stream-start request a receiver sends once per connection: a fixed browser-like header
// (with the header name "Content-Lentght" as the server expects it) and a body of "Session: "
// and "Command: " lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class StreamKind { kVideo, kAudio };

// Body: session line, the format command (video: "Mpeg4" for format 4, "Jpeg" for 0, none
// otherwise; audio: "Audio"), then "Start Play". At most 255 bytes, as the body buffer holds.
std::string BuildStreamStartBody(std::string_view session, StreamKind kind,
                                 std::uint8_t videoFormat);
std::string BuildStreamStartRequest(std::string_view localAddress, std::string_view session,
                                    StreamKind kind, std::uint8_t videoFormat);
