#include "disk_images.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace mkdisks {
namespace {

// Runs a program with its arguments (no shell) and waits for it; its
// standard output goes to /dev/null, its errors stay on stderr. True on
// exit 0; otherwise *failure says what ran.
bool RunProgram(const std::vector<std::string>& args, std::string* failure) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  std::string command;
  for (const std::string& a : args) command += (command.empty() ? "" : " ") + a;
  if (spawned != 0) {
    *failure = "cannot run " + args[0] + " (install mtools): " + command;
    return false;
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    *failure = "failed: " + command;
    return false;
  }
  return true;
}

std::uint32_t Le16(const unsigned char* p) { return p[0] | p[1] << 8; }
std::uint32_t Le32(const unsigned char* p) { return Le16(p) | Le16(p + 2) << 16; }

}  // namespace

std::string FloppyFormatFor(std::uint64_t diskSize) {
  if (diskSize == 1457664) return "1440";
  if (diskSize == 1213952) return "1200";
  if (diskSize == 730112) return "720";
  return "";
}

void PrepareMtools(const std::string& scratch, long long buildTime) {
  // The settings that change what is written: no long-name entries, names
  // as given, no geometry checks against a drive.
  static const char* const kSettings[][2] = {
      {"MTOOLS_NO_VFAT", "1"},        {"MTOOLS_LOWER_CASE", "0"},   {"MTOOLS_SKIP_CHECK", "1"},
      {"MTOOLS_NAME_NUMERIC_TAIL", "1"}, {"MTOOLS_FAT_COMPATIBILITY", "0"},
  };
  const std::string rc = scratch + "/mtoolsrc";
  std::ofstream out(rc, std::ios::trunc);
  out << "# written by mkdisks for its own use of mtools\n";
  for (const auto& s : kSettings) {
    out << s[0] << "=" << s[1] << "\n";
    setenv(s[0], s[1], 1);
  }
  setenv("MTOOLSRC", rc.c_str(), 1);
  setenv("TZ", "UTC", 1);
  setenv("SOURCE_DATE_EPOCH", std::to_string(buildTime).c_str(), 1);
}

std::string MakeImage(const std::string& image, const std::string& format, const std::string& label,
                      std::uint32_t serial, const std::vector<std::string>& files) {
  std::remove(image.c_str());
  char serialText[16];
  std::snprintf(serialText, sizeof serialText, "%08X", serial);
  std::string failure;
  if (!RunProgram({"mformat", "-C", "-i", image, "-f", format, "-v", label, "-N", serialText, "::"}, &failure)) {
    return failure;
  }
  for (const std::string& file : files) {
    const std::string name = file.substr(file.rfind('/') + 1);
    if (!RunProgram({"mcopy", "-m", "-D", "o", "-i", image, file, "::" + name}, &failure)) return failure;
  }
  return "";
}

std::string ExtractImage(const std::string& image, const std::string& folder) {
  std::string failure;
  if (!RunProgram({"mcopy", "-m", "-n", "-i", image, "::*", folder + "/"}, &failure)) return failure;
  return "";
}

bool ReadImageGeometry(const std::string& image, ImageGeometry* out) {
  std::ifstream in(image, std::ios::binary);
  unsigned char b[512] = {};
  if (!in.read(reinterpret_cast<char*>(b), sizeof b)) return false;
  const std::uint32_t bytesPerSector = Le16(b + 11);
  const std::uint32_t sectorsPerCluster = b[13];
  const std::uint32_t reserved = Le16(b + 14);
  const std::uint32_t fats = b[16];
  const std::uint32_t rootEntries = Le16(b + 17);
  std::uint32_t total = Le16(b + 19);
  if (total == 0) total = Le32(b + 32);
  const std::uint32_t sectorsPerFat = Le16(b + 22);
  if (bytesPerSector < 128 || bytesPerSector > 4096 || sectorsPerCluster == 0 || fats == 0) return false;
  const std::uint64_t rootSectors = (rootEntries * 32ull + bytesPerSector - 1) / bytesPerSector;
  const std::uint64_t meta = reserved + static_cast<std::uint64_t>(fats) * sectorsPerFat + rootSectors;
  if (meta >= total) return false;
  const std::uint64_t clusters = (total - meta) / sectorsPerCluster;
  out->clusterBytes = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
  out->dataBytes = clusters * out->clusterBytes;
  return true;
}

}  // namespace mkdisks
