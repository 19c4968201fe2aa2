// mkdisks: builds the numbered distribution disks of a product from its
// product description (see docs/disk-sets.md for the format).
//
//   mkdisks [--setup-exe PATH] [--setup-room BYTES] [--out DIR] [--time SECS]
//           [--images] [--no-checksums] DESCRIPTION
//   mkdisks --check [--disk-size SIZE] [--cluster BYTES] DIR
//
// Writes DIR/disk1, DIR/disk2, ...: the files (compressed in the SZDD format
// where asked, named with the last character replaced by "_"), SETUP.EXE and
// SETUP.DAT on disk 1, and DISK.00n on each disk; each file's line records
// the CRC-32 of its expanded data ("/C"). A product that setup's reader
// would refuse is refused here, by setup's own limits. --images adds FAT12
// floppy images (disk_images.cpp); --check checks a built set
// (set_check.cpp). Every error is reported on stderr with the description's
// file name and line; nothing is written then.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "disk_images.h"
#include "install/checksum.h"
#include "install/file_list.h"
#include "lz/szdd.h"
#include "set_check.h"
#include "setup/state.h"
#include "text/text.h"

namespace fs = std::filesystem;

namespace {

// Setup's own limits, from its reader of SETUP.DAT and the file list.
constexpr int kMaxDisks = install::kHighestDisk;
constexpr int kMaxFilesPerDisk = install::kMaxDiskEntries;  // taken entries of one disk table
constexpr std::size_t kMaxLine = 78;   // without CR LF: 79 with the line feed
constexpr std::size_t kMaxSubDir = install::kSubDirMax;
constexpr std::uint64_t kDefaultDiskSize = 1457664;  // 1.44 MB floppy data area
constexpr std::uint64_t kDefaultCluster = 512;

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

bool Is83Char(char c) {
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::strchr("!#$%&'()-@^_`{}~", c) != nullptr && c != '\0';
}

// Empty when `name` is a valid upper-case 8.3 file name; else why not.
std::string Check83(const std::string& name) {
  if (name.empty()) return "the name is empty";
  if (name.size() > 12) return "the name is longer than 12 characters";
  const std::size_t dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8) return "the part before the dot must have 1 to 8 characters";
  if (dot != std::string::npos && (ext.empty() || ext.size() > 3))
    return "the part after the dot must have 1 to 3 characters";
  for (char c : base + ext) {
    if (!Is83Char(c)) return std::string("the character '") + c + "' is not allowed in an 8.3 name";
  }
  return "";
}

// ---------------------------------------------------------------- model

struct FileSpec {
  int line = 0;
  std::string hostPath;     // as resolved
  std::string name;         // name on the disk before compression
  bool compress = true;
  std::string installName;  // /R
  std::string subDir;       // /X
  std::string platform;     // /P
  std::optional<long long> time;  // /T given in the description
};

struct Description {
  std::string path;
  std::map<std::string, std::string> keys;  // lng prd aux ver plt ifc
  std::uint64_t diskSize = kDefaultDiskSize;
  std::uint64_t cluster = kDefaultCluster;
  std::string setupExe;
  std::uint64_t setupRoom = 0;  // bytes kept for SETUP.EXE on disk 1; 0: its size
  std::string diskLabel;  // first line of each DISK.00n
  std::vector<FileSpec> files;
};

std::string Where(const Description& d, int line) {
  return d.path + ":" + std::to_string(line) + ": ";
}

std::uint64_t ParseSize(const std::string& v, const std::string& where) {
  if (v == "1.44M" || v == "1.44m") return kDefaultDiskSize;
  if (v == "720K" || v == "720k") return 730112;
  if (v == "1.2M" || v == "1.2m") return 1213952;
  char* end = nullptr;
  errno = 0;
  const unsigned long long n = std::strtoull(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || errno != 0 || n == 0)
    Fail(where + "a size must be a positive number of bytes (or 1.44M, 1.2M, 720K): " + v);
  return n;
}

