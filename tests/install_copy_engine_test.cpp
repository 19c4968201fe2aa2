// The copy engine on an in-memory Windows machine of this file: drives of
// files and directories (names compared without regard to case), a disk
// drive A: whose disk the test swaps, SZDD expansion through our own
// reader, and a scripted user for message boxes and the progress dialog.
#include <gtest/gtest.h>
#include "support/null_machine.h"

#include <deque>
#include <map>
#include <memory>
#include <set>

#include "install/copy_engine.h"
#include "install/copy_progress_dialog.h"
#include "install/install_text.h"
#include "lz/szdd.h"

namespace install {
namespace {

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

  MemoryFiles() {
    for (const char* d : {"A:", "C:", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\TAPE"}) {
      nodes[d].directory = true;
    }
  }
  static std::string Key(const std::string& p) { return ToUpperAscii(p); }
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
    return 0;
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
  std::uint32_t RemoveDirectory(const std::string&) override { return 5; }
  std::uint32_t MoveFile(const std::string&, const std::string&) override { return 5; }
  std::uint32_t MoveFileAtReboot(const std::string&, const std::string&) override { return 5; }
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
    Node* n = Find(p);
    if (n == nullptr) return platform::err::kFileNotFound;
    touched.push_back(p);
    n->time = t;
    return 0;
  }
  std::uint32_t GetShortPathName(const std::string&, std::string*) override { return 2; }
  std::uint32_t FindFiles(const std::string&, std::vector<platform::FindData>*) override { return 2; }
  std::uint32_t SetCurrentDirectory(const std::string&) override { return 0; }

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

class NullPainter : public platform::Painter {
 public:
  platform::Rect ClientRect() override { return {0, 0, 228, 20}; }
  void FillSolid(const platform::Rect&, platform::Color) override {}
  void FrameRect(const platform::Rect&, platform::Color) override {}
  bool BitmapSize(int, platform::Size*) override { return false; }
  bool DrawBitmap(int, int, int, platform::Rop) override { return false; }
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
  NullPainter painter;

  int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                 std::uint32_t flags) override {
    boxes.push_back({owner, text, caption, flags});
    int a = answer ? answer(boxes.back()) : 0;
    if (a != 0) return a;
    std::uint32_t buttons = flags & platform::mb::kButtonMask;
    return buttons == platform::mb::kYesNo ? platform::answer::kYes : platform::answer::kOk;
  }
  int RunModal(int, WindowHandle, platform::DialogHandler&) override { return 2; }
  WindowHandle CreateModeless(int id, WindowHandle, platform::DialogHandler& h) override {
    EXPECT_EQ(id, 135);
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
    if (id == progress_ctl::kStatusText) statusTexts.push_back(t);
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
  // The user presses Cancel in the progress dialog.
  void PressCancel() { dialog->OnCommand(kDialog, progress_ctl::kCancel, 0); }

  std::vector<Box> BoxesWithCaption(const std::string& caption) const {
    std::vector<Box> out;
    for (const Box& b : boxes) {
      if (b.caption == caption) out.push_back(b);
    }
    return out;
  }
};

struct Unused : testsupport::NullSystem, testsupport::NullProfile, testsupport::NullRegistry,
                testsupport::NullDde {
  std::string GetWindowsDirectory() override { return "C:\\WINDOWS"; }
};

// ---------------------------------------------------------------- fixture

std::string Bytes(std::size_t n, unsigned seed) {
  std::string s(n, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>((x >> 16) & 0x3F);  // compressible, not trivial
  }
  return s;
}

std::string Compressed(const std::string& data, char lastChar) {
  return szdd::Compress(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), lastChar);
}

using Disk = std::map<std::string, std::string>;  // name on the disk -> bytes

class CopyEngineTest : public ::testing::Test {
 protected:
  static constexpr WindowHandle kBackground = 0x132;
  static constexpr const char* kLog = "C:\\TAPE\\UNINST.LST";

  CopyEngineTest() {
    state.sourceDir = "A:";
    state.windowsDir = "C:\\WINDOWS";
    state.installDir = "C:\\TAPE";
    state.values.prd = "Halvorn";
    state.values.mct = "1";
    state.backgroundWindow = kBackground;
  }

