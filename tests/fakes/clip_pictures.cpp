#include "fakes/clip_pictures.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/mp4dec/output.h"

extern char** environ;

namespace fakes {
namespace {

// A file name of its own in the temporary folder, removed when the holder goes.
class TempFile {
 public:
  explicit TempFile(const std::string& tag) {
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("kavelin_clip_" + std::to_string(::getpid()) + "_" +
              std::to_string(counter.fetch_add(1)) + "_" + tag);
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  std::string Path() const { return m_path.string(); }

 private:
  std::filesystem::path m_path;
};

// Runs ffmpeg with these arguments (no shell), printing messages of at least `level`; true when
// it ended with status 0.
bool RunFfmpeg(std::vector<std::string> arguments, const char* level = "error") {
  arguments.insert(arguments.begin(), {"ffmpeg", "-nostdin", "-loglevel", level, "-y"});
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR)
      return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Planar yuv420p of width x height (even sizes) into the picture mode 1 gives.
Picture ToPicture(const std::uint8_t* yuv, int width, int height) {
  const std::size_t luma = static_cast<std::size_t>(width) * height;
  Picture picture(luma * 3);
  std::vector<std::uint8_t> scratch(luma);
  Mp4DecYuvToBgrPrim(yuv, width, yuv + luma, yuv + luma + luma / 4, width / 2, picture.data(),
                     width, height, width, scratch.data());
  return picture;
}

std::vector<Picture> SplitYuv(const std::vector<std::uint8_t>& yuv, int width, int height) {
  const std::size_t frameBytes = static_cast<std::size_t>(width) * height * 3 / 2;
  std::vector<Picture> pictures;
  for (std::size_t at = 0; frameBytes > 0 && at + frameBytes <= yuv.size(); at += frameBytes)
    pictures.push_back(ToPicture(yuv.data() + at, width, height));
  return pictures;
}

// ffmpeg's yuv420p decode of an elementary stream, frame by frame as the VOPs come.
std::vector<Picture> Decode(std::span<const std::uint8_t> m4v, int width, int height) {
  const TempFile in("in.m4v");
  const TempFile out("out.yuv");
  WriteFile(in.Path(), m4v);
  // The raw muxer's complaints about the repeated time stamps of a pair's VOPs are not shown.
  if (!RunFfmpeg({"-flags", "+bitexact", "-idct", "simple", "-f", "m4v", "-i", in.Path(),
                  "-fps_mode", "passthrough", "-f", "rawvideo", "-pix_fmt", "yuv420p", out.Path()},
                 "fatal")) {
    return {};
  }
  return SplitYuv(ReadFile(out.Path().c_str()), width, height);
}

}  // namespace

std::optional<ClipSource> ReadClipSource(const std::string& path) {
  std::ifstream file(path);
  if (!file)
    return std::nullopt;
  ClipSource source;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "graph") {
      std::getline(words >> std::ws, source.graph);
    } else if (key == "size") {
      char x = 0;
      if (!(words >> source.width >> x >> source.height) || x != 'x')
        return std::nullopt;
    } else if (key == "vop") {
      ClipSource::Vop vop;
      if (!(words >> vop.frame >> vop.left) || vop.frame < 0 || vop.left < 0 || vop.left % 2)
        return std::nullopt;
      source.vops.push_back(vop);
    } else if (!key.empty() && key[0] != '#') {
      return std::nullopt;
    }
  }
  const bool evenSize =
      source.width > 0 && source.height > 0 && source.width % 2 == 0 && source.height % 2 == 0;
  if (source.graph.empty() || !evenSize || source.vops.empty())
    return std::nullopt;
  return source;
}