Description ReadDescription(const std::string& path) {
  Description d;
  d.path = path;
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot open the product description " + path);
  const fs::path baseDir = fs::path(path).parent_path();
  std::string raw;
  int lineNo = 0;
  bool inFiles = false;
  static const std::set<std::string> kKeys = {"lng", "prd", "aux", "ver", "plt", "ifc"};
  // The field capacities of setup's reader, terminator not counted.
  static const std::map<std::string, std::size_t> kKeyMax = {
      {"lng", setup::kShortValueCapacity - 1}, {"aux", setup::kShortValueCapacity - 1},
      {"prd", setup::kProductCapacity - 1},    {"ver", setup::kLongValueCapacity - 1},
      {"plt", setup::kLongValueCapacity - 1},  {"ifc", setup::kLongValueCapacity - 1}};
  while (std::getline(in, raw)) {
    ++lineNo;
    const std::string line = text::Trim(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const std::string where = Where(d, lineNo);
    if (line == "[files]") {
      inFiles = true;
      continue;
    }
    if (!inFiles) {
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) Fail(where + "expected key = value or [files]");
      const std::string key = text::Trim(line.substr(0, eq));
      const std::string value = text::Trim(line.substr(eq + 1));
      if (key == "mct" || key == "fct")
        Fail(where + key + " is computed by mkdisks; leave it out");
      if (kKeys.count(key)) {
        if (value.empty()) Fail(where + key + " needs a value");
        if (value.size() > kKeyMax.at(key))
          Fail(where + key + " may have at most " + std::to_string(kKeyMax.at(key)) +
               " characters: " + value);
        if (value.find_first_of(",\t") != std::string::npos)
          Fail(where + key + " must not hold commas or tabs");
        d.keys[key] = value;
      } else if (key == "disk-size") {
        d.diskSize = ParseSize(value, where);
      } else if (key == "cluster") {
        d.cluster = ParseSize(value, where);
      } else if (key == "setup-exe") {
        d.setupExe = (baseDir / value).string();
      } else if (key == "setup-room") {
        d.setupRoom = ParseSize(value, where);
      } else if (key == "label") {
        d.diskLabel = value;
      } else {
        Fail(where + "unknown key " + key);
      }
      continue;
    }
    // A file line: host path, then options.
    std::istringstream words(line);
    std::vector<std::string> tok;
    for (std::string w; words >> w;) tok.push_back(w);
    FileSpec f;
    f.line = lineNo;
    f.hostPath = (baseDir / tok[0]).string();
    f.name = text::ToUpperAscii(fs::path(tok[0]).filename().string());
    auto value = [&](std::size_t& i, const std::string& opt) -> std::string {
      if (tok[i].size() > opt.size()) return tok[i].substr(opt.size());
      if (i + 1 >= tok.size()) Fail(where + opt + " needs a value");
      return tok[++i];
    };
    for (std::size_t i = 1; i < tok.size(); ++i) {
      const std::string& t = tok[i];
      if (t == "compress") {
        f.compress = true;
      } else if (t == "plain") {
        f.compress = false;
      } else if (t.rfind("/R", 0) == 0) {
        f.installName = text::ToUpperAscii(value(i, "/R"));
      } else if (t.rfind("/X", 0) == 0) {
        f.subDir = value(i, "/X");
      } else if (t.rfind("/P", 0) == 0) {
        f.platform = text::ToUpperAscii(value(i, "/P"));
      } else if (t.rfind("/N", 0) == 0) {
        f.name = text::ToUpperAscii(value(i, "/N"));
      } else if (t.rfind("/T", 0) == 0) {
        const std::string v = value(i, "/T");
        char* end = nullptr;
        const long long n = std::strtoll(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0') Fail(where + "/T needs a number of seconds: " + v);
        f.time = n;
      } else {
        Fail(where + "unknown option " + t +
             " (compress, plain, /R name, /X dir, /P 95|NT, /N name, /T secs)");
      }
    }
    d.files.push_back(f);
  }
  for (const std::string& k : kKeys) {
    if (!d.keys.count(k)) Fail(path + ": the key " + k + " is missing");
  }
  if (d.cluster == 0 || d.cluster > d.diskSize) Fail(path + ": the cluster size must be below the disk size");
  return d;
}

// ---------------------------------------------------------------- files

struct Item {
  std::string listName;     // name in SETUP.DAT and on the disk
  std::string data;         // bytes as written to the disk
  std::string installName;  // /R value, empty when expansion gives it
  std::string subDir;
  std::string platform;
  long long time = 0;
  int disk = 0;
  bool taken = true;  // counts towards the disk table
  // The CRC-32 of the data setup writes (expanded), for the "/C" field.
  bool hasChecksum = false;
  std::uint32_t checksum = 0;
};

std::uint32_t ChecksumOf(const std::string& data) {
  return install::Crc32Of(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
}

std::string ReadFile(const std::string& path, const std::string& where) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(where + "cannot read " + path);
  std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) Fail(where + "cannot read " + path);
  return s;
}