  // Puts a disk into drive A:, taking out the one there.
  void Insert(const Disk& disk) {
    for (auto it = files.nodes.begin(); it != files.nodes.end();) {
      it = (it->first.compare(0, 3, "A:\\") == 0) ? files.nodes.erase(it) : std::next(it);
    }
    for (const auto& [name, bytes] : disk) files.PutFile("A:\\" + name, bytes);
  }
  void List(std::initializer_list<const char*> lines) {
    for (const char* l : lines) state.fileList.push_back(std::string(l) + "\n");
  }
  int Run() {
    int r = CopyProductFiles(state, "C:\\TAPE");
    // Whatever happened: nothing left open, the dialog gone, the
    // background window usable again.
    EXPECT_EQ(files.OpenHandles(), 0u);
    EXPECT_EQ(lz.OpenHandles(), 0u);
    EXPECT_FALSE(ui.dialogAlive);
    EXPECT_TRUE(ui.IsWindowEnabled(kBackground));
    return r;
  }
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string data = files.Data(kLog);
    std::size_t pos = 0;
    while (pos < data.size()) {
      std::size_t end = data.find("\r\n", pos);
      EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
      if (end == std::string::npos) break;
      lines.push_back(data.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }
  // The log names exactly the files whose creation was begun, and nothing
  // outside the install directory, the SYSTEM directory and the listed
  // files of the Windows directory was changed.
  void CheckLogAndTouchedPaths(std::set<std::string> windowsFiles = {}) {
    std::vector<std::string> begun;
    for (const std::string& p : files.created) {
      if (p != kLog) begun.push_back(p);
    }
    EXPECT_EQ(LogLines(), begun);
    for (const std::string& p : files.touched) {
      std::string u = ToUpperAscii(p);
      bool inside = u.rfind("C:\\TAPE\\", 0) == 0 || u.rfind("C:\\WINDOWS\\SYSTEM\\", 0) == 0 ||
                    windowsFiles.count(u) != 0;
      EXPECT_TRUE(inside) << p;
    }
  }
  std::string LastStatus() { return ui.statusTexts.empty() ? std::string() : ui.statusTexts.back(); }
  bool CompletionShown() { return LastStatus() == "File Transfer Complete."; }

  Unused unused;
  MemoryFiles files;
  MemoryLz lz{files};
  ScriptedUi ui;
  platform::Machine machine{unused, files, unused, unused, lz, ui, unused};
  setup::SetupState state{machine};
};

// ---------------------------------------------------------------- main path

TEST_F(CopyEngineTest, TwoDisksWithEveryPlacementRule) {
  const std::string readme = Bytes(12000, 1), tool = Bytes(300, 2), vxd = Bytes(7000, 3),
                    lfnbk = Bytes(100, 4), setupExe = Bytes(5120, 5), sched = Bytes(6000, 6),
                    ntOnly = Bytes(50, 7), dat = "[Misc]\r\n";
  const Disk disk1 = {{"DISK.001", ""},
                      {"SETUP.DAT", dat},
                      {"SETUP.EX_", Compressed(setupExe, 'E')},
                      {"README.TX_", Compressed(readme, 'T')},
                      {"TOOL.BIN", tool},
                      {"NTONLY.DL_", Compressed(ntOnly, 'L')},
                      {"WNASPI32.DLL", "scsi"}};
  const Disk disk2 = {{"DISK.002", ""},
                      {"ZEMA.VX_", Compressed(vxd, 'D')},
                      {"LFNBK.EX_", Compressed(lfnbk, 'E')},
                      {"SCD.EX_", Compressed(sched, 'E')}};
  List({"DISK.001,/D1", "SETUP.DAT,/D1 /T5", "SETUP.EX_,/D1 /T820454400",
        "README.TX_,/D1 /T820454401 /XDOCS", "TOOL.BIN,/D1 /RRENAMED.EXE /T3",
        "NTONLY.DL_,/D1 /PNT /XNTDIR", "WNASPI32.DLL,/D1", "DISK.002,/D2", "ZEMA.VX_,/D2 /T9",
        "LFNBK.EX_,/D2 /T10", "SCD.EX_,/D2 /T11"});
  state.values.mct = "2";
  state.fileCount = 10;  // WNASPI32.DLL takes one off
  files.PutFile("C:\\WINDOWS\\LFNBK.EXE", "old");
  files.nodes["C:\\WINDOWS\\LFNBK.EXE"].attributes = platform::attr::kReadOnly;
  Insert(disk1);
  // The first prompt meets the wrong disk still in the drive; after "Disk
  // Error" the user inserts disk 2.
  ui.answer = [&](const Box& b) {
    if (b.caption == "Disk Error") Insert(disk2);
    return 0;
  };

  EXPECT_EQ(Run(), kCopyDone);

  EXPECT_EQ(files.Data("C:\\TAPE\\SETUP.DAT"), dat);
  EXPECT_EQ(files.Data("C:\\TAPE\\UNINSTAL.EXE"), setupExe);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\SETUP.EXE"));
  EXPECT_EQ(files.Data("C:\\TAPE\\DOCS\\README.TXT"), readme);
  EXPECT_EQ(files.Data("C:\\TAPE\\RENAMED.EXE"), tool);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\NTDIR\\NTONLY.DLL"));
  EXPECT_TRUE(files.Find("C:\\TAPE\\NTDIR")->directory);  // made although passed over
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\WNASPI32.DLL"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\DISK.001"));
  EXPECT_EQ(files.Data("C:\\WINDOWS\\SYSTEM\\ZEMA.VXD"), vxd);
  EXPECT_EQ(files.Data("C:\\WINDOWS\\LFNBK.EXE"), lfnbk);
  EXPECT_EQ(files.Find("C:\\WINDOWS\\LFNBK.EXE")->attributes & platform::attr::kReadOnly, 0u);
  EXPECT_EQ(files.Data("C:\\TAPE\\SCD.EXE"), sched);
  EXPECT_TRUE(state.schedulerInstalled);

