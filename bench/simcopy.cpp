// simcopy: the baseline of the copy engine's benchmark. Copies every file of
// a host folder, shown as drive A: of a simulated machine, to a folder on its
// drive C: through the machine's file system, in blocks of 5120 bytes (as
// the copy engine reads and writes), with no expansion, no progress dialog
// and no log. Prints the bytes copied and the seconds taken.
//
//   simcopy MACHINE_DIR SOURCE_FOLDER TARGET   (TARGET a Windows path, C:\...)
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/sim/sim_machine.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: simcopy MACHINE_DIR SOURCE_FOLDER TARGET\n");
    return 2;
  }
  std::string error;
  std::unique_ptr<sim::SimMachine> machine = sim::SimMachine::Open(argv[1], &error);
  if (!machine) {
    std::fprintf(stderr, "simcopy: %s\n", error.c_str());
    return 2;
  }
  machine->MapDrive('A', argv[2]);
  platform::FileSystem& fs = machine->files();
  const std::string target = argv[3];

  const auto t0 = std::chrono::steady_clock::now();
  std::vector<platform::FindData> found;
  if (fs.FindFiles("A:\\*.*", &found) != platform::err::kSuccess) {
    std::fprintf(stderr, "simcopy: cannot list A:\\\n");
    return 1;
  }
  fs.CreateDirectory(target);
  static std::uint8_t block[5120];
  std::uint64_t total = 0;
  int files = 0;
  for (const platform::FindData& f : found) {
    if (f.attributes & platform::attr::kDirectory) continue;
    std::uint32_t err = 0;
    platform::FileHandle in = fs.Open("A:\\" + f.name, platform::OpenMode::kRead, &err);
    platform::FileHandle out = fs.Open(target + "\\" + f.name, platform::OpenMode::kWriteCreate, &err);
    if (in == platform::kInvalidFile || out == platform::kInvalidFile) {
      std::fprintf(stderr, "simcopy: cannot copy %s\n", f.name.c_str());
      return 1;
    }
    std::uint32_t got = 0;
    do {
      if (fs.Read(in, block, sizeof block, &got) != platform::err::kSuccess) return 1;
      std::uint32_t written = 0;
      if (got > 0 && (fs.Write(out, block, got, &written) != platform::err::kSuccess || written != got)) return 1;
      total += got;
    } while (got == sizeof block);
    fs.Close(in);
    fs.Close(out);
    fs.SetFileTimes(target + "\\" + f.name, 0);
    ++files;
  }
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (!machine->Save(&error)) {
    std::fprintf(stderr, "simcopy: %s\n", error.c_str());
    return 1;
  }
  std::printf("files=%d bytes=%llu seconds=%.3f\n", files, static_cast<unsigned long long>(total), s);
  return 0;
}