long long ModTime(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  return static_cast<long long>(st.st_mtime);
}

std::uint64_t OnDisk(std::uint64_t size, std::uint64_t cluster) {
  return (size + cluster - 1) / cluster * cluster;
}

std::string CompressedName(const std::string& name) {
  // Only a name with an extension can carry the "_": GetExpandedNameA
  // changes nothing else.
  if (name.find('.') == std::string::npos) return name;
  std::string n = name;
  n.back() = '_';
  return n;
}

void CheckSubDir(const std::string& dir, const std::string& where) {
  if (dir.size() > kMaxSubDir)
    Fail(where + "the sub-directory has more than 63 characters: " + dir);
  if (dir.empty() || dir.front() == '\\' || dir.back() == '\\' ||
      dir.find("\\\\") != std::string::npos)
    Fail(where + "the sub-directory must be a relative path like HELP or HELP\\DE: " + dir);
  for (char c : dir) {
    if (static_cast<unsigned char>(c) < 32 || std::strchr(" ,/:*?\"<>|", c))
      Fail(where + std::string("the sub-directory must not hold '") + c + "': " + dir);
  }
  std::string rest = dir;
  for (std::size_t p = 0; p <= rest.size();) {
    const std::size_t q = std::min(rest.find('\\', p), rest.size());
    const std::string part = rest.substr(p, q - p);
    if (part == "." || part == "..") Fail(where + "the sub-directory must not use . or ..: " + dir);
    p = q + 1;
  }
}

std::string Line(const Item& it) {
  std::string s = it.listName + ",/D" + std::to_string(it.disk) + " /T" + std::to_string(it.time);
  if (!it.installName.empty()) s += " /R" + it.installName;
  if (!it.subDir.empty()) s += " /X" + it.subDir;
  if (!it.platform.empty()) s += " /P" + it.platform;
  if (it.hasChecksum) s += " " + install::ChecksumOptionText(it.checksum);
  return s;
}

void SetTime(const fs::path& p, long long secs) {
  struct timeval tv[2] = {};
  tv[0].tv_sec = tv[1].tv_sec = static_cast<time_t>(secs);
  ::utimes(p.c_str(), tv);
}

struct Options {
  bool checksums = true;  // --no-checksums: a set as made before they were recorded
  bool images = false;    // --images: diskN.img beside the folders
};

