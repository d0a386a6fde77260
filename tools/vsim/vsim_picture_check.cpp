// vsim_picture_check CLIP.m4v CLIP.source PICTURE.bmp...
//
// Tells, for each picture (a snapshot the client took of the live clip), which frame of the clip
// it shows and how close it is: its PSNR against the source frame the clip was encoded from and
// against ffmpeg's decode of that frame's I-VOP + P-VOP pair, in the decoder's picture layout.
// The frame is the one whose source frame the picture is closest to. Exit status 0 when every
// picture is at least 40 dB from the pair decode and 35 dB from the source frame, 1 when one is
// not, 2 when the files cannot be read or ffmpeg fails.
#include <cstdio>
#include <string>
#include <vector>

#include "fakes/clip_pictures.h"
#include "fakes/stream_packets.h"

namespace {

constexpr double kLeastPairPsnr = 40.0;
constexpr double kLeastSourcePsnr = 35.0;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: vsim_picture_check CLIP.m4v CLIP.source PICTURE.bmp...\n");
    return 2;
  }
  const auto source = fakes::ReadClipSource(argv[2]);
  if (!source) {
    std::fprintf(stderr, "vsim_picture_check: %s is not a clip's source list\n", argv[2]);
    return 2;
  }
  const auto clip = fakes::Mpeg4Clip(fakes::ReadFile(argv[1]));
  const auto sourcePictures = fakes::SourcePictures(*source);
  const auto pairPictures = fakes::PairDecodePictures(clip, source->width, source->height);
  if (clip.size() != source->vops.size() || sourcePictures.size() != clip.size() ||
      pairPictures.size() != clip.size()) {
    std::fprintf(stderr,
                 "vsim_picture_check: %zu frames in %s, %zu in its source list, %zu source "
                 "frames and %zu pair decodes from ffmpeg\n",
                 clip.size(), argv[1], source->vops.size(), sourcePictures.size(),
                 pairPictures.size());
    return 2;
  }
  int status = 0;
  for (int a = 3; a < argc; ++a) {
    int width = 0;
    int height = 0;
    const auto picture = fakes::ReadBmpPicture(argv[a], &width, &height);
    if (!picture || width != source->width || height != source->height) {
      std::fprintf(stderr, "vsim_picture_check: %s is not a %dx%d 24-bit BMP\n", argv[a],
                   source->width, source->height);
      return 2;
    }
    std::size_t frame = 0;
    double best = -1;
    for (std::size_t i = 0; i < sourcePictures.size(); ++i) {
      const double psnr = fakes::PicturePsnr(*picture, sourcePictures[i]);
      if (psnr > best) {
        best = psnr;
        frame = i;
      }
    }
    const double pair = fakes::PicturePsnr(*picture, pairPictures[frame]);
    const bool clean = best >= kLeastSourcePsnr && pair >= kLeastPairPsnr;
    std::printf(
        "%s: frame %zu (%s), %.2f dB against its source frame, %.2f dB against ffmpeg's "
        "decode of its I-VOP + P-VOP pair: %s\n",
        argv[a], frame, clip[frame].key ? "I-VOP" : "P-VOP", best, pair,
        clean ? "clean" : "NOT the picture it must be");
    if (!clean)
      status = 1;
  }
  return status;
}
