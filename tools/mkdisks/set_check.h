// mkdisks --check: what setup needs of a disk set, checked on the disk
// folders (DIR/disk1, ...) or the images (DIR/disk1.img, ...) before the
// set leaves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkdisks {

// One disk as it lies in a folder: its files' names and sizes.
struct DiskFiles {
  std::string where;   // "disk2" or "disk2.img", for the messages
  std::string folder;  // where its files can be read
  std::uint64_t diskBytes = 0;
  std::uint64_t clusterBytes = 0;
};

// The problems of the set whose disks are `disks` (disk 1 first; an empty
// `folder` marks a disk that is not there), one clear line each; none when
// setup can install the set as it stands.
std::vector<std::string> CheckDiskSet(const std::vector<DiskFiles>& disks);

// The problems of a SETUP.DAT's text against what setup's reader takes:
// line lengths, keys, field lengths, the number of list lines, each line's
// fields. Also used on the SETUP.DAT mkdisks writes.
std::vector<std::string> CheckSetupDatText(const std::string& text);

}  // namespace mkdisks