// The volume label of disk n: the product name in the characters a label
// may hold, and the disk number (at most 11 characters).
std::string VolumeLabel(const std::string& product, int disk) {
  std::string name;
  for (char c : text::ToUpperAscii(product)) {
    if (name.size() == 8) break;
    name.push_back((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ? c : '_');
  }
  return name + " " + std::to_string(disk);
}

// diskN.img for every disk: the files of the folder just written, with
// their times; the serial number from the product, version, disk and build
// time, so that the same build gives the same image.
void WriteImages(const Description& d, const std::string& outDir, int diskCount, long long buildTime) {
  const std::string format = mkdisks::FloppyFormatFor(d.diskSize);
  if (format.empty())
    Fail("--images needs the disk size of a floppy (1.44M, 1.2M or 720K), not " + std::to_string(d.diskSize));
  const fs::path scratch = fs::path(outDir) / ".mkdisks-mtools";
  fs::create_directories(scratch);
  mkdisks::PrepareMtools(scratch.string(), buildTime);
  for (int n = 1; n <= diskCount; ++n) {
    const fs::path folder = fs::path(outDir) / ("disk" + std::to_string(n));
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    const std::string seed = d.keys.at("prd") + "|" + d.keys.at("ver") + "|" + std::to_string(n) + "|" +
                             std::to_string(buildTime);
    const std::string image = (fs::path(outDir) / ("disk" + std::to_string(n) + ".img")).string();
    const std::string failure = mkdisks::MakeImage(image, format, VolumeLabel(d.keys.at("prd"), n),
                                                   ChecksumOf(seed), files);
    if (!failure.empty()) Fail(image + ": " + failure);
    std::printf("disk%d.img: %s KB floppy image\n", n, format.c_str());
  }
  fs::remove_all(scratch);
}

int Run(const std::string& descPath, std::string setupExe, const std::string& outDir,
        std::optional<long long> buildTime, std::optional<std::uint64_t> setupRoom, const Options& options) {
  Description d = ReadDescription(descPath);
  if (setupExe.empty()) setupExe = d.setupExe;
  if (setupRoom) d.setupRoom = *setupRoom;
  if (setupExe.empty()) Fail("no SETUP.EXE given: use --setup-exe or the key setup-exe");
  const long long now = buildTime ? *buildTime : static_cast<long long>(::time(nullptr));

  std::vector<Item> items;
  std::set<std::string> listNames = {"SETUP.EXE", "SETUP.DAT"};
  std::set<std::string> dirs;  // sub-directories created by earlier lines
  for (const FileSpec& f : d.files) {
    const std::string where = Where(d, f.line);
    if (std::string why = Check83(f.name); !why.empty())
      Fail(where + "the file name " + f.name + " cannot be used: " + why);
    if (f.name.find("DISK.00") != std::string::npos)
      Fail(where + "names holding DISK.00 are the disk identification files; mkdisks writes them");
    if (!f.installName.empty()) {
      if (std::string why = Check83(f.installName); !why.empty())
        Fail(where + "the install name " + f.installName + " cannot be used: " + why);
    }
    if (!f.platform.empty() && f.platform != "95" && f.platform != "NT")
      Fail(where + "/P must be 95 or NT: " + f.platform);
    if (!f.subDir.empty()) {
      CheckSubDir(f.subDir, where);
      const std::size_t slash = f.subDir.rfind('\\');
      if (slash != std::string::npos && !dirs.count(text::ToUpperAscii(f.subDir.substr(0, slash))))
        Fail(where + "the sub-directory " + f.subDir +
             " is created one level at a time: an earlier file must go to " +
             f.subDir.substr(0, slash));
      dirs.insert(text::ToUpperAscii(f.subDir));
    }
    Item it;
    const std::string raw = ReadFile(f.hostPath, where);
    if (f.compress) {
      it.listName = CompressedName(f.name);
      it.data = szdd::Compress(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size(),
                               f.name.back());
    } else {
      it.listName = f.name;
      it.data = raw;
    }
    it.hasChecksum = options.checksums;
    it.checksum = ChecksumOf(raw);
    if (!listNames.insert(it.listName).second)
      Fail(where + "the name " + it.listName + " is already used by another file of the set");
    // What GetExpandedNameA will give for the file on the disk.
    szdd::Header header;
    const bool packed = szdd::ParseHeader(reinterpret_cast<const std::uint8_t*>(it.data.data()),
                                          it.data.size(), &header);
    const std::string expanded = szdd::ExpandedName(it.listName, packed ? &header : nullptr);
    if (!packed && f.compress)
      Fail(where + "internal error: the compressed file has no header");
    if (!f.compress && szdd::ParseHeader(reinterpret_cast<const std::uint8_t*>(raw.data()),
                                         raw.size(), nullptr))
      std::fprintf(stderr, "%swarning: %s is already compressed; it is copied as it is\n",
                   where.c_str(), f.name.c_str());
    const std::string wanted = f.installName.empty() ? f.name : f.installName;
    it.installName = wanted == expanded ? "" : wanted;
    it.subDir = f.subDir;
    it.platform = f.platform;
    it.time = f.time ? *f.time : ModTime(f.hostPath);
    items.push_back(std::move(it));
  }

  const std::string exe = ReadFile(setupExe, "");
  // The room disk 1 keeps for SETUP.EXE: with a fixed room the placement
  // of every other file is the same whatever the program's size, as long
  // as it fits.
  std::uint64_t exeRoom = OnDisk(exe.size(), d.cluster);
  if (d.setupRoom) {
    if (exe.size() > d.setupRoom)
      Fail("SETUP.EXE (" + std::to_string(exe.size()) + " bytes) is larger than the room kept for it (setup-room " +
           std::to_string(d.setupRoom) + ")");
    exeRoom = OnDisk(d.setupRoom, d.cluster);
  }

  // SETUP.EXE, SETUP.DAT and DISK.001 lead disk 1; SETUP.DAT's size is
  // known only when the list is done, so the placement is repeated with
  // the room it needs until it fits.
  auto label = [&](int disk, int count) {
    const std::string title =
        d.diskLabel.empty() ? d.keys["prd"] + " " + d.keys["ver"] : d.diskLabel;
    return title + "\r\nDisk " + std::to_string(disk) + " of " + std::to_string(count) + "\r\n";
  };
  std::uint64_t datReserve = 4096;
  std::vector<Item> all;
  std::string dat;
  int diskCount = 0;
  for (int attempt = 0; attempt < 8; ++attempt) {
    all.clear();
    // Disk 1's fixed files.
    Item exeItem;
    exeItem.listName = "SETUP.EXE";
    exeItem.data = exe;
    exeItem.time = ModTime(setupExe);
    exeItem.disk = 1;
    exeItem.hasChecksum = options.checksums;
    exeItem.checksum = ChecksumOf(exe);
    Item datItem;
    datItem.listName = "SETUP.DAT";
    datItem.time = now;
    datItem.disk = 1;
    int disk = 1;
    const std::uint64_t labelRoom = OnDisk(64, d.cluster);
    std::uint64_t used = labelRoom + exeRoom + OnDisk(datReserve, d.cluster);
    if (used > d.diskSize) Fail("SETUP.EXE and SETUP.DAT alone do not fit on disk 1");
    int taken = 2;
    std::vector<Item> placed;
    for (Item it : items) {
      const std::uint64_t need = OnDisk(it.data.size(), d.cluster);
      if (need + labelRoom > d.diskSize)
        Fail(it.listName + " (" + std::to_string(it.data.size()) + " bytes) does not fit on a disk");
      if (used + need > d.diskSize || taken + 1 > kMaxFilesPerDisk) {
        ++disk;
        if (disk > kMaxDisks) Fail("the files need more than 9 disks");
        used = labelRoom;
        taken = 0;
      }
      it.disk = disk;
      used += need;
      ++taken;
      placed.push_back(std::move(it));
    }
    diskCount = disk;

    // The list: per disk its identification file first; on disk 1 then
    // SETUP.EXE (installed as UNINSTAL.EXE) and SETUP.DAT.
    std::vector<Item> ordered;
    for (int n = 1; n <= diskCount; ++n) {
      Item id;
      id.listName = "DISK.00" + std::to_string(n);
      id.data = label(n, diskCount);
      id.time = now;
      id.disk = n;
      id.taken = false;
      ordered.push_back(id);
      if (n == 1) {
        ordered.push_back(exeItem);
        ordered.push_back(datItem);
      }
      for (const Item& it : placed)
        if (it.disk == n) ordered.push_back(it);
    }
    int fileCount = 0;
    std::string list;
    if (ordered.size() > setup::kMaxFileListLines)
      Fail("the file list would have " + std::to_string(ordered.size()) + " lines (" +
           std::to_string(ordered.size() - static_cast<std::size_t>(diskCount) - 2) + " files, " +
           std::to_string(diskCount) + " DISK.00n, SETUP.EXE and SETUP.DAT); setup keeps at most " +
           std::to_string(setup::kMaxFileListLines));
    for (const Item& it : ordered) {
      const std::string l = Line(it);
      if (l.size() > kMaxLine)
        Fail("the file-list line \"" + l + "\" has " + std::to_string(l.size()) +
             " characters; at most " + std::to_string(kMaxLine) + " fit" +
             (it.hasChecksum ? " (its checksum takes " + std::to_string(install::kChecksumFieldLength) +
                                   "; a shorter /X, or --no-checksums)"
                             : ""));
      list += l + "\r\n";
      if (it.taken) ++fileCount;
    }
    if (fileCount > 999) Fail("more than 999 files");
    dat = "[Setup]\r\n";
    dat += "mct=" + std::to_string(diskCount) + "\r\n";
    dat += "fct=" + std::to_string(fileCount) + "\r\n";
    for (const char* k : {"lng", "prd", "aux", "ver", "plt", "ifc"}) dat += std::string(k) + "=" + d.keys[k] + "\r\n";
    dat += "\r\n[Filelist]\r\n" + list;
    if (dat.size() > setup::kMaxFileListLines * 80) Fail("the file list is too long");
    if (OnDisk(dat.size(), d.cluster) <= OnDisk(datReserve, d.cluster)) {
      for (Item& it : ordered)
        if (it.listName == "SETUP.DAT") it.data = dat;
      all = std::move(ordered);
      break;
    }
    datReserve = dat.size();
  }
  if (all.empty()) Fail("internal error: SETUP.DAT does not settle");
  // Last, setup's own reader on what is about to be written: anything it
  // would refuse stops the build.
  if (const auto problems = mkdisks::CheckSetupDatText(dat); !problems.empty()) Fail(problems.front());

  // Write.
  fs::create_directories(outDir);
  for (int n = 1; n <= diskCount; ++n) {
    const fs::path dir = fs::path(outDir) / ("disk" + std::to_string(n));
    if (fs::exists(dir) && !fs::is_empty(dir)) Fail(dir.string() + " exists and is not empty");
  }
  for (int n = 1; n <= diskCount; ++n) fs::create_directories(fs::path(outDir) / ("disk" + std::to_string(n)));
  std::map<int, std::pair<int, std::uint64_t>> perDisk;
  for (const Item& it : all) {
    const fs::path p = fs::path(outDir) / ("disk" + std::to_string(it.disk)) / it.listName;
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(it.data.data(), static_cast<std::streamsize>(it.data.size()));
    out.close();
    if (!out) Fail("cannot write " + p.string());
    SetTime(p, it.time);
    perDisk[it.disk].first++;
    perDisk[it.disk].second += OnDisk(it.data.size(), d.cluster);
  }
  for (const auto& [n, v] : perDisk) {
    std::printf("disk%d: %d files, %llu of %llu bytes\n", n, v.first,
                static_cast<unsigned long long>(v.second), static_cast<unsigned long long>(d.diskSize));
  }
  if (options.images) WriteImages(d, outDir, diskCount, now);
  return 0;
}

// mkdisks --check DIR: the folders DIR/diskN and the images DIR/diskN.img
// that are there, each set checked on its own.
int CheckMode(const std::string& dir, std::uint64_t diskSize, std::uint64_t cluster) {
  std::vector<mkdisks::DiskFiles> folders, images;
  const fs::path scratch = fs::temp_directory_path() / ("mkdisks-check-" + std::to_string(::getpid()));
  std::vector<std::string> problems;
  bool prepared = false;
  for (int n = 1; n <= kMaxDisks; ++n) {
    const fs::path folder = fs::path(dir) / ("disk" + std::to_string(n));
    mkdisks::DiskFiles f;
    f.where = "disk" + std::to_string(n);
    if (fs::is_directory(folder)) f.folder = folder.string();
    f.diskBytes = diskSize;
    f.clusterBytes = cluster;
    folders.push_back(f);

    const fs::path image = fs::path(dir) / ("disk" + std::to_string(n) + ".img");
    mkdisks::DiskFiles i;
    i.where = "disk" + std::to_string(n) + ".img";
    if (fs::is_regular_file(image)) {
      if (!prepared) {
        fs::create_directories(scratch);
        mkdisks::PrepareMtools(scratch.string(), 0);
        prepared = true;
      }
      mkdisks::ImageGeometry geometry;
      const fs::path out = scratch / i.where;
      fs::create_directories(out);
      if (!mkdisks::ReadImageGeometry(image.string(), &geometry)) {
        problems.push_back(i.where + ": not a FAT image");
      } else if (const std::string failure = mkdisks::ExtractImage(image.string(), out.string()); !failure.empty()) {
        problems.push_back(i.where + ": cannot be read: " + failure);
      } else {
        i.folder = out.string();
        i.diskBytes = geometry.dataBytes;
        i.clusterBytes = geometry.clusterBytes;
      }
    }
    images.push_back(i);
  }
  auto trim = [](std::vector<mkdisks::DiskFiles>& set) {
    while (!set.empty() && set.back().folder.empty()) set.pop_back();
  };
  trim(folders);
  trim(images);
  if (folders.empty() && images.empty()) {
    problems.push_back(dir + ": no disk1 folder and no disk1.img");
  }
  int sets = 0;
  for (auto* set : {&folders, &images}) {
    if (set->empty()) continue;
    ++sets;
    for (const std::string& p : mkdisks::CheckDiskSet(*set)) problems.push_back(p);
  }
  if (prepared) fs::remove_all(scratch);
  for (const std::string& p : problems) std::printf("%s\n", p.c_str());
  if (!problems.empty()) {
    std::fprintf(stderr, "mkdisks: check: %zu problem%s in %s\n", problems.size(), problems.size() == 1 ? "" : "s",
                 dir.c_str());
    return 1;
  }
  std::printf("%s: %s%s%s: every listed file on its disk, every checksum right\n", dir.c_str(),
              folders.empty() ? "" : (std::to_string(folders.size()) + " disk folders").c_str(),
              sets == 2 ? " and " : "", images.empty() ? "" : (std::to_string(images.size()) + " images").c_str());
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: mkdisks [--setup-exe PATH] [--setup-room BYTES] [--out DIR] [--time SECS]\n"
               "               [--images] [--no-checksums] DESCRIPTION\n"
               "       mkdisks --check [--disk-size SIZE] [--cluster BYTES] DIR\n"
               "  --setup-room BYTES  room disk 1 keeps for SETUP.EXE (default: its size)\n"
               "  --out DIR      where disk1/, disk2/ ... are written (default: disks)\n"
               "  --time SECS    time stamp of SETUP.DAT and the DISK.00n files\n"
               "                 (default: SOURCE_DATE_EPOCH, else now)\n"
               "  --images       also write disk1.img, disk2.img ...: FAT12 floppy images\n"
               "  --no-checksums leave out each file's checksum (/C) in the file list\n"
               "  --check DIR    check the set in DIR (folders diskN, images diskN.img);\n"
               "                 --disk-size and --cluster for the folders (default 1.44M, 512)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string setupExe;
  std::string outDir = "disks";
  std::string desc;
  std::optional<long long> buildTime;
  std::optional<std::string> setupRoom;
  bool check = false;
  std::string diskSize = "1.44M", cluster = "512";
  Options options;
  if (const char* sde = std::getenv("SOURCE_DATE_EPOCH")) buildTime = std::atoll(sde);
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--setup-exe" && i + 1 < argc) {
      setupExe = argv[++i];
    } else if (a == "--setup-room" && i + 1 < argc) {
      setupRoom = argv[++i];
    } else if (a == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (a == "--time" && i + 1 < argc) {
      buildTime = std::atoll(argv[++i]);
    } else if (a == "--images") {
      options.images = true;
    } else if (a == "--no-checksums") {
      options.checksums = false;
    } else if (a == "--check") {
      check = true;
    } else if (a == "--disk-size" && i + 1 < argc) {
      diskSize = argv[++i];
    } else if (a == "--cluster" && i + 1 < argc) {
      cluster = argv[++i];
    } else if (a.rfind("--", 0) == 0 || !desc.empty()) {
      return Usage();
    } else {
      desc = a;
    }
  }
  try {
    if (desc.empty()) return Usage();
    // With --check the one argument is the folder of the set.
    if (check) return CheckMode(desc, ParseSize(diskSize, "--disk-size: "), ParseSize(cluster, "--cluster: "));
    std::optional<std::uint64_t> room;
    if (setupRoom) room = ParseSize(*setupRoom, "--setup-room: ");
    return Run(desc, setupExe, outDir, buildTime, room, options);
  } catch (const Failure& f) {
    std::fprintf(stderr, "mkdisks: %s\n", f.message.c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mkdisks: %s\n", e.what());
    return 1;
  }
}
