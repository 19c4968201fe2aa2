// The classic save-file dialog of the simulated machine (Ui::GetSaveFileName
// and the scenario's opening of an item of its directory list): a dialog
// the system makes and runs itself, kept apart from the window system of
// sim_ui.cpp that it runs on.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ui.h"

namespace sim {
namespace {

using platform::WindowHandle;

// Control ids of the classic common file dialog (the system's, as in its
// templates): the current directory text, the directory list, the file
// name edit.
constexpr int kCurrentDirText = 1088;
constexpr int kDirectoryList = 1121;
constexpr int kFileNameEdit = 1152;

// The classic save-file dialog as the system runs it: the directories of
// the current directory in the directory list ("[..]" and "[name]", sorted
// without regard to case), the current directory in its text, and the
// program's hook called at initialisation and before each paint.
class SimFileDialog : public platform::DialogHandler {
 public:
  SimFileDialog(SimUi& ui, platform::FileSystem& files, int templateId,
                platform::FileDialogHook& hook)
      : DialogHandler(templateId), ui_(ui), files_(files), hook_(hook) {}

  bool OnInitDialog(WindowHandle dialog) override {
    Scan(dialog);
    hook_.OnInitDialog(dialog);
    return false;
  }
  bool OnPaint(WindowHandle dialog, platform::Painter&) override {
    hook_.OnPaint(dialog);
    return false;
  }
  bool OnCommand(WindowHandle dialog, int id, int) override {
    if (id == platform::cmd::kOk) {
      const std::string dir = files_.GetCurrentDirectory();
      const std::string name = ui_.GetItemText(dialog, kFileNameEdit);
      if (name.empty()) return true;  // no file name: OK does nothing
      result_ = dir + (dir.size() > 3 ? "\\" : "") + name;
      ui_.EndDialog(dialog, platform::cmd::kOk);
      return true;
    }
    if (id == platform::cmd::kCancel) {
      ui_.EndDialog(dialog, platform::cmd::kCancel);
      return true;
    }
    return true;  // Help and the rest do nothing here
  }

  // A double click on an item of the directory list: enters it. False
  // when there is no such item.
  bool Open(WindowHandle dialog, const std::string& item) {
    if (std::find(items_.begin(), items_.end(), item) == items_.end()) return false;
    std::string name = item;
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
      name = name.substr(1, name.size() - 2);
    }
    files_.SetCurrentDirectory(name + "\\");
    Scan(dialog);
    return true;
  }
  std::string Items() const {
    std::string out;
    for (const std::string& i : items_) out += (out.empty() ? "" : ", ") + i;
    return out.empty() ? "none" : out;
  }
  const std::string& result() const { return result_; }

 private:
  void Scan(WindowHandle dialog) {
    std::string dir = files_.GetCurrentDirectory();
    std::vector<platform::FindData> found;
    files_.FindFiles(dir + (dir.size() > 0 && dir.back() == '\\' ? "" : "\\") + "*.*", &found);
    items_.clear();
    for (const platform::FindData& f : found) {
      if ((f.attributes & platform::attr::kDirectory) == 0 || f.name == ".") continue;
      items_.push_back("[" + f.name + "]");
    }
    std::sort(items_.begin(), items_.end(), [](const std::string& a, const std::string& b) {
      return FoldCase(a) < FoldCase(b);
    });
    std::string shown = dir;
    for (char& ch : shown) {
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    ui_.SetItemText(dialog, kCurrentDirText, shown);
  }

  SimUi& ui_;
  platform::FileSystem& files_;
  platform::FileDialogHook& hook_;
  std::vector<std::string> items_;
  std::string result_;
};

}  // namespace

bool SimUi::GetSaveFileName(WindowHandle owner, int templateId, std::uint32_t,
                            platform::FileDialogHook& hook, std::string* path) {
  if (files_ == nullptr) Abort("the simulated machine has no files for the file dialog");
  SimFileDialog dialog(*this, *files_, templateId, hook);
  if (RunModal(owner, dialog) != platform::cmd::kOk) return false;
  if (path != nullptr) *path = dialog.result();
  return true;
}

SimUi::ListOpen SimUi::OpenListItem(WindowHandle dialog, int controlId, const std::string& item,
                                    std::string* items) {
  Window* w = Find(dialog);
  auto* fileDialog = w != nullptr ? dynamic_cast<SimFileDialog*>(w->handler) : nullptr;
  if (fileDialog == nullptr || controlId != kDirectoryList) return ListOpen::kNoList;
  if (fileDialog->Open(dialog, item)) return ListOpen::kDone;
  if (items != nullptr) *items = fileDialog->Items();
  return ListOpen::kNoItem;
}

}  // namespace sim
