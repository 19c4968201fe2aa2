// Files and directories held in memory, for the tests and fuzz targets of
// code that uses only the file part of the machine. Paths are compared
// without regard to case and taken as given (no "." or ".." resolution);
// drives A: and C: and the directories C:\WINDOWS, C:\WINDOWS\SYSTEM and
// C:\TAPE exist from the start. A file open through a handle cannot be
// deleted (32), as on Windows.
//
// What a test can set: free space on C:, creation or writing failing
// altogether, reads that come in pieces or fail after so many bytes, and
// whether times can be set through a handle. What it can look at: every
// path changed, every creation and deletion asked for, every time set by
// name. A handle used after it was closed, or never opened, is a fault of
// the code under test: it is reported on standard error and the process
// stops (a failed test, or a crash the fuzzer reports). Nothing here
// depends on the test framework, so the fuzz targets use it too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/machine.h"
#include "text/text.h"

namespace testsupport {

struct Node {
  bool directory = false;
  std::string data;
  std::uint32_t attributes = platform::attr::kArchive;
  std::int64_t time = -1;  // -1: never stamped
};

class MemoryFiles : public platform::FileSystem {
 public:
  std::map<std::string, Node> nodes;  // upper-case path
  std::vector<std::string> touched;   // every path changed, as given
  std::vector<std::string> created;   // every open for writing that may create, asked for
  std::vector<std::string> deleted;   // every DeleteFile asked for, as given
  std::vector<std::string> stampedByName;  // every SetFileTimes asked for
  std::int64_t freeOnC = -1;          // -1: unlimited
  bool failCreate = false;            // every open for writing: 5
  bool failWrites = false;            // every write: 112, nothing written
  // False: SetOpenFileTimes answers 120, as on a machine without it.
  bool timesThroughHandles = true;
  std::uint32_t pieceSize = UINT32_MAX;      // most bytes one Read gives
  std::uint32_t failReadAfter = UINT32_MAX;  // bytes of a file read before a read fails (30)
  bool readFailed = false;                   // a read has failed so

