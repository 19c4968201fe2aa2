#include "platform/sim/sim_faults.h"

namespace sim {
namespace {

constexpr const char* kNames[kFaultKinds] = {"write", "read", "registry", "dde", "service", "disk"};

}  // namespace

const char* Faults::Name(FaultKind kind) { return kNames[Index(kind)]; }

bool Faults::Parse(const std::string& name, FaultKind* kind) {
  for (std::size_t i = 0; i < kFaultKinds; ++i) {
    if (name == kNames[i]) {
      *kind = static_cast<FaultKind>(i);
      return true;
    }
  }
  return false;
}

void Faults::Arm() {
  armed_ = true;
  count_.fill(0);
  fired_.fill(false);
}

bool Faults::Hit(FaultKind kind) {
  if (!armed_ || paused_) return false;
  std::size_t i = Index(kind);
  ++count_[i];
  if (plan_[i] == 0 || count_[i] != plan_[i]) return false;
  fired_[i] = true;
  return true;
}

}  // namespace sim