  // Time stamps from "/T", except for SETUP.DAT.
  EXPECT_EQ(files.Find("C:\\TAPE\\SETUP.DAT")->time, -1);
  EXPECT_EQ(files.Find("C:\\TAPE\\UNINSTAL.EXE")->time, 820454400);
  EXPECT_EQ(files.Find("C:\\TAPE\\DOCS\\README.TXT")->time, 820454401);
  EXPECT_EQ(files.Find("C:\\WINDOWS\\SYSTEM\\ZEMA.VXD")->time, 9);

  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "C:\\TAPE\\SETUP.DAT", "C:\\TAPE\\UNINSTAL.EXE", "C:\\TAPE\\DOCS\\README.TXT",
                            "C:\\TAPE\\RENAMED.EXE", "C:\\WINDOWS\\SYSTEM\\ZEMA.VXD",
                            "C:\\WINDOWS\\LFNBK.EXE", "C:\\TAPE\\SCD.EXE"}));
  CheckLogAndTouchedPaths({"C:\\WINDOWS\\LFNBK.EXE"});

  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].text, "Please insert disk #2");
  EXPECT_EQ(ui.boxes[0].owner, ScriptedUi::kDialog);
  EXPECT_EQ(ui.boxes[1].caption, "Disk Error");
  EXPECT_EQ(ui.boxes[2].caption, "Next Diskette Needed");
  EXPECT_TRUE(ui.dialogShown);
  EXPECT_TRUE(CompletionShown());
  EXPECT_EQ(ui.timerMessages, 2);
  EXPECT_EQ(state.fileCount, 9);
}

TEST_F(CopyEngineTest, PlatformRestrictionOnWindowsNt) {
  state.windowsNt = true;
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}, {"C.TXT", "c"}});
  List({"A.TXT,/D1 /P95", "B.TXT,/D1 /PNT", "C.TXT,/D1"});
  state.fileCount = 3;
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\B.TXT"));
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\C.TXT"));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"C:\\TAPE\\B.TXT", "C:\\TAPE\\C.TXT"}));
}

TEST_F(CopyEngineTest, PassedOverLastEntryStillEndsTheDisk) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}, {"NT.TXT", "n"}});
  List({"A.TXT,/D1", "NT.TXT,/D1 /PNT", "B.TXT,/D2"});
  ui.answer = [&](const Box& b) {
    if (b.caption == "Next Diskette Needed") Insert({{"DISK.002", ""}, {"B.TXT", "b"}});
    return 0;
  };
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\B.TXT"));
}

TEST_F(CopyEngineTest, EmptyDiskTableEndsCopyingThere) {
  state.values.mct = "3";
  Insert({{"DISK.001", ""}});
  List({"DISK.001,/D1", "B.TXT,/D2"});
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_TRUE(ui.boxes.empty());  // disk 2 is never asked for
  EXPECT_TRUE(LogLines().empty());
  EXPECT_TRUE(files.IsFile(kLog));
  EXPECT_TRUE(CompletionShown());
}

