// Windows error numbers that tests expect but the machine seam does not
// name, because the logic never tests for them: the simulated machine
// gives them where Windows does.
#pragma once

#include <cstdint>

namespace testsupport::err {

constexpr std::uint32_t kNotReady = 21;              // ERROR_NOT_READY: drive without its disk
constexpr std::uint32_t kCallNotImplemented = 120;   // ERROR_CALL_NOT_IMPLEMENTED
constexpr std::uint32_t kInvalidName = 123;          // ERROR_INVALID_NAME
constexpr std::uint32_t kFileNameTooLong = 206;      // ERROR_FILENAME_EXCED_RANGE
constexpr std::uint32_t kDirectoryInvalid = 267;     // ERROR_DIRECTORY

}  // namespace testsupport::err
