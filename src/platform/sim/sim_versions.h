// The version library of the simulated machine: version resources read
// from the machine's real PE files (.rsrc section, RT_VERSION, the fixed
// part VS_FIXEDFILEINFO). Every offset of the file is checked against its
// size; a file that is not a well-formed PE image has no version
// information.
#pragma once

#include <cstdint>
#include <string>

#include "platform/machine.h"

namespace sim {

// What the version resource of a PE image holds.
struct VersionResource {
  std::uint32_t size = 0;             // bytes of VS_VERSIONINFO
  bool hasFixed = false;              // a VS_FIXEDFILEINFO with its signature
  platform::FileVersion fileVersion;  // valid when hasFixed
};

// Parses the image; returns 0, or 11 (not a PE image), 1812 (no resource
// section), 1813 (no version resource or a malformed one).
std::uint32_t ReadVersionResource(const std::string& image, VersionResource* out);

class SimVersions : public platform::Versions {
 public:
  explicit SimVersions(platform::FileSystem& files) : files_(files) {}
  std::uint32_t GetFileVersionInfoSize(const std::string& path, std::uint32_t* error) override;
  std::uint32_t GetFixedFileVersion(const std::string& path, platform::FileVersion* out) override;

 private:
  std::uint32_t Load(const std::string& path, VersionResource* out);
  platform::FileSystem& files_;
};

}  // namespace sim