// ---------------------------------------------------------------- failures

TEST_F(CopyEngineTest, MissingFileOnDiskOne) {
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "GONE.TXT,/D1"});
  EXPECT_EQ(Run(), kCopyFailed);
  ASSERT_GE(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "Listed file GONE.TXT not found! Exiting.");
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_TRUE(CompletionShown());  // the completion display still runs
  CheckLogAndTouchedPaths();
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(CopyEngineTest, MissingFileOnDiskTwo) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "B.TXT,/D2", "GONE.TXT,/D2"});
  ui.answer = [&](const Box& b) {
    if (b.caption == "Next Diskette Needed") Insert({{"DISK.002", ""}, {"B.TXT", "b"}});
    return 0;
  };
  EXPECT_EQ(Run(), kCopyFailed);
  EXPECT_EQ(ui.BoxesWithCaption("Program Error").size(), 1u);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\B.TXT"));
  CheckLogAndTouchedPaths();
  EXPECT_EQ(LogLines(), std::vector<std::string>{"C:\\TAPE\\A.TXT"});
}

TEST_F(CopyEngineTest, CancelOnDiskErrorFails) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "B.TXT,/D2"});
  ui.answer = [](const Box& b) { return b.caption == "Disk Error" ? platform::answer::kCancel : 0; };
  EXPECT_EQ(Run(), kCopyFailed);
  EXPECT_EQ(ui.BoxesWithCaption("Continue Installing?").size(), 0u);
  EXPECT_TRUE(CompletionShown());
  CheckLogAndTouchedPaths();
}

struct TransferErrorCase {
  const char* what;
  int answer;  // to "Continue Installing?"
  int result;
  friend std::ostream& operator<<(std::ostream& os, const TransferErrorCase& c) { return os << c.what; }
};

class TransferErrorTest : public CopyEngineTest, public ::testing::WithParamInterface<TransferErrorCase> {
 protected:
  void AnswerContinue() {
    ui.answer = [this](const Box& b) {
      return b.caption == "Continue Installing?" ? GetParam().answer : 0;
    };
  }
};

TEST_P(TransferErrorTest, TruncatedCompressedFileIsAReadError) {
  std::string whole = Compressed(Bytes(20000, 9), 'L');
  Insert({{"BAD.DL_", whole.substr(0, whole.size() / 2)}, {"NEXT.TXT", "n"}});
  List({"BAD.DL_,/D1", "NEXT.TXT,/D1"});
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "There was an error reading a file.\nA:\\BAD.DL_");
  EXPECT_EQ(errors[0].owner, ScriptedUi::kDialog);
  EXPECT_EQ(errors[0].flags & platform::mb::kIconMask, platform::mb::kIconError);
  // Copying went on with the next entry.
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\NEXT.TXT"));
  auto ask = ui.BoxesWithCaption("Continue Installing?");
  ASSERT_EQ(ask.size(), 1u);
  EXPECT_EQ(ask[0].flags, platform::mb::kYesNo | platform::mb::kIconQuestion);
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, FailingReadIsAReadErrorWithTheUpperCaseSourcePath) {
  Insert({{"bad.txt", "x"}, {"NEXT.TXT", "n"}});
  List({"bad.txt,/D1", "NEXT.TXT,/D1"});
  lz.failReads.insert("A:\\BAD.TXT");
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "There was an error reading a file.\nA:\\BAD.TXT");
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\NEXT.TXT"));
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, ReadOnlyTargetStopsCopying) {
  state.values.mct = "2";
  files.PutFile("C:\\TAPE\\B.TXT", "old");
  files.nodes["C:\\TAPE\\B.TXT"].attributes = platform::attr::kReadOnly;
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}, {"C.TXT", "c"}});
  List({"A.TXT,/D1", "B.TXT,/D1", "C.TXT,/D1", "D.TXT,/D2"});
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, "There was an error writing a file.\nC:\\TAPE\\B.TXT");
  EXPECT_EQ(files.Data("C:\\TAPE\\B.TXT"), "old");
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\C.TXT"));
  EXPECT_EQ(ui.BoxesWithCaption("Next Diskette Needed").size(), 0u);  // later disks not asked for
  EXPECT_FALSE(CompletionShown());  // stopped: no completion display
  EXPECT_EQ(ui.timerMessages, 0);
  // The file that could not be created is logged too.
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"C:\\TAPE\\A.TXT", "C:\\TAPE\\B.TXT"}));
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, DirectoryInTheWayStopsCopying) {
  files.nodes["C:\\TAPE\\A.TXT"].directory = true;
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}});
  List({"A.TXT,/D1", "B.TXT,/D1"});
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  EXPECT_EQ(ui.BoxesWithCaption("Program error").size(), 1u);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\B.TXT"));
  EXPECT_EQ(LogLines(), std::vector<std::string>{"C:\\TAPE\\A.TXT"});
  CheckLogAndTouchedPaths();
}

