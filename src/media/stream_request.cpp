#include "media/stream_request.h"

std::string BuildStreamStartBody(std::string_view session, StreamKind kind,
                                 std::uint8_t videoFormat) {
  std::string body = "Session: ";
  body += session;
  body += "\r\n";
  if (kind == StreamKind::kAudio) {
    body += "Command: Audio\r\n";
  } else if (videoFormat == 4) {
    body += "Command: Mpeg4\r\n";
  } else if (videoFormat == 0) {
    body += "Command: Jpeg\r\n";
  }
  body += "Command: Start Play\r\n";
  // The body buffer holds 256 bytes with its terminator; the session id is at most 63
  // characters, so this never cuts a well-formed body.
  if (body.size() > 255)
    body.resize(255);
  return body;
}

std::string BuildStreamStartRequest(std::string_view localAddress, std::string_view session,
                                    StreamKind kind, std::uint8_t videoFormat) {
  const std::string body = BuildStreamStartBody(session, kind, videoFormat);
  std::string request =
      "GET / HTTP/1.1 \r\nAccept: */* \r\nAccept-Language: zh-tw\r\nAccept-Encoding: gzip, "
      "deflate\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
      "1.1.4322)\r\n";
  request += "Host: ";
  request += localAddress;
  request += "\r\nConnection: Keep-Alive\r\nContent-Lentght: ";
  request += std::to_string(body.size());
  request += "\r\n\r\n";
  request += body;
  return request;
}
