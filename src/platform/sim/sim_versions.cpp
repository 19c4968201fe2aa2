#include "platform/sim/sim_versions.h"

#include <cstddef>

namespace sim {
namespace {

namespace err = platform::err;

constexpr std::uint16_t kMz = 0x5A4D;
constexpr std::uint32_t kPe = 0x00004550;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::uint32_t kFixedInfoSize = 52;  // sizeof(VS_FIXEDFILEINFO)
// Header of VS_VERSIONINFO: three WORDs, L"VS_VERSION_INFO" and its zero,
// padded to a 32-bit boundary.
constexpr std::uint32_t kVersionInfoHeader = 40;
constexpr std::uint64_t kMaxImage = 64u << 20;

// Little-endian reads that fail instead of reading past the end.
class Bytes {
 public:
  explicit Bytes(const std::string& data) : data_(data) {}
  bool Fits(std::uint64_t offset, std::uint64_t size) const {
    return offset <= data_.size() && size <= data_.size() - offset;
  }
  bool U16(std::uint64_t offset, std::uint16_t* v) const {
    if (!Fits(offset, 2)) return false;
    *v = static_cast<std::uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
    return true;
  }
  bool U32(std::uint64_t offset, std::uint32_t* v) const {
    if (!Fits(offset, 4)) return false;
    *v = Byte(offset) | (Byte(offset + 1) << 8) | (Byte(offset + 2) << 16) |
         (static_cast<std::uint32_t>(Byte(offset + 3)) << 24);
    return true;
  }

