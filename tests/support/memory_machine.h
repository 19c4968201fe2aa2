// An in-memory Windows machine for the copy engine tests: drives of files
// and directories (names compared without regard to case), a disk drive A:
// whose disk the test swaps, SZDD expansion through our own reader, and a
// scripted user for message boxes and the copy progress dialog.
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
#include "null_machine.h"
#include "platform/machine.h"
#include "ui/dialog_ids.h"

namespace testsupport {

using platform::WindowHandle;

// ---------------------------------------------------------------- files

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
  std::vector<std::string> created;   // every kWriteCreate open asked for
  std::int64_t freeOnC = -1;          // -1: unlimited
  // False: SetOpenFileTimes answers 120, as on a machine without it.
  bool timesThroughHandles = true;
  std::vector<std::string> stampedByName;  // every SetFileTimes asked for

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
    } else {
      created.push_back(p);
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
    auto& [key, pos] = handles_.at(h);
    const std::string& data = nodes[key].data;
    std::size_t n = std::min<std::size_t>(size, data.size() - pos);
    std::copy_n(data.data() + pos, n, static_cast<char*>(buffer));
    pos += n;
    *read = static_cast<std::uint32_t>(n);
    return 0;
  }
  std::uint32_t Write(platform::FileHandle h, const void* bytes, std::uint32_t size,
                      std::uint32_t* written) override {
    auto& [key, pos] = handles_.at(h);
    *written = 0;
    if (freeOnC >= 0 && key.compare(0, 2, "C:") == 0 && UsedOnC() + size > freeOnC) {
      return platform::err::kDiskFull;
    }
    nodes[key].data.append(static_cast<const char*>(bytes), size);
    *written = size;
    return 0;
  }
  void Close(platform::FileHandle h) override { EXPECT_EQ(handles_.erase(h), 1u); }
  std::uint32_t DeleteFile(const std::string& p) override {
    touched.push_back(p);
    return nodes.erase(Key(p)) ? 0 : platform::err::kFileNotFound;
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

  std::size_t OpenHandles() const { return handles_.size(); }

 private:
  std::map<platform::FileHandle, std::pair<std::string, std::size_t>> handles_;
  platform::FileHandle next_ = 0;
};

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

// ---------------------------------------------------------------- user

struct Box {
  WindowHandle owner;
  std::string text, caption;
  std::uint32_t flags;
};

class BlankPainter : public platform::Painter {
 public:
  platform::Rect ClientRect() override { return {0, 0, 228, 20}; }
  void FillSolid(const platform::Rect&, platform::Color) override {}
  void FrameRect(const platform::Rect&, platform::Color) override {}
  bool BitmapSize(int, platform::Size*) override { return false; }
  bool DrawBitmap(int, int, int, platform::Rop) override { return false; }
  bool DrawIcon(int, int, int) override { return false; }
  platform::Size TextExtent(const std::string& t) override { return {6 * static_cast<int>(t.size()), 13}; }
  void DrawTextClipped(int, int, const platform::Rect&, const std::string&, platform::Color,
                       platform::Color) override {}
  void DefaultPaint() override {}
};

// Message boxes are answered by `answer` (OK, or Yes, when it returns 0).
// `onPump` runs inside PumpMessages: the test presses Cancel there.
class ScriptedUi : public platform::Ui {
 public:
  static constexpr WindowHandle kDialog = 0x135;
  std::vector<Box> boxes;
  std::function<int(const Box&)> answer;
  std::function<void()> onPump;
  platform::DialogHandler* dialog = nullptr;
  bool dialogAlive = false;
  bool dialogShown = false;
  std::map<WindowHandle, bool> enabled;
  std::map<int, std::string> items;
  std::vector<std::string> statusTexts;
  std::map<int, std::uint32_t> timers;
  int timerMessages = 0;
  int pumps = 0;
  BlankPainter painter;

  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override {
    boxes.push_back({owner, text, caption, flags});
    int a = answer ? answer(boxes.back()) : 0;
    if (a != 0) return a;
    std::uint32_t buttons = flags & platform::mb::kButtonMask;
    return buttons == platform::mb::kYesNo ? platform::answer::kYes : platform::answer::kOk;
  }
  int RunModal(WindowHandle, platform::DialogHandler&) override { return 2; }
  WindowHandle CreateModeless(WindowHandle, platform::DialogHandler& h) override {
    EXPECT_EQ(h.TemplateId(), ui::ids::copy_progress::kTemplate);
    EXPECT_FALSE(dialogAlive);
    dialog = &h;
    dialogAlive = true;
    h.OnInitDialog(kDialog);
    return kDialog;
  }
  void EndDialog(WindowHandle, int) override { ADD_FAILURE(); }
  void DestroyWindow(WindowHandle w) override {
    EXPECT_EQ(w, kDialog);
    EXPECT_TRUE(dialogAlive);
    dialog->OnDestroy(w);
    dialogAlive = false;
  }
  void SetWindowText(WindowHandle, const std::string&) override {}
  std::string GetWindowText(WindowHandle) override { return {}; }
  void SetItemText(WindowHandle, int id, const std::string& t) override {
    items[id] = t;
    if (id == install::progress_ctl::kStatusText) statusTexts.push_back(t);
  }
  std::string GetItemText(WindowHandle, int id) override { return items[id]; }
  bool EnableWindow(WindowHandle w, bool e) override {
    bool was = enabled.count(w) && !enabled[w];
    enabled[w] = e;
    return was;
  }
  bool IsWindowEnabled(WindowHandle w) override { return !enabled.count(w) || enabled[w]; }
  void EnableItem(WindowHandle, int, bool) override {}
  void ShowWindow(WindowHandle w, int) override {
    if (w == kDialog) dialogShown = true;
  }
  void SetTopmostAndShow(WindowHandle) override {}
  WindowHandle GetOwner(WindowHandle) override { return 0; }
  WindowHandle GetMainWindow() override { return 0; }
  void SetMainWindow(WindowHandle) override {}
  void OwnControlPaint(WindowHandle, int) override {}
  void InvalidateItem(WindowHandle, int, bool) override {}
  void UpdateItem(WindowHandle w, int id) override { dialog->OnPaintControl(w, id, painter); }
  bool SetTimer(WindowHandle, int id, std::uint32_t ms) override {
    timers[id] = ms;
    return true;
  }
  void KillTimer(WindowHandle, int id) override { timers.erase(id); }
  void PumpMessages(WindowHandle) override {
    ++pumps;
    if (onPump) onPump();
  }
  void RunMessagesUntil(const std::function<bool()>& done) override {
    for (int guard = 0; guard < 10 && !done(); ++guard) {
      for (const auto& [id, ms] : timers) {
        ++timerMessages;
        dialog->OnTimer(kDialog, id);
      }
    }
    EXPECT_TRUE(done());
  }
  // List boxes: none.
  int ListAddString(platform::WindowHandle, int, const std::string&) override { return -1; }
  int ListCount(platform::WindowHandle, int) override { return 0; }
  std::string ListText(platform::WindowHandle, int, int) override { return {}; }
  int ListCurSel(platform::WindowHandle, int) override { return -1; }
  bool ListSetCurSel(platform::WindowHandle, int, int) override { return false; }
  // The user presses Cancel in the progress dialog.
  void PressCancel() { dialog->OnCommand(kDialog, install::progress_ctl::kCancel, 0); }

  std::vector<Box> BoxesWithCaption(const std::string& caption) const {
    std::vector<Box> out;
    for (const Box& b : boxes) {
      if (b.caption == caption) out.push_back(b);
    }
    return out;
  }
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
