// The folder browser's image strip: fifteen 17 x 16 images side by side on a white ground (the
// mask colour), drawn here: closed and open folder, the five drive kinds, and the network
// kinds (generic, domain, server, share, file, group, network, root).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ui {

inline constexpr int kFolderImageWidth = 17;
inline constexpr int kFolderImageHeight = 16;
inline constexpr int kFolderImageCount = 15;

// Image indices.
inline constexpr int kImageClosedFolder = 0;
inline constexpr int kImageOpenFolder = 1;
inline constexpr int kImageRemovableDrive = 2;
inline constexpr int kImageFixedDrive = 3;
inline constexpr int kImageRemoteDrive = 4;
inline constexpr int kImageCdRom = 5;
inline constexpr int kImageRamDisk = 6;
inline constexpr int kImageNetwork = 7;  // + a network resource's display type
inline constexpr int kImageDomain = 8;
inline constexpr int kImageServer = 9;

// The whole strip, 255 x 16.
QPixmap FolderImageStrip();
// Image index of the strip with its white ground transparent; a null icon outside 0..14.
QIcon FolderImage(int index);

}  // namespace ui