 private:
  std::uint32_t Byte(std::uint64_t offset) const {
    return static_cast<unsigned char>(data_[static_cast<std::size_t>(offset)]);
  }
  const std::string& data_;
};

// Where the resource section lies: its RVA, its file offset and its size.
struct ResourceSection {
  std::uint32_t rva = 0;
  std::uint32_t fileOffset = 0;
  std::uint32_t size = 0;
};

std::uint32_t FindResourceSection(const Bytes& b, ResourceSection* out) {
  std::uint16_t mz = 0, magic = 0, sections = 0, optionalSize = 0;
  std::uint32_t peOffset = 0, pe = 0;
  if (!b.U16(0, &mz) || mz != kMz || !b.U32(0x3C, &peOffset) || !b.U32(peOffset, &pe) ||
      pe != kPe) {
    return err::kBadFormat;
  }
  std::uint64_t coff = std::uint64_t{peOffset} + 4;
  std::uint64_t optional = coff + 20;
  if (!b.U16(coff + 2, &sections) || !b.U16(coff + 16, &optionalSize) ||
      !b.U16(optional, &magic)) {
    return err::kBadFormat;
  }
  std::uint64_t countOffset = magic == kMagicPe32 ? 92 : magic == kMagicPe32Plus ? 108 : 0;
  std::uint32_t directories = 0, rva = 0, size = 0;
  if (countOffset == 0 || !b.U32(optional + countOffset, &directories)) return err::kBadFormat;
  std::uint64_t entry = optional + countOffset + 4 + 8 * kResourceDirectory;
  if (directories <= kResourceDirectory || entry + 8 > optional + optionalSize ||
      !b.U32(entry, &rva) || !b.U32(entry + 4, &size) || rva == 0 || size == 0) {
    return err::kResourceDataNotFound;
  }
  std::uint64_t table = optional + optionalSize;
  for (std::uint32_t i = 0; i < sections; ++i) {
    std::uint64_t s = table + 40ull * i;
    std::uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
    if (!b.U32(s + 8, &virtualSize) || !b.U32(s + 12, &virtualAddress) ||
        !b.U32(s + 16, &rawSize) || !b.U32(s + 20, &rawOffset)) {
      return err::kBadFormat;
    }
    if (rva < virtualAddress || rva - virtualAddress >= rawSize) continue;
    out->rva = virtualAddress;
    out->fileOffset = rawOffset;
    out->size = rawSize;
    return b.Fits(rawOffset, rawSize) ? 0 : err::kBadFormat;
  }
  return err::kResourceDataNotFound;
}

// The first entry of a resource directory (at `offset` within the
// section) whose id is `id`, or its first entry when `id` is 0. Returns the
// entry's OffsetToData, or false.
bool DirectoryEntry(const Bytes& b, const ResourceSection& rs, std::uint32_t offset,
                    std::uint32_t id, std::uint32_t* target) {
  std::uint16_t named = 0, ids = 0;
  std::uint64_t base = std::uint64_t{rs.fileOffset} + offset;
  if (offset >= rs.size || !b.U16(base + 12, &named) || !b.U16(base + 14, &ids)) return false;
  for (std::uint32_t i = 0; i < std::uint32_t{named} + ids; ++i) {
    std::uint32_t name = 0, data = 0;
    std::uint64_t e = base + 16 + 8ull * i;
    if (e + 8 > std::uint64_t{rs.fileOffset} + rs.size || !b.U32(e, &name) || !b.U32(e + 4, &data))
      return false;
    if (id == 0 || (!(name & kSubdirectoryBit) && name == id)) {
      *target = data;
      return true;
    }
  }
  return false;
}

// The version resource's data entry: the type directory of RT_VERSION, its
// first name, that name's first language. Three fixed steps, so a
// directory that points back at itself cannot make the walk loop.
bool VersionDataEntry(const Bytes& b, const ResourceSection& rs, std::uint64_t* fileOffset,
                      std::uint32_t* size) {
  std::uint32_t typeDir = 0, nameDir = 0, dataEntry = 0;
  if (!DirectoryEntry(b, rs, 0, kRtVersion, &typeDir) || !(typeDir & kSubdirectoryBit) ||
      !DirectoryEntry(b, rs, typeDir & ~kSubdirectoryBit, 0, &nameDir) ||
      !(nameDir & kSubdirectoryBit) ||
      !DirectoryEntry(b, rs, nameDir & ~kSubdirectoryBit, 0, &dataEntry) ||
      (dataEntry & kSubdirectoryBit) || dataEntry >= rs.size) {
    return false;
  }
  std::uint32_t dataRva = 0;
  std::uint64_t entry = std::uint64_t{rs.fileOffset} + dataEntry;
  if (!b.U32(entry, &dataRva) || !b.U32(entry + 4, size) || dataRva < rs.rva) return false;
  *fileOffset = std::uint64_t{rs.fileOffset} + (dataRva - rs.rva);
  return b.Fits(*fileOffset, *size);
}

}  // namespace

std::uint32_t ReadVersionResource(const std::string& image, VersionResource* out) {
  Bytes b(image);
  ResourceSection rs;
  if (std::uint32_t e = FindResourceSection(b, &rs)) return e;
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
  if (!VersionDataEntry(b, rs, &offset, &size)) return err::kResourceTypeNotFound;
  std::uint16_t length = 0, valueLength = 0;
  if (!b.U16(offset, &length) || !b.U16(offset + 2, &valueLength) || length > size ||
      length < kVersionInfoHeader) {
    return err::kResourceTypeNotFound;
  }
  VersionResource result;
  result.size = length;
  std::uint32_t signature = 0;
  if (valueLength >= kFixedInfoSize && length >= kVersionInfoHeader + kFixedInfoSize &&
      b.U32(offset + kVersionInfoHeader, &signature) && signature == kFixedSignature) {
    result.hasFixed = b.U32(offset + kVersionInfoHeader + 8, &result.fileVersion.ms) &&
                      b.U32(offset + kVersionInfoHeader + 12, &result.fileVersion.ls);
  }
  *out = result;
  return 0;
}

std::uint32_t SimVersions::Load(const std::string& path, VersionResource* out) {
  platform::FileStatus st;
  if (std::uint32_t e = files_.GetFileStatus(path, &st)) return e;
  if (st.attributes & platform::attr::kDirectory) return err::kAccessDenied;
  if (st.size > kMaxImage) return err::kBadFormat;
  std::string image;
  if (std::uint32_t e = platform::ReadWholeFile(files_, path, &image)) return e;
  return ReadVersionResource(image, out);
}

std::uint32_t SimVersions::GetFileVersionInfoSize(const std::string& path, std::uint32_t* error) {
  VersionResource r;
  std::uint32_t e = Load(path, &r);
  if (error) *error = e;
  return e == 0 ? r.size : 0;
}

std::uint32_t SimVersions::GetFixedFileVersion(const std::string& path,
                                               platform::FileVersion* out) {
  VersionResource r;
  if (std::uint32_t e = Load(path, &r)) return e;
  if (!r.hasFixed) return err::kResourceTypeNotFound;
  *out = r.fileVersion;
  return 0;
}

}  // namespace sim