std::vector<Picture> SourcePictures(const ClipSource& source) {
  // The scene frames once, as wide as the window's furthest position needs.
  int frames = 0;
  int right = 0;
  for (const ClipSource::Vop& vop : source.vops) {
    frames = std::max(frames, vop.frame + 1);
    right = std::max(right, vop.left + source.width);
  }
  const TempFile out("scene.yuv");
  if (!RunFfmpeg({"-f", "lavfi", "-i", source.graph, "-frames:v", std::to_string(frames), "-f",
                  "rawvideo", "-pix_fmt", "yuv420p", out.Path()})) {
    return {};
  }
  const std::vector<std::uint8_t> scene = ReadFile(out.Path().c_str());
  const std::size_t sceneHeight = static_cast<std::size_t>(source.height);
  if (frames == 0 || scene.size() % frames != 0)
    return {};
  // The scene's width follows from the frame size: width x height x 3 / 2 bytes.
  const std::size_t sceneWidth = scene.size() / frames * 2 / 3 / sceneHeight;
  if (sceneWidth < static_cast<std::size_t>(right) || sceneWidth % 2 != 0 ||
      sceneWidth * sceneHeight * 3 / 2 * frames != scene.size()) {
    return {};
  }
  const std::size_t w = static_cast<std::size_t>(source.width);
  const std::size_t sceneLuma = sceneWidth * sceneHeight;
  std::vector<Picture> pictures;
  std::vector<std::uint8_t> yuv(w * sceneHeight * 3 / 2);
  for (const ClipSource::Vop& vop : source.vops) {
    // The window's planes, cut from the scene frame's.
    const std::uint8_t* frame =
        scene.data() + static_cast<std::size_t>(vop.frame) * sceneLuma * 3 / 2;
    std::uint8_t* to = yuv.data();
    const auto cut = [&](const std::uint8_t* plane, std::size_t stride, std::size_t left,
                         std::size_t width, std::size_t rows) {
      for (std::size_t r = 0; r < rows; ++r, to += width)
        std::copy_n(plane + r * stride + left, width, to);
    };
    const std::size_t left = static_cast<std::size_t>(vop.left);
    cut(frame, sceneWidth, left, w, sceneHeight);
    cut(frame + sceneLuma, sceneWidth / 2, left / 2, w / 2, sceneHeight / 2);
    cut(frame + sceneLuma + sceneLuma / 4, sceneWidth / 2, left / 2, w / 2, sceneHeight / 2);
    pictures.push_back(ToPicture(yuv.data(), source.width, source.height));
  }
  return pictures;
}

std::vector<Picture> PairDecodePictures(const std::vector<ClipFrame>& clip, int width, int height) {
  if (clip.empty() || !clip.front().key)
    return {};
  // One stream for ffmpeg: each I-VOP once, each P-VOP behind a copy of its I-VOP, so that
  // ffmpeg's ordinary prediction from the VOP before is the prediction from the I-VOP.
  ByteVector stream;
  std::vector<bool> keep;  // per decoded picture: false for the I-VOP copy in front of a P-VOP
  const ClipFrame* intra = nullptr;
  for (const ClipFrame& frame : clip) {
    if (frame.key) {
      intra = &frame;
    } else {
      stream.insert(stream.end(), intra->elementary.begin(), intra->elementary.end());
      keep.push_back(false);
    }
    stream.insert(stream.end(), frame.elementary.begin(), frame.elementary.end());
    keep.push_back(true);
  }
  std::vector<Picture> decoded = Decode(stream, width, height);
  if (decoded.size() != keep.size())
    return {};
  std::vector<Picture> pictures;
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    if (keep[i])
      pictures.push_back(std::move(decoded[i]));
  }
  return pictures;
}

double PicturePsnr(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  if (a.size() != b.size() || a.empty())
    return 0;
  double squared = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int d = int{a[i]} - int{b[i]};
    squared += d * d;
  }
  return squared == 0 ? 99.0
                      : 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / squared);
}

std::optional<Picture> ReadBmpPicture(const std::string& path, int* width, int* height) {
  const ByteVector file = ReadFile(path.c_str());
  const auto u16 = [&](std::size_t at) { return file[at] | file[at + 1] << 8; };
  const auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(u16(at)) | static_cast<std::uint32_t>(u16(at + 2)) << 16;
  };
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M' || u16(28) != 24 || u32(30) != 0)
    return std::nullopt;
  const std::uint32_t offset = u32(10);
  const auto w = static_cast<std::int32_t>(u32(18));
  const auto h = static_cast<std::int32_t>(u32(22));
  if (w <= 0 || h <= 0 || w > 4096 || h > 4096)
    return std::nullopt;
  const std::size_t row = static_cast<std::size_t>(w) * 3;
  const std::size_t paddedRow = (row + 3) / 4 * 4;
  if (offset > file.size() || (file.size() - offset) / paddedRow < static_cast<std::size_t>(h))
    return std::nullopt;
  Picture picture;
  for (std::int32_t r = 0; r < h; ++r) {
    const auto* first = file.data() + offset + static_cast<std::size_t>(r) * paddedRow;
    picture.insert(picture.end(), first, first + row);
  }
  *width = w;
  *height = h;
  return picture;
}

}  // namespace fakes