TEST_P(TransferErrorTest, DiskFullMidwayReportsEveryFailingBlock) {
  // 12000 bytes are three blocks; the disk holds the log line and a bit
  // more than one block, so the second and third block fail.
  const std::string big = Bytes(12000, 11);
  Insert({{"BIG.DA_", Compressed(big, 'T')}, {"SMALL.TXT", "s"}});
  List({"BIG.DA_,/D1", "SMALL.TXT,/D1"});
  files.freeOnC = 6000;
  AnswerContinue();
  EXPECT_EQ(Run(), GetParam().result);
  auto errors = ui.BoxesWithCaption("Program error");
  ASSERT_EQ(errors.size(), 2u);
  for (const Box& b : errors) EXPECT_EQ(b.text, "There was an error writing a file.\nC:\\TAPE\\BIG.DAT");
  EXPECT_EQ(files.Data("C:\\TAPE\\BIG.DAT"), big.substr(0, 5120));
  CheckLogAndTouchedPaths();
}

INSTANTIATE_TEST_SUITE_P(ContinueOrNot, TransferErrorTest,
                         ::testing::Values(TransferErrorCase{"yes", platform::answer::kYes, kCopyDone},
                                           TransferErrorCase{"no", platform::answer::kNo, kCopyCancelled}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(CopyEngineTest, CancelMidFileAnsweredNoThenYes) {
  const std::string big = Bytes(30000, 12);  // six blocks
  Insert({{"A.TXT", "a"}, {"BIG.BIN", big}, {"C.TXT", "c"}});
  List({"A.TXT,/D1", "BIG.BIN,/D1", "C.TXT,/D1"});
  // Cancel is pressed during the second block of BIG.BIN (answered No) and
  // during its fourth (answered Yes).
  int pumps = 0;
  ui.onPump = [&] {
    ++pumps;
    if (pumps == 3 || pumps == 5) ui.PressCancel();
  };
  int confirmations = 0;
  ui.answer = [&](const Box& b) {
    if (b.caption != "Confirm Cancel") return 0;
    EXPECT_EQ(b.owner, ScriptedUi::kDialog);
    return ++confirmations == 1 ? platform::answer::kNo : platform::answer::kYes;
  };
  EXPECT_EQ(Run(), kCopyCancelled);
  EXPECT_EQ(confirmations, 2);
  // The file being copied keeps what was written and is logged.
  EXPECT_EQ(files.Data("C:\\TAPE\\BIG.BIN"), big.substr(0, 4 * 5120));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\C.TXT"));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"C:\\TAPE\\A.TXT", "C:\\TAPE\\BIG.BIN"}));
  EXPECT_FALSE(CompletionShown());
  EXPECT_EQ(ui.timerMessages, 0);
  EXPECT_EQ(ui.BoxesWithCaption("Continue Installing?").size(), 0u);
  CheckLogAndTouchedPaths();
}

TEST_F(CopyEngineTest, FileCountTooSmallFreezesTheFilesBar) {
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}, {"C.TXT", "c"}});
  List({"A.TXT,/D1", "B.TXT,/D1", "C.TXT,/D1"});
  state.fileCount = 1;
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_EQ(LastStatus(), "Copying:\nC:\\TAPE\\B.TXT");  // frozen after the first file
  EXPECT_FALSE(CompletionShown());
  EXPECT_EQ(ui.timerMessages, 2);  // the wait still happens
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\C.TXT"));
}

TEST_F(CopyEngineTest, SubDirectoryThatCannotBeCreatedFails) {
  Insert({{"A.TXT", "a"}, {"B.TXT", "b"}});
  List({"A.TXT,/D1", "B.TXT,/D1 /XNOPARENT\\SUB"});
  EXPECT_EQ(Run(), kCopyFailed);
  auto boxes = ui.BoxesWithCaption("Cannot create directory");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "C:\\TAPE\\NOPARENT\\SUB");
  EXPECT_EQ(boxes[0].owner, ScriptedUi::kDialog);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\A.TXT"));  // the files copied so far stay
  EXPECT_TRUE(CompletionShown());
  CheckLogAndTouchedPaths();
}

