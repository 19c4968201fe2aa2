// Faults the simulated machine injects: the Nth operation of a kind fails,
// as the hardware or the system would make it fail, so that tests can put a
// fault at every point of a run. Counting starts when the runner arms the
// machine (after the set-up, when the program starts), so a clean run
// tells how many points of each kind there are.
//
//   sim::Faults& f = machine->faults();
//   f.Fail(sim::FaultKind::kWrite, 7);   // the 7th write finds the disk full
//   f.Arm();
//   ... run the program ...
//   f.Count(sim::FaultKind::kWrite);     // writes the run made
//   f.Fired(sim::FaultKind::kWrite);     // whether the 7th came
//
// What fails, and how (the Windows error the program sees):
//   write     WriteFile: 112, and the drive stays full from then on (free
//             space 0; deleting or shortening files frees space again)
//   read      ReadFile of a file on a drive other than C: (a disk): 23
//   registry  RegSetValueExA: 1013; RegDeleteValueA or RegDeleteKeyA: 5
//   dde       a DDE transaction (execute or request): DMLERR_NOTPROCESSED
//   service   a call of the service control manager (Windows NT): 5
//   disk      a disk change: the drive shows no disk (21)
// Not kept with the machine.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sim {

enum class FaultKind { kWrite, kRead, kRegistry, kDde, kService, kDisk };
constexpr std::size_t kFaultKinds = 6;

class Faults {
 public:
  // The name used in scenarios ("write", "read", ...), and back; false
  // when the name is no kind.
  static const char* Name(FaultKind kind);
  static bool Parse(const std::string& name, FaultKind* kind);

  // The nth operation of the kind (counted from 1 after Arm) fails; 0: none.
  void Fail(FaultKind kind, std::uint64_t nth) { plan_[Index(kind)] = nth; }
  // No operation fails any more.
  void Clear() { plan_.fill(0); }
  // Counting starts (again, from zero).
  void Arm();
  // One operation of the kind: true when it is the one to fail. Nothing is
  // counted before Arm or while paused.
  bool Hit(FaultKind kind);
  std::uint64_t Count(FaultKind kind) const { return count_[Index(kind)]; }
  bool Fired(FaultKind kind) const { return fired_[Index(kind)]; }

  // The machine's own work on behalf of a call (the service manager
  // keeping its table in the registry) is no point of its own.
  class Pause {
   public:
    explicit Pause(Faults* f) : f_(f), old_(f != nullptr && f->paused_) {
      if (f_) f_->paused_ = true;
    }
    ~Pause() {
      if (f_) f_->paused_ = old_;
    }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

   private:
    Faults* f_;
    bool old_;
  };

 private:
  static std::size_t Index(FaultKind kind) { return static_cast<std::size_t>(kind); }
  std::array<std::uint64_t, kFaultKinds> plan_{};
  std::array<std::uint64_t, kFaultKinds> count_{};
  std::array<bool, kFaultKinds> fired_{};
  bool armed_ = false;
  bool paused_ = false;
};

// Error numbers the faults give.
namespace fault_error {
constexpr std::uint32_t kDiskFull = 112;       // ERROR_DISK_FULL
constexpr std::uint32_t kCrc = 23;             // ERROR_CRC: a bad sector on the disk
constexpr std::uint32_t kCantWrite = 1013;     // ERROR_CANTWRITE (registry)
constexpr std::uint32_t kAccessDenied = 5;     // ERROR_ACCESS_DENIED
}  // namespace fault_error

}  // namespace sim
