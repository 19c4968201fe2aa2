// The one static buffer through which all file data of an installation is
// copied, in blocks of 5120 bytes: the copy engine and the plain file copy
// of the shared run-time libraries use it in turn (never at the same time).
#pragma once

#include <cstdint>

namespace install {

constexpr std::uint32_t kCopyBlockSize = 5120;

// The buffer, kCopyBlockSize bytes, alive for the whole process.
std::uint8_t* CopyBuffer();

}  // namespace install
