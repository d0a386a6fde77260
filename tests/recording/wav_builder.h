// Builds small RIFF WAVE files for the alarm sound tests and the fuzz seeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

inline void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

inline void PutChunk(std::vector<std::uint8_t>& out, const std::string& tag,
                     const std::vector<std::uint8_t>& body, std::uint32_t sizeField) {
  out.insert(out.end(), tag.begin(), tag.end());
  PutU32(out, sizeField);
  out.insert(out.end(), body.begin(), body.end());
}

inline std::vector<std::uint8_t> FormatBody(std::uint16_t channels = 1, std::uint32_t rate = 8000,
                                            std::uint16_t bits = 16) {
  std::vector<std::uint8_t> body;
  const std::uint32_t align = channels * (bits / 8u);
  PutU16(body, 1);
  PutU16(body, channels);
  PutU32(body, rate);
  PutU32(body, rate * align);
  PutU16(body, align);
  PutU16(body, bits);
  return body;
}

// RIFF header + the chunks as given.
inline std::vector<std::uint8_t> Riff(const std::vector<std::uint8_t>& chunks) {
  std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
  PutU32(out, static_cast<std::uint32_t>(chunks.size() + 4));
  out.insert(out.end(), {'W', 'A', 'V', 'E'});
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

inline std::vector<std::uint8_t> Samples(std::size_t count) {
  std::vector<std::uint8_t> s(count);
  for (std::size_t i = 0; i < count; ++i) {
    s[i] = static_cast<std::uint8_t>((i * 13 + i / 256) & 0xFF);
  }
  return s;
}

// A plain file: fmt chunk then data.
inline std::vector<std::uint8_t> SimpleWav(const std::vector<std::uint8_t>& samples) {
  std::vector<std::uint8_t> chunks;
  PutChunk(chunks, "fmt ", FormatBody(), 16);
  PutChunk(chunks, "data", samples, static_cast<std::uint32_t>(samples.size()));
  return Riff(chunks);
}

}  // namespace wavtest