  MemoryFiles() {
    for (const char* d : {"A:", "C:", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\TAPE"}) {
      nodes[d].directory = true;
    }
  }
  static std::string Key(const std::string& p) { return text::ToUpperAscii(p); }
  static std::string Parent(const std::string& p) {
    std::size_t s = p.rfind('\\');
    return s == std::string::npos ? std::string() : p.substr(0, s);
  }
  Node* Find(const std::string& p) {
    auto it = nodes.find(Key(p));
    return it == nodes.end() ? nullptr : &it->second;
  }
  // A file with these bytes; its directory need not exist.
  void PutFile(const std::string& p, const std::string& data) {
    nodes[Key(p)].data = data;
    nodes[Key(p)].directory = false;
  }
  bool IsFile(const std::string& p) {
    Node* n = Find(p);
    return n != nullptr && !n->directory;
  }
  std::string Data(const std::string& p) {
    Node* n = Find(p);
    return n == nullptr ? std::string("<missing>") : n->data;
  }
  std::int64_t UsedOnC() const {
    std::int64_t used = 0;
    for (const auto& [k, n] : nodes) {
      if (k.compare(0, 2, "C:") == 0) used += static_cast<std::int64_t>(n.data.size());
    }
    return used;
  }
  std::size_t OpenHandles() const { return handles_.size(); }

  // ---- the file system

  std::uint32_t GetFileStatus(const std::string& p, platform::FileStatus* out) override {
    Node* n = Find(p);
    if (n == nullptr) return Find(Parent(p)) ? platform::err::kFileNotFound : platform::err::kPathNotFound;
    out->attributes = n->directory ? platform::attr::kDirectory : n->attributes;
    out->size = n->data.size();
    out->lastWriteUnix = n->time;
    return platform::err::kSuccess;
  }
  platform::FileHandle Open(const std::string& p, platform::OpenMode mode, std::uint32_t* e) override {
    Node* n = Find(p);
    if (mode == platform::OpenMode::kRead) {
      if (n == nullptr || n->directory) {
        *e = n ? platform::err::kAccessDenied : platform::err::kFileNotFound;
        return platform::kInvalidFile;
      }
    } else if (mode == platform::OpenMode::kAppend && n != nullptr) {
      // OPEN_ALWAYS on a file that is there: nothing is created or cut.
      if (failCreate || n->directory || (n->attributes & platform::attr::kReadOnly)) {
        *e = platform::err::kAccessDenied;
        return platform::kInvalidFile;
      }
      touched.push_back(p);
    } else {
      created.push_back(p);
      if (failCreate) {
        *e = platform::err::kAccessDenied;
        return platform::kInvalidFile;
      }
      Node* parent = Find(Parent(p));
      if (parent == nullptr || !parent->directory) {
        *e = platform::err::kPathNotFound;
        return platform::kInvalidFile;
      }
      if (n != nullptr && (n->directory || (n->attributes & platform::attr::kReadOnly))) {
        *e = platform::err::kAccessDenied;
        return platform::kInvalidFile;
      }
      touched.push_back(p);
      nodes[Key(p)] = Node();
    }
    handles_[++next_] = {Key(p), 0};
    return next_;
  }
  std::uint32_t Read(platform::FileHandle h, void* buffer, std::uint32_t size, std::uint32_t* read) override {
    *read = 0;
    auto& [key, pos] = Handle(h, "Read");
    const std::string& data = nodes[key].data;
    if (pos >= failReadAfter && pos < data.size()) {
      readFailed = true;
      return platform::err::kReadFault;
    }
    std::size_t n = std::min<std::size_t>({size, pieceSize, data.size() - pos});
    if (failReadAfter != UINT32_MAX && pos + n > failReadAfter) n = failReadAfter - pos;
    std::copy_n(data.data() + pos, n, static_cast<char*>(buffer));
    pos += n;
    *read = static_cast<std::uint32_t>(n);
    return 0;
  }
  std::uint32_t Write(platform::FileHandle h, const void* bytes, std::uint32_t size,
                      std::uint32_t* written) override {
    auto& [key, pos] = Handle(h, "Write");
    *written = 0;
    if (failWrites) return platform::err::kDiskFull;
    if (freeOnC >= 0 && key.compare(0, 2, "C:") == 0 && UsedOnC() + size > freeOnC) {
      return platform::err::kDiskFull;
    }
    nodes[key].data.append(static_cast<const char*>(bytes), size);
    *written = size;
    return 0;
  }
  void Close(platform::FileHandle h) override {
    Handle(h, "Close");
    handles_.erase(h);
  }
  std::uint32_t DeleteFile(const std::string& p) override {
    deleted.push_back(p);
    const std::string key = Key(p);
    for (const auto& [handle, open] : handles_) {
      if (open.first == key) return platform::err::kSharingViolation;
    }
    touched.push_back(p);
    return nodes.erase(key) ? 0 : platform::err::kFileNotFound;
  }
  std::uint32_t CreateDirectory(const std::string& p) override {
    if (Find(p)) return platform::err::kAlreadyExists;
    Node* parent = Find(Parent(p));
    if (parent == nullptr || !parent->directory) return platform::err::kPathNotFound;
    touched.push_back(p);
    nodes[Key(p)].directory = true;
    return 0;
  }
  std::uint32_t RemoveDirectory(const std::string&) override { return platform::err::kAccessDenied; }
  std::uint32_t MoveFile(const std::string&, const std::string&) override {
    return platform::err::kAccessDenied;
  }
  std::uint32_t MoveFileAtReboot(const std::string&, const std::string&) override {
    return platform::err::kAccessDenied;
  }
  std::uint32_t GetFileAttributes(const std::string& p, std::uint32_t* a) override {
    Node* n = Find(p);
    if (n == nullptr) return platform::err::kFileNotFound;
    *a = n->directory ? platform::attr::kDirectory : n->attributes;
    return 0;
  }
  std::uint32_t SetFileAttributes(const std::string& p, std::uint32_t a) override {
    Node* n = Find(p);
    if (n == nullptr) return platform::err::kFileNotFound;
    touched.push_back(p);
    n->attributes = a;
    return 0;
  }
  std::uint32_t SetFileTimes(const std::string& p, std::int64_t t) override {
    stampedByName.push_back(p);
    Node* n = Find(p);
    if (n == nullptr) return platform::err::kFileNotFound;
    touched.push_back(p);
    n->time = t;
    return 0;
  }
  std::uint32_t SetOpenFileTimes(platform::FileHandle h, std::int64_t t) override {
    if (!timesThroughHandles) return platform::err::kCallNotImplemented;
    auto it = handles_.find(h);
    if (it == handles_.end()) return platform::err::kInvalidHandle;
    touched.push_back(it->second.first);
    nodes[it->second.first].time = t;
    return 0;
  }
  std::uint32_t GetShortPathName(const std::string&, std::string*) override {
    return platform::err::kFileNotFound;
  }
  std::uint32_t FindFiles(const std::string&, std::vector<platform::FindData>*) override {
    return platform::err::kFileNotFound;
  }
  std::uint32_t SetCurrentDirectory(const std::string&) override { return platform::err::kSuccess; }

 private:
  using OpenFile = std::pair<std::string, std::size_t>;  // upper-case path, position

  OpenFile& Handle(platform::FileHandle h, const char* call) {
    auto it = handles_.find(h);
    if (it == handles_.end()) {
      std::fprintf(stderr, "MemoryFiles: %s of handle %lld, which is not open\n", call,
                   static_cast<long long>(h));
      std::abort();
    }
    return it->second;
  }

  std::map<platform::FileHandle, OpenFile> handles_;
  platform::FileHandle next_ = 0;
};

}  // namespace testsupport
