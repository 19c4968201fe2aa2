// FAT12 floppy images of a disk set, made and read with Debian's mtools
// (mformat, mcopy), and the geometry a FAT12 image's boot sector gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkdisks {

// The floppy format whose data area holds `diskSize` bytes: 1.44 MB,
// 1.2 MB or 720 KB ("1440", "1200", "720" as mformat's -f takes it); empty
// when the size is none of them.
std::string FloppyFormatFor(std::uint64_t diskSize);

// Everything mtools is given, so that the user's configuration does not
// change an image: a private configuration file (MTOOLSRC) and the same
// settings in the environment, the clock (SOURCE_DATE_EPOCH) and UTC as the
// time zone the FAT times are written in. `scratch` is a folder for the
// private configuration file.
void PrepareMtools(const std::string& scratch, long long buildTime);

// Writes `image`: a fresh FAT12 file system of `format` with the volume
// label and serial number, holding `files` (host paths, copied under their
// names with their modification times). Returns an empty text, or what
// failed.
std::string MakeImage(const std::string& image, const std::string& format, const std::string& label,
                      std::uint32_t serial, const std::vector<std::string>& files);

// Copies every file of the image's root directory into `folder`. Returns
// an empty text, or what failed.
std::string ExtractImage(const std::string& image, const std::string& folder);

// The data area and cluster size of a FAT image, from its boot sector.
struct ImageGeometry {
  std::uint64_t dataBytes = 0;
  std::uint64_t clusterBytes = 0;
};
// False when the file does not start with a usable boot sector.
bool ReadImageGeometry(const std::string& image, ImageGeometry* out);

}  // namespace mkdisks
