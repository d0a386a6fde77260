// fuzz_seeds CORPUS_DIR: writes the seed corpora of the stream, compose and configuration fuzz
// targets into CORPUS_DIR/<target>/ (the repository keeps them in fuzz/corpus). Every seed is
// real traffic: the fake server's frames and packets of the fixture clips (the clips vsim
// serves), audio blocks as the server sends them, the sample configuration records, and the
// settings file as the client writes it. The layouts are those the fuzz targets read.
//
// The same sources give the same bytes on every run and machine: no seed holds a time, a
// process number, a random value or a path of where the tool runs (the settings seeds name a
// fixed program folder). Seeds named regress_* in the corpora are kept by hand, not written here.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/setting_ini.h"
#include "cpu_class/cpu_classes.h"
#include "fakes/sample_config.h"
#include "fakes/stream_packets.h"
#include "media/frame_assembler.h"
#include "net/config_records.h"

namespace {

using fakes::ByteVector;
using fakes::ClipFrame;
namespace fs = std::filesystem;

fs::path g_root;

// The program folder the settings seeds name (the alarm sound's path lies in it): a fixed text,
// whatever folder the settings file is written in.
constexpr std::string_view kSeedProgramFolder = "/opt/kavelin/";

void PutU16(ByteVector& b, std::size_t v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutU24(ByteVector& b, std::size_t v) {
  PutU16(b, v & 0xFFFF);
  b.push_back(static_cast<std::uint8_t>((v >> 16) & 0xFF));
}

void Append(ByteVector& to, const ByteVector& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

void Write(const std::string& target, const std::string& name, const ByteVector& bytes) {
  const fs::path dir = g_root / target;
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out)
    throw std::runtime_error("cannot write " + (dir / name).string());
  std::printf("%s/%s: %zu bytes\n", target.c_str(), name.c_str(), bytes.size());
}

template <typename T>
std::vector<T> First(std::vector<T> items, std::size_t n) {
  items.resize(std::min(n, items.size()));
  return items;
}

std::vector<ByteVector> Packets(const std::vector<ClipFrame>& frames,
                                const fakes::PacketOptions& options = {}) {
  std::uint16_t sequence = 100;
  std::vector<ByteVector> packets;
  for (const ClipFrame& f : frames) {
    for (ByteVector& p : fakes::Packetize(f, sequence, options))
      packets.push_back(std::move(p));
  }
  return packets;
}

// Frame assembler: the stream byte, then each packet behind its u16 length (0: a lost place).
ByteVector AssemblerSeed(std::uint8_t control, const std::vector<ByteVector>& packets) {
  ByteVector seed{control};
  for (const ByteVector& p : packets) {
    PutU16(seed, p.size());
    Append(seed, p);
  }
  return seed;
}

// TCP reader: how the bytes arrive (mode, seed), then the byte stream.
ByteVector TcpSeed(std::uint8_t mode, const std::vector<ByteVector>& packets) {
  ByteVector seed{mode, 0x3D, 0x91, 0x5C, 0x07};
  for (const ByteVector& p : packets)
    Append(seed, p);
  return seed;
}

// Compose: form, width, height, then each frame behind its kind and u24 length.
struct ComposeFrame {
  bool audio;
  const ByteVector* bytes;
};
ByteVector ComposeSeed(std::uint8_t form, int width, int height,
                       const std::vector<ComposeFrame>& frames) {
  ByteVector seed{form};
  PutU16(seed, static_cast<std::size_t>(width));
  PutU16(seed, static_cast<std::size_t>(height));
  for (const ComposeFrame& f : frames) {
    seed.push_back(f.audio ? 1 : 0);
    PutU24(seed, f.bytes->size());
    Append(seed, *f.bytes);
  }
  return seed;
}

// The byte a decoder fuzz target reads as the processor class of that name.
std::uint8_t CpuClassByte(std::string_view name) {
  const cpu_class::CpuClass* c = cpu_class::FindCpuClass(name);
  return static_cast<std::uint8_t>(c == nullptr ? 0 : c - cpu_class::kCpuClasses.data());
}

// Decoder context: sizes, method mask, reset, second size, shortfall, processor class; then the
// elementary stream of the frames.
ByteVector ContextSeed(int width, int height, std::uint8_t intoMask, std::uint8_t reset, int width2,
                       int height2, std::string_view cpuClass,
                       const std::vector<ClipFrame>& frames) {
  ByteVector seed;
  PutU16(seed, static_cast<std::size_t>(width));
  PutU16(seed, static_cast<std::size_t>(height));
  seed.push_back(intoMask);
  seed.push_back(reset);
  PutU16(seed, static_cast<std::size_t>(width2));
  PutU16(seed, static_cast<std::size_t>(height2));
  seed.push_back(0);
  seed.push_back(CpuClassByte(cpuClass));
  for (const ClipFrame& f : frames)
    Append(seed, f.elementary);
  return seed;
}

ByteVector ConfigSeed(std::uint8_t videoFormat, const fakes::ConfigRecords& records) {
  ByteVector seed{videoFormat};
  for (std::uint8_t option = kConfigInf; option <= kConfigPenta; ++option) {
    ByteVector record = records.at(ConfigOptionNames[option]);
    record.resize(ConfigRecordSizes[option], 0);
    Append(seed, record);
  }
  return seed;
}

ByteVector ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot read " + path.string());
  return ByteVector(std::istreambuf_iterator<char>(in), {});
}

// A folder of its own under the temporary folder, removed with its contents at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "fuzz_seeds_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot make a folder like " + pattern);
    m_path = pattern;
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

// The settings file the client writes, from the given settings, in a program folder at
// kSeedProgramFolder. It is written in a scratch folder; only its bytes are kept.
ByteVector SettingsFile(const CSettingINI& settings) {
  const ScratchFolder scratch;
  CSettingINI copy;
  copy.m_strProgramDir = scratch.Path().string() + "/";
  copy.m_strUserName = settings.m_strUserName;
  copy.m_strServerAddress = settings.m_strServerAddress;
  copy.m_wWebPort = settings.m_wWebPort.load();
  copy.m_byAvSwitchOption = settings.m_byAvSwitchOption.load();
  copy.m_byTransmissionType = settings.m_byTransmissionType.load();
  copy.m_bySelectedChannel = settings.m_bySelectedChannel.load();
  copy.m_byChannel1Device = settings.m_byChannel1Device;
  copy.m_strRecordPath = settings.m_strRecordPath;
  copy.m_strSnapshotPath = settings.m_strSnapshotPath;
  copy.m_strUpgradePath = settings.m_strUpgradePath;
  copy.m_strAlarmWavPath = std::string(kSeedProgramFolder) + CSettingINI::kAlarmWavName;
  if (copy.Save() != 1)
    throw std::runtime_error("cannot write the settings file in " + scratch.Path().string());
  return ReadBytes(scratch.Path() / CSettingINI::kFileName);
}

int WriteSeeds() {
  const std::string media = SEEDS_MEDIA_DIR;
  const ByteVector m4v176 = fakes::ReadFile((media + "/clip_176x144.m4v").c_str());
  const ByteVector m4v704 = fakes::ReadFile((media + "/clip_704x576.m4v").c_str());
  const ByteVector mjpeg = fakes::ReadFile((media + "/clip_352x288.mjpeg").c_str());
  const std::vector<ClipFrame> clip176 = First(fakes::Mpeg4Clip(m4v176), 3);
  const std::vector<ClipFrame> clip704 = First(fakes::Mpeg4Clip(m4v704), 2);  // I-VOP, P-VOP
  const std::vector<ClipFrame> jpeg = First(fakes::JpegClip(mjpeg), 2);
  const std::vector<ClipFrame> audio = fakes::AudioClip(3, 512);
  if (clip176.size() != 3 || clip704.size() != 2 || jpeg.size() != 2) {
    std::fprintf(stderr, "fuzz_seeds: the fixture clips are missing in %s\n", media.c_str());
    return 1;
  }

  // The frame assembler and the TCP reader: the fake server's packets of the clip vsim streams
  // (a key frame and the P-VOP behind it).
  const std::vector<ByteVector> video = Packets(clip704);
  const std::vector<ByteVector> predicted(video.begin() + Packets(First(clip704, 1)).size(),
                                          video.end());
  Write("frame_assembler", "tcp_mpeg4_704x576.bin", AssemblerSeed(0, video));
  std::vector<ByteVector> lossy = video;
  lossy.erase(lossy.begin() + 1);  // a datagram lost inside the key frame
  Write("frame_assembler", "udp_mpeg4_gate_loss.bin", AssemblerSeed(6, lossy));
  fakes::PacketOptions alarm;
  alarm.statusA = 1;
  alarm.statusB = 2;
  alarm.maxPacket = 400;
  Write("frame_assembler", "udp_jpeg_alarm.bin", AssemblerSeed(2, Packets(First(jpeg, 1), alarm)));
  Write("frame_assembler", "tcp_audio.bin", AssemblerSeed(1, Packets(audio)));
  Write("tcp_packets", "mpeg4_whole_packets.bin", TcpSeed(5, video));
  // The P-VOP's packets alone: a whole frame in reads of at most 7 bytes, and garbage between
  // its packets.
  Write("tcp_packets", "mpeg4_short_reads.bin", TcpSeed(2, predicted));
  std::vector<ByteVector> garbled = predicted;
  garbled.insert(garbled.begin() + 2, ByteVector{0x13, 0x37, 0x00, 0x00, 0x01});
  Write("tcp_packets", "mpeg4_garbage_between.bin", TcpSeed(4, garbled));
  Write("tcp_packets", "audio.bin", TcpSeed(6, Packets(audio)));

  // The frame information block and the motion report: frames as assembled.
  ByteVector jpegHead(jpeg[0].frame.begin(), jpeg[0].frame.begin() + 160);
  Write("frame_info_block", "jpeg_frame_head.bin", jpegHead);
  Write("frame_info_block", "mpeg4_frame_head.bin",
        ByteVector(clip704[0].frame.begin(), clip704[0].frame.begin() + 64));
  ByteVector motion = fakes::BuildFrame(fakes::kStreamIdJpeg, 9000, {}, 104, true);
  for (std::size_t row = 2; row < 5; ++row) {
    motion[32 + row * 4] = 0x1E;  // columns 3..6 of the row
    motion[32 + row * 4 + 1] = 0x00;
  }
  Write("motion_report", "jpeg_352_motion_cells.bin", [&] {
    ByteVector seed{0x00};
    Append(seed, motion);
    return seed;
  }());
  Write("motion_report", "jpeg_704_pal_no_block.bin", [&] {
    ByteVector seed{0x03};
    Append(seed, jpegHead);
    seed[1 + 20] = 0;
    return seed;
  }());

  // The compose step: frames as the receivers hand them over.
  Write("compose", "mpeg4_176x144_audio_record.bin",
        ComposeSeed(1 | 4, 176, 144,
                    {{false, &clip176[0].frame},
                     {false, &clip176[1].frame},
                     {true, &audio[0].frame},
                     {false, &clip176[2].frame},
                     {true, &audio[1].frame}}));
  Write("compose", "mpeg4_704x576.bin",
        ComposeSeed(1, 704, 576, {{false, &clip704[0].frame}, {false, &clip704[1].frame}}));
  // A key frame that fills a whole receive slot: its VOP followed by zero bytes (stuffing that
  // holds no start code), as large a frame as a receiver places.
  ByteVector stuffed = clip704[0].elementary;
  stuffed.resize(kReceiveSlotBytes - 32, 0);
  const ByteVector slotFull = fakes::BuildFrame(fakes::kStreamIdMpeg4, 0, stuffed, 32, false);
  Write("compose", "mpeg4_704x576_slot_full.bin",
        ComposeSeed(1, 704, 576, {{false, &slotFull}, {false, &clip704[1].frame}}));
  Write("compose", "jpeg_352x288_audio.bin",
        ComposeSeed(0, 352, 288,
                    {{false, &jpeg[0].frame}, {true, &audio[2].frame}, {false, &jpeg[1].frame}}));

  // The decoder context, opened at the sizes a login gives, under the forms of different
  // processor classes.
  Write("decoder_context", "d1_704x576.bin",
        ContextSeed(704, 576, 0x02, 0x0F, 0, 0, "sse2", clip704));
  Write("decoder_context", "cif_176x144_reset.bin",
        ContextSeed(176, 144, 0x05, 0x12, 176, 144, "generic", clip176));
  Write("decoder_context", "d1_720x576_refused_stream.bin",
        ContextSeed(720, 576, 0x00, 0x0F, 0, 0, "sse3", First(clip704, 1)));

  // Live audio: blocks as the compose thread decodes them and the play thread plays them, from
  // the start of the program (one block, then all three in turn).
  for (std::size_t count = 1; count <= audio.size(); count += audio.size() - 1) {
    ByteVector seed;
    seed.push_back(static_cast<std::uint8_t>(count));
    seed.push_back(static_cast<std::uint8_t>(count));
    PutU16(seed, audio[0].elementary.size() * 4);
    const std::uint8_t state[8] = {50, 0, 0, 0, 0, 0, 0, 0};
    seed.insert(seed.end(), std::begin(state), std::end(state));
    const std::uint8_t nibble[4] = {static_cast<std::uint8_t>(6 + count), 0, 0, 0};
    seed.insert(seed.end(), std::begin(nibble), std::end(nibble));
    for (std::size_t i = 0; i < count; ++i) {
      PutU16(seed, audio[i].elementary.size());
      Append(seed, audio[i].elementary);
    }
    Write("live_audio", "blocks_" + std::to_string(count) + ".bin", seed);
  }

  // The configuration records as the fake server serves them.
  const fakes::ConfigRecords sample = fakes::SampleConfig();
  const fakes::ConfigRecords offRow = fakes::OffRowConfig();
  Write("config_mirror", "sample_mpeg4.bin", ConfigSeed(4, sample));
  Write("config_mirror", "off_rows_jpeg.bin", ConfigSeed(0, offRow));
  for (const auto& [name, records, control] : {std::tuple{"sample_mpeg4_352.bin", &sample, 0},
                                               std::tuple{"sample_jpeg_704_pal.bin", &sample, 7},
                                               std::tuple{"off_rows_mpeg4_704.bin", &offRow, 2}}) {
    ByteVector seed{static_cast<std::uint8_t>(control)};
    Append(seed, records->at("PENTA"));
    Write("motion_record", name, seed);
  }

  // The settings file as the client writes it: the defaults, and a session's settings.
  CSettingINI defaults;
  Write("setting_ini", "defaults.ini", SettingsFile(defaults));
  CSettingINI session;
  session.m_strUserName = "operator";
  session.m_strServerAddress = "192.168.1.50";
  session.m_wWebPort = 8080;
  session.m_byAvSwitchOption = 3;
  session.m_byTransmissionType = 1;
  session.m_bySelectedChannel = 4;
  session.m_byChannel1Device = 3;
  session.m_strRecordPath = "/home/operator/Desktop";
  session.m_strSnapshotPath = "/home/operator/Pictures";
  session.m_strUpgradePath = "UnKnown";
  Write("setting_ini", "session.ini", SettingsFile(session));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds CORPUS_DIR\n");
    return 2;
  }
  g_root = argv[1];
  try {
    return WriteSeeds();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
    return 1;
  }
}
