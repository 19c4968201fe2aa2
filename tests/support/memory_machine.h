// An in-memory Windows machine for the copy engine tests: drives of files
// and directories (memory_files.h), a disk drive A: whose disk the test
// swaps, SZDD expansion through our own reader, and the user of
// fake_ui.h for message boxes and the copy progress dialog.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "install/copy_progress_dialog.h"
#include "install/install_text.h"
#include "text/text.h"
#include "lz/szdd.h"
#include "fake_ui.h"
#include "memory_files.h"
#include "null_machine.h"
#include "platform/machine.h"
#include "ui/dialog_ids.h"

namespace testsupport {

using platform::WindowHandle;

// ---------------------------------------------------------------- LZ

class MemoryLz : public platform::Lz {
 public:
  explicit MemoryLz(MemoryFiles& files) : files_(files) {}
  std::set<std::string> failReads;  // upper-case paths whose reads fail

  int Open(const std::string& path) override {
    Node* n = files_.Find(path);
    if (n == nullptr || n->directory) return -2;  // LZERROR_BADINHANDLE
    auto open = std::make_unique<OpenFile>();
    open->data = n->data;
    open->path = MemoryFiles::Key(path);
    open->expander = std::make_unique<szdd::Expander>(
        reinterpret_cast<const std::uint8_t*>(open->data.data()), open->data.size());
    int h = next_++;
    open_[h] = std::move(open);
    return h;
  }
  int Read(int h, void* buffer, int size) override {
    auto it = open_.find(h);
    if (it == open_.end()) return -2;
    if (failReads.count(it->second->path)) return -5;  // LZERROR_READ
    return it->second->expander->Read(static_cast<std::uint8_t*>(buffer), size);
  }
  void Close(int h) override { EXPECT_EQ(open_.erase(h), 1u); }
  std::string GetExpandedName(const std::string& path) override {
    Node* n = files_.Find(path);
    szdd::Header header;
    if (n != nullptr &&
        szdd::ParseHeader(reinterpret_cast<const std::uint8_t*>(n->data.data()), n->data.size(), &header)) {
      return szdd::ExpandedName(path, &header);
    }
    return path;
  }
  std::int64_t ExpandedLength(int h) override {
    auto it = open_.find(h);
    if (it == open_.end()) return -1;
    const std::string& d = it->second->data;
    szdd::Header header;
    if (szdd::ParseHeader(reinterpret_cast<const std::uint8_t*>(d.data()), d.size(), &header)) {
      return header.expandedLength;
    }
    return static_cast<std::int64_t>(d.size());
  }
  std::size_t OpenHandles() const { return open_.size(); }

 private:
  struct OpenFile {
    std::string data, path;
    std::unique_ptr<szdd::Expander> expander;
  };
  MemoryFiles& files_;
  std::map<int, std::unique_ptr<OpenFile>> open_;
  int next_ = 0;
};

// The parts of the machine the copy engine does not use, and the Windows
// directory.
struct WindowsDirOnly : NullSystem, NullProfile, NullRegistry, NullDde {
  std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
};

// ---------------------------------------------------------------- content

// `n` bytes that compress well but are not trivial, different per seed.
inline std::string Bytes(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>((x >> 16) & 0x3F);
  }
  return s;
}

// `data` in SZDD form, its header recording `lastChar` as the last
// character of the expanded name.
inline std::string Compressed(const std::string& data, char lastChar) {
  return szdd::Compress(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), lastChar);
}

}  // namespace testsupport
