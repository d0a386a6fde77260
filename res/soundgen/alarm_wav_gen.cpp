// Writes the program's alarm sound, alarm.wav: one second of a two-tone alarm (960 Hz and
// 640 Hz, a quarter of a second each, twice), 16-bit mono PCM at 16,000 samples a second in a
// RIFF WAVE file whose first chunk is the format chunk. Every tone holds a whole number of
// periods and starts at phase 0, so the sound repeats without a click when the player loops it.
//
//   kavelin_soundgen OUTPUT.wav
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 16000;
constexpr std::uint32_t kToneSamples = kRate / 4;
constexpr double kTones[] = {960.0, 640.0, 960.0, 640.0};
constexpr double kLevel = 0.35 * 32767;
constexpr std::uint32_t kRampSamples = kRate / 200;  // 5 ms in and out of each tone

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}
void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
  out.insert(out.end(), tag, tag + 4);
}

std::vector<std::uint8_t> Samples() {
  std::vector<std::uint8_t> data;
  for (const double frequency : kTones) {
    for (std::uint32_t i = 0; i < kToneSamples; ++i) {
      const double phase = 2 * std::numbers::pi * frequency * i / kRate;
      // A square-ish tone (the fundamental and its third harmonic), eased in and out.
      const double wave = std::sin(phase) + std::sin(3 * phase) / 3;
      const std::uint32_t edge = std::min(i, kToneSamples - i);
      const double ramp = edge < kRampSamples ? static_cast<double>(edge) / kRampSamples : 1.0;
      const auto sample = static_cast<std::int16_t>(std::lround(kLevel * ramp * wave));
      PutU16(data, static_cast<std::uint16_t>(sample));
    }
  }
  return data;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kavelin_soundgen OUTPUT.wav\n");
    return 2;
  }
  const std::vector<std::uint8_t> data = Samples();
  std::vector<std::uint8_t> file;
  PutTag(file, "RIFF");
  PutU32(file, static_cast<std::uint32_t>(4 + 8 + 16 + 8 + data.size()));
  PutTag(file, "WAVE");
  PutTag(file, "fmt ");
  PutU32(file, 16);
  PutU16(file, 1);          // PCM
  PutU16(file, 1);          // mono
  PutU32(file, kRate);      // samples a second
  PutU32(file, kRate * 2);  // bytes a second
  PutU16(file, 2);          // block alignment
  PutU16(file, 16);         // bits a sample
  PutTag(file, "data");
  PutU32(file, static_cast<std::uint32_t>(data.size()));
  file.insert(file.end(), data.begin(), data.end());
  const std::string path = argv[1];
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "kavelin_soundgen: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
