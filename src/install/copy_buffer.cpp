#include "install/copy_buffer.h"

namespace install {

std::uint8_t* CopyBuffer() {
  static std::uint8_t buffer[kCopyBlockSize];
  return buffer;
}

}  // namespace install
