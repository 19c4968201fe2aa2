#include "set_check.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "install/checksum.h"
#include "install/file_list.h"
#include "lz/szdd.h"
#include "setup/description.h"
#include "text/text.h"

namespace fs = std::filesystem;

namespace mkdisks {
namespace {

constexpr std::size_t kReadLimit = 79;  // characters setup's reader takes at a time, line feed included

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::uint64_t OnDisk(std::uint64_t size, std::uint64_t cluster) {
  return cluster == 0 ? size : (size + cluster - 1) / cluster * cluster;
}

std::string WithoutLineEnd(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// The files of a disk folder by upper-case name (a FAT disk and setup both
// compare names without regard to case).
std::map<std::string, fs::path> FilesOf(const std::string& folder) {
  std::map<std::string, fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    if (e.is_regular_file()) files[text::ToUpperAscii(e.path().filename().string())] = e.path();
  }
  return files;
}

// The data setup writes for a file: expanded when it is compressed.
// *cut is set when the compressed data end before the header's length.
std::string ExpandedData(const std::string& stored, bool* cut) {
  szdd::Expander expander(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
  std::string out;
  std::uint8_t block[5120];
  for (int got; (got = expander.Read(block, sizeof block)) > 0;) out.append(reinterpret_cast<char*>(block), got);
  *cut = expander.Truncated();
  return out;
}

struct ListedFile {
  std::string line;
  std::string name;
  int disk = 0;
};

}  // namespace

std::vector<std::string> CheckSetupDatText(const std::string& raw) {
  std::vector<std::string> problems;
  // Line by line as written: a line longer than one read of the reader is
  // taken as two, and its rest is no longer what the list says.
  std::size_t begin = 0;
  for (int number = 1; begin < raw.size(); ++number) {
    std::size_t end = raw.find('\n', begin);
    end = end == std::string::npos ? raw.size() : end + 1;
    std::string line = raw.substr(begin, end - begin);
    // Text-mode reading drops the CR of CR LF.
    std::size_t length = line.size();
    if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') --length;
    if (length > kReadLimit) {
      problems.push_back("SETUP.DAT line " + std::to_string(number) + " has " + std::to_string(length) +
                         " characters with its line end; setup reads at most " + std::to_string(kReadLimit) +
                         " at a time: " + WithoutLineEnd(line));
    }
    begin = end;
  }
  const setup::DescriptionContent content = setup::ParseSetupDat(raw);
  std::size_t listLines = 0;
  bool listPhase = false;
  for (std::size_t at = 0; at < raw.size();) {
    std::size_t end = raw.find('\n', at);
    end = end == std::string::npos ? raw.size() : end + 1;
    const std::string line = raw.substr(at, end - at);
    if (text::Contains(line, "[Filelist]")) {
      listPhase = true;
    } else if (listPhase && text::Contains(line, "/D")) {
      ++listLines;
    }
    at = end;
  }
  if (listLines > setup::kMaxFileListLines) {
    problems.push_back("SETUP.DAT lists " + std::to_string(listLines) + " files; setup keeps at most " +
                       std::to_string(setup::kMaxFileListLines) + " file-list lines");
  }
  struct Key {
    const char* name;
    const std::string& value;
    std::size_t capacity;
  };
  const setup::DescriptionValues& v = content.values;
  const Key keys[] = {{"mct", v.mct, setup::kShortValueCapacity}, {"fct", v.fct, setup::kShortValueCapacity},
                      {"lng", v.lng, setup::kShortValueCapacity}, {"prd", v.prd, setup::kProductCapacity},
                      {"aux", v.aux, setup::kShortValueCapacity}, {"ver", v.ver, setup::kLongValueCapacity},
                      {"plt", v.plt, setup::kLongValueCapacity},  {"ifc", v.ifc, setup::kLongValueCapacity}};
  for (const Key& k : keys) {
    if (k.value.size() > k.capacity - 1) {
      problems.push_back(std::string("SETUP.DAT: ") + k.name + " has " + std::to_string(k.value.size()) +
                         " characters; setup takes at most " + std::to_string(k.capacity - 1) + ": " + k.value);
    }
  }
  if (content.result != setup::kDescriptionRead && problems.empty()) {
    problems.push_back("SETUP.DAT: a key is missing (mct, fct, lng, prd, aux, ver, plt, ifc are all needed)");
  }
  for (const std::string& line : content.fileList) {
    const std::string reason = install::CheckFileListLine(install::ParseFileListLine(line));
    if (!reason.empty()) problems.push_back("SETUP.DAT: " + reason + ": " + WithoutLineEnd(line));
  }
  return problems;
}

std::vector<std::string> CheckDiskSet(const std::vector<DiskFiles>& disks) {
  std::vector<std::string> problems;
  if (disks.empty() || disks[0].folder.empty()) return {"disk 1 is missing"};
  auto disk1 = FilesOf(disks[0].folder);
  const std::string& d1 = disks[0].where;
  if (!disk1.count("SETUP.EXE")) problems.push_back(d1 + ": SETUP.EXE is not on disk 1");
  if (!disk1.count("SETUP.DAT")) {
    problems.push_back(d1 + ": SETUP.DAT is not on disk 1");
    return problems;
  }
  const std::string dat = ReadAll(disk1["SETUP.DAT"]);
  for (const std::string& p : CheckSetupDatText(dat)) problems.push_back(d1 + ": " + p);
  const setup::DescriptionContent content = setup::ParseSetupDat(dat);

  const int diskCount = install::DecimalValue(content.values.mct);
  if (diskCount < install::kLowestDisk || diskCount > install::kHighestDisk) {
    problems.push_back(d1 + ": SETUP.DAT: mct is " + content.values.mct + "; setup reads disks 1 to 9");
    return problems;
  }
  for (int n = 1; n <= diskCount; ++n) {
    if (static_cast<int>(disks.size()) < n || disks[n - 1].folder.empty()) {
      problems.push_back("disk " + std::to_string(n) + " is missing (SETUP.DAT says mct=" + content.values.mct + ")");
    }
  }

  // Which disk each line names: the number after "/D".
  std::map<int, std::vector<ListedFile>> perDisk;
  int counted = 0;
  for (const std::string& line : content.fileList) {
    ListedFile f;
    f.line = WithoutLineEnd(line);
    f.name = install::ParseFileListLine(line).name;
    f.disk = install::DecimalValue(install::OptionValue(line, "/D"));
    if (f.disk < 1 || f.disk > diskCount) {
      problems.push_back(d1 + ": SETUP.DAT names disk " + std::to_string(f.disk) + " of " +
                         std::to_string(diskCount) + ": " + f.line);
      continue;
    }
    if (!text::Contains(f.name, "DISK.00")) ++counted;
    perDisk[f.disk].push_back(f);
  }
  if (install::DecimalValue(content.values.fct) != counted) {
    problems.push_back(d1 + ": SETUP.DAT: fct is " + content.values.fct + " but the list holds " +
                       std::to_string(counted) + " files besides the DISK.00n files");
  }

  for (int n = 1; n <= diskCount && n <= static_cast<int>(disks.size()); ++n) {
    const DiskFiles& disk = disks[n - 1];
    if (disk.folder.empty()) continue;
    auto files = FilesOf(disk.folder);
    const std::string id = "DISK.00" + std::to_string(n);
    if (!files.count(id)) problems.push_back(disk.where + ": " + id + " is not on the disk");
    int taken = 0;
    for (const ListedFile& f : perDisk[n]) {
      auto it = files.find(text::ToUpperAscii(f.name));
      if (it == files.end()) {
        problems.push_back(disk.where + ": " + f.name + " is listed for disk " + std::to_string(n) +
                           " but not on it");
        continue;
      }
      if (!text::Contains(f.name, "DISK.00")) ++taken;
      std::uint32_t recorded = 0;
      const bool checked = install::ReadChecksumField(f.line, &recorded) == install::ChecksumField::kValid;
      bool cut = false;
      const std::string data = ExpandedData(ReadAll(it->second), &cut);
      const std::uint32_t actual =
          install::Crc32Of(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
      if (cut) {
        problems.push_back(disk.where + ": " + f.name + " is cut short: it expands to " +
                           std::to_string(data.size()) + " bytes, fewer than its header says");
      } else if (checked && actual != recorded) {
        problems.push_back(disk.where + ": " + f.name + ": checksum " +
                           install::ChecksumOptionText(actual).substr(2) + ", SETUP.DAT says " +
                           install::ChecksumOptionText(recorded).substr(2));
      }
    }
    if (taken > install::kMaxDiskEntries) {
      problems.push_back(disk.where + ": " + std::to_string(taken) + " files on one disk; setup takes at most " +
                         std::to_string(install::kMaxDiskEntries));
    }
    std::uint64_t used = 0;
    for (const auto& [name, path] : files) used += OnDisk(fs::file_size(path), disk.clusterBytes);
    if (used > disk.diskBytes) {
      problems.push_back(disk.where + ": its files take " + std::to_string(used) + " bytes (clusters of " +
                         std::to_string(disk.clusterBytes) + "); the disk holds " +
                         std::to_string(disk.diskBytes));
    }
  }
  return problems;
}

}  // namespace mkdisks