TEST_F(CopyEngineTest, LogThatCannotBeCreatedFailsBeforeCopying) {
  files.nodes["C:\\TAPE\\UNINST.LST"].directory = true;
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1"});
  EXPECT_EQ(Run(), kCopyFailed);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "There was an error writing a file.\nC:\\TAPE\\UNINST.LST");
  EXPECT_EQ(ui.boxes[0].owner, kBackground);
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_FALSE(ui.dialogShown);
}

// ---------------------------------------------------------------- hostile disks

TEST_F(CopyEngineTest, HostileLinesStopTheirDiskBeforeAnythingIsCopied) {
  const char* hostile[] = {
      "EVIL.TXT,/D1 /R..\\..\\AUTOEXEC.BAT", "EVIL.TXT,/D1 /X..\\..\\WINDOWS", "EVIL.TXT,/D1 /XC:\\WINDOWS",
      "EVIL.TXT,/D1 /X\\WINDOWS",           "EVIL.TXT,/D1 /RC:EVIL.EXE",    "..\\EVIL.TXT,/D1",
      "EVIL.TXT,/D1 /RTOOLONGNAME.EXE",     "EVIL.TXT,/D1 /R\\EVIL.EXE",
      "EVIL.TXT,/D1 /RUninst.Lst",  // would replace the log
  };
  for (const char* line : hostile) {
    SCOPED_TRACE(line);
    files = MemoryFiles();
    ui.boxes.clear();
    ui.statusTexts.clear();
    state.fileList.clear();
    Insert({{"A.TXT", "a"}, {"EVIL.TXT", "e"}});
    List({"A.TXT,/D1", line});
    EXPECT_EQ(Run(), kCopyFailed);
    auto boxes = ui.BoxesWithCaption("Program Error");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("EVIL.TXT"), std::string::npos);
    EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));  // checked before anything was copied
    EXPECT_TRUE(LogLines().empty());
    CheckLogAndTouchedPaths();
  }
}

TEST_F(CopyEngineTest, HostileLineOnDiskTwoStopsThatDisk) {
  state.values.mct = "2";
  Insert({{"A.TXT", "a"}});
  List({"A.TXT,/D1", "B.TXT,/D2", "C.TXT,/D2 /X..\\.."});
  ui.answer = [&](const Box& b) {
    if (b.caption == "Next Diskette Needed") Insert({{"DISK.002", ""}, {"B.TXT", "b"}, {"C.TXT", "c"}});
    return 0;
  };
  EXPECT_EQ(Run(), kCopyFailed);
  EXPECT_TRUE(files.IsFile("C:\\TAPE\\A.TXT"));
  EXPECT_FALSE(files.IsFile("C:\\TAPE\\B.TXT"));
  EXPECT_EQ(LogLines(), std::vector<std::string>{"C:\\TAPE\\A.TXT"});
  CheckLogAndTouchedPaths();
}

TEST_F(CopyEngineTest, HostileNameInACompressedHeaderIsRefused) {
  for (char lastChar : {'\\', ':', '/'}) {
    SCOPED_TRACE(lastChar);
    files = MemoryFiles();
    ui.boxes.clear();
    state.fileList.clear();
    // "EVIL._" expands to "EVIL.\" and the like: not a plain name.
    Insert({{"A.TXT", "a"}, {"EVIL._", Compressed("evil", lastChar)}});
    List({"A.TXT,/D1", "EVIL._,/D1"});
    EXPECT_EQ(Run(), kCopyFailed);
    EXPECT_EQ(ui.BoxesWithCaption("Program Error").size(), 1u);
    EXPECT_FALSE(files.IsFile("C:\\TAPE\\A.TXT"));
    CheckLogAndTouchedPaths();
  }
}

TEST_F(CopyEngineTest, InstallNameWinsOverTheCompressedHeader) {
  Insert({{"EVIL._", Compressed("data", '\\')}});
  List({"EVIL._,/D1 /RGOOD.DAT"});
  EXPECT_EQ(Run(), kCopyDone);
  EXPECT_EQ(files.Data("C:\\TAPE\\GOOD.DAT"), "data");
}

}  // namespace
}  // namespace install
