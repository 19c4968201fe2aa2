// The simulated window system: windows and controls made from the dialog
// templates, modal loops, message boxes, the message queue, virtual time and
// its timers, painting, list boxes, placement, and the calls the scripted
// user makes (typing, clicking, reading).
//
// Over 700 lines because each of those parts reads and changes the one
// table of windows and their controls the class keeps; split by part, each
// file would need that table's whole interior. The save-file dialog the
// system runs itself is in sim_file_dialog.cpp.
#include "platform/sim/sim_ui.h"

#include <algorithm>
#include <cstdio>

#include "platform/dialog.h"
#include "platform/sim/sim_files.h"
#include "text/text.h"

namespace sim {
namespace {

using platform::WindowHandle;

constexpr int kEnChange = 0x300;

// Whether a comes before b in a sorted list box: without regard to case
// (ASCII letters; Windows compares by the user's locale, which agrees for
// names of letters, digits and blanks).
bool ListBefore(const std::string& a, const std::string& b) {
  return text::ToLowerAscii(a) < text::ToLowerAscii(b);
}
constexpr std::uint64_t kMaxVirtualMs = 24ull * 3600 * 1000;
constexpr std::uint64_t kMaxPumps = 50'000'000;
constexpr int kMaximizedWidth = 1024;
constexpr int kMaximizedHeight = 742;
constexpr int kDesktopWidth = 1024;
constexpr int kDesktopHeight = 768;

std::string Color(platform::Color c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<unsigned>(c & 0xFF),
                static_cast<unsigned>((c >> 8) & 0xFF), static_cast<unsigned>((c >> 16) & 0xFF));
  return buf;
}

std::string RectText(const platform::Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// Dialog units of "MS Sans Serif" 8 to pixels.
int DluX(int v) { return v * 3 / 2; }
int DluY(int v) { return v * 13 / 8; }

class RecordingPainter : public platform::Painter {
 public:
  RecordingPainter(std::vector<PaintOp>* ops, const Resources* resources, int templateId,
                   int controlId, platform::Rect client)
      : ops_(ops), resources_(resources), templateId_(templateId), controlId_(controlId),
        client_(client) {}
  platform::Rect ClientRect() override { return client_; }
  void FillSolid(const platform::Rect& r, platform::Color c) override {
    Add("fill " + RectText(r) + " " + Color(c));
  }
  void FrameRect(const platform::Rect& r, platform::Color c) override {
    Add("frame " + RectText(r) + " " + Color(c));
  }
  bool BitmapSize(int bitmapId, platform::Size* out) override {
    return resources_ != nullptr && resources_->BitmapSize(bitmapId, out);
  }
  bool DrawBitmap(int bitmapId, int x, int y, platform::Rop rop) override {
    platform::Size size;
    if (!BitmapSize(bitmapId, &size)) return false;
    const char* name = rop == platform::Rop::kSrcCopy  ? "srccopy"
                       : rop == platform::Rop::kSrcAnd ? "srcand"
                                                       : "mergepaint";
    Add("bitmap " + std::to_string(bitmapId) + " " + std::to_string(x) + "," + std::to_string(y) +
        " " + name);
    return true;
  }
  platform::Size TextExtent(const std::string& text) override {
    return {static_cast<int>(text.size()) * 6, 13};
  }
  void DrawTextClipped(int x, int y, const platform::Rect& clip, const std::string& text,
                       platform::Color textColor, platform::Color backColor) override {
    Add("text " + std::to_string(x) + "," + std::to_string(y) + " clip=" + RectText(clip) +
        " fg=" + Color(textColor) + " bg=" + Color(backColor) + " " +
        text::Quote(text::Cp1252ToUtf8(text)));
  }
  bool DrawIcon(int iconId, int x, int y) override {
    if (resources_ == nullptr || !resources_->HasIcon(iconId)) return false;
    Add("icon " + std::to_string(iconId) + " " + std::to_string(x) + "," + std::to_string(y));
    return true;
  }
  void DefaultPaint() override { Add("defaultpaint"); }

 private:
  void Add(std::string op) { ops_->push_back(PaintOp{templateId_, controlId_, std::move(op)}); }
  std::vector<PaintOp>* ops_;
  const Resources* resources_;
  int templateId_;
  int controlId_;
  platform::Rect client_;
};

}  // namespace

namespace {

// A control the program addresses in a dialog of an unknown template.
SimUi::Control NewControl(int controlId) {
  SimUi::Control c;
  c.id = controlId;
  return c;
}

}  // namespace

SimUi::SimUi() = default;
SimUi::~SimUi() = default;

SimUi::Window* SimUi::Find(WindowHandle h) {
  auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : &it->second;
}

int SimUi::TemplateOf(WindowHandle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? 0 : it->second.templateId;
}

std::size_t SimUi::CountWindows(int templateId) const {
  std::size_t count = 0;
  for (const auto& [h, w] : windows_) count += w.templateId == templateId ? 1 : 0;
  return count;
}

void SimUi::Abort(const std::string& message) { throw RunAborted(message); }

std::string SimUi::DescribeNext() const {
  return user_ != nullptr ? user_->DescribeNext() : std::string("no user answers it");
}

WindowHandle SimUi::Create(WindowHandle owner, platform::DialogHandler& handler, bool modal) {
  const int templateId = handler.TemplateId();
  Window w;
  w.templateId = templateId;
  w.owner = Find(owner) ? owner : platform::kNoWindow;
  w.handler = &handler;
  w.modal = modal;
  bool visible = true;
  const DialogResource* t = resources_ != nullptr ? resources_->FindDialog(templateId) : nullptr;
  if (t != nullptr) {
    w.knownTemplate = true;
    w.title = t->caption;
    w.cx = DluX(t->cx);
    w.cy = DluY(t->cy);
    visible = t->visible;
    int order = 0;
    for (const ControlResource& c : t->controls) {
      Control control;
      control.order = order++;
      control.enabled = c.enabled;
      control.check = c.check;
      control.groupStart = c.groupStart;
      control.id = c.id;
      control.text = c.text;
      control.cx = DluX(c.cx);
      control.cy = DluY(c.cy);
      control.list = c.list;
      control.visible = c.visible;
      control.pushButton = c.pushButton;
      control.defaultButton = c.defaultButton;
      w.controls[c.id] = control;
    }
  }
  // Windows start where the template puts them; templates here are at
  // 0,0 or centred: the simulated machine centres them all.
  w.x = (kDesktopWidth - w.cx) / 2;
  w.y = (kDesktopHeight - w.cy) / 2;
  WindowHandle h = nextWindow_;
  nextWindow_ += 0x10;
  windows_[h] = w;
  handler.OnInitDialog(h);
  Window* created = Find(h);
  if (created != nullptr && (modal || visible) && !created->visible) ShowWindow(h, platform::sw::kShow);
  return h;
}

int SimUi::MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                      std::uint32_t flags) {
  PaintPending();
  if (user_ == nullptr) {
    Abort("unexpected window: message box caption=" + text::Quote(text::Cp1252ToUtf8(caption)) +
          " (no user answers it)");
  }
  return user_->AnswerMessageBox(*this, owner, text, caption, flags);
}

int SimUi::RunModal(WindowHandle owner, platform::DialogHandler& handler) {
  const int templateId = handler.TemplateId();
  Window* ownerWindow = Find(owner);
  bool ownerWasEnabled = ownerWindow != nullptr && ownerWindow->enabled;
  if (ownerWindow != nullptr) ownerWindow->enabled = false;
  WindowHandle h = Create(owner, handler, true);
  for (;;) {
    Window* w = Find(h);
    if (w == nullptr || w->ended) break;
    PaintPending();
    if (user_ != nullptr && user_->ModalDialogWaits(*this, h)) continue;
    w = Find(h);
    if (w == nullptr || w->ended) break;
    if (now_ > kMaxVirtualMs) {
      Abort("dialog " + std::to_string(templateId) +
            " is still open after 24 hours of virtual time; " + DescribeNext());
    }
    if (FireNextTimer()) continue;
    if (user_ != nullptr) Abort(user_->WhyModalDialogWaits(*this, h));
    Abort("unexpected window: dialog " + std::to_string(templateId) + " waits for the user; " +
          DescribeNext());
  }
  Window* w = Find(h);
  int result = w != nullptr ? w->result : 2;
  DestroyWindow(h);
  ownerWindow = Find(owner);
  if (ownerWindow != nullptr && ownerWasEnabled) ownerWindow->enabled = true;
  return result;
}

WindowHandle SimUi::CreateModeless(WindowHandle owner, platform::DialogHandler& handler) {
  return Create(owner, handler, false);
}

void SimUi::EndDialog(WindowHandle dialog, int result) {
  if (Window* w = Find(dialog)) {
    w->ended = true;
    w->result = result;
    if (!w->modal) w->visible = false;
  }
}

void SimUi::DestroyWindow(WindowHandle window) {
  Window* w = Find(window);
  if (w == nullptr) return;
  // Owned windows go first, as on Windows.
  std::vector<WindowHandle> owned;
  for (const auto& [h, other] : windows_) {
    if (other.owner == window) owned.push_back(h);
  }
  for (WindowHandle h : owned) DestroyWindow(h);
  w = Find(window);
  if (w == nullptr) return;
  int templateId = w->templateId;
  bool modal = w->modal;
  if (w->handler != nullptr) w->handler->OnDestroy(window);
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window; }),
                timers_.end());
  windows_.erase(window);
  if (mainWindow_ == window) mainWindow_ = platform::kNoWindow;
  if (user_ != nullptr) user_->DialogDestroyed(*this, window, templateId, modal);
}

void SimUi::SetWindowText(WindowHandle window, const std::string& text) {
  if (Window* w = Find(window)) {
    w->title = text;
  }
}

std::string SimUi::GetWindowText(WindowHandle window) {
  Window* w = Find(window);
  return w != nullptr ? w->title : std::string();
}

SimUi::Control* SimUi::AddressedControl(WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w == nullptr) return nullptr;
  auto it = w->controls.find(controlId);
  if (it == w->controls.end()) {
    if (w->knownTemplate) return nullptr;  // no such control: the call fails
    it = w->controls.emplace(controlId, NewControl(controlId)).first;
  }
  return &it->second;
}

void SimUi::SetItemText(WindowHandle dialog, int controlId, const std::string& text) {
  if (Control* c = AddressedControl(dialog, controlId)) {
    c->text = text;
    c->invalid = true;
  }
}

std::string SimUi::GetItemText(WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w == nullptr) return "";
  auto it = w->controls.find(controlId);
  return it == w->controls.end() ? std::string() : it->second.text;
}

bool SimUi::EnableWindow(WindowHandle window, bool enable) {
  Window* w = Find(window);
  if (w == nullptr) return false;
  bool wasDisabled = !w->enabled;
  w->enabled = enable;
  return wasDisabled;
}

bool SimUi::IsWindowEnabled(WindowHandle window) {
  Window* w = Find(window);
  return w != nullptr && w->enabled;
}

void SimUi::EnableItem(WindowHandle dialog, int controlId, bool enable) {
  if (Control* c = AddressedControl(dialog, controlId)) c->enabled = enable;
}

void SimUi::ShowWindow(WindowHandle window, int command) {
  Window* w = Find(window);
  if (w == nullptr) return;
  if (command == platform::sw::kHide) {
    w->visible = false;
    return;
  }
  bool wasVisible = w->visible;
  bool wasMaximized = w->maximized;
  w->visible = true;
  if (command == platform::sw::kShowMaximized) w->maximized = true;
  if (command == platform::sw::kShowNormal) w->maximized = false;
  if (w->maximized) {
    w->cx = kMaximizedWidth;
    w->cy = kMaximizedHeight;
  }
  if (!wasVisible || wasMaximized != w->maximized) {
    w->invalid = true;
    for (auto& [id, c] : w->controls) c.invalid = true;
  }
  if (!w->shownOnce) {
    w->shownOnce = true;
    if (!w->modal && user_ != nullptr) user_->ModelessDialogShown(*this, window);
  }
}

void SimUi::SetTopmostAndShow(WindowHandle window) {
  Window* w = Find(window);
  if (w == nullptr) return;
  // SWP_SHOWWINDOW keeps the window's size and state.
  ShowWindow(window, w->maximized ? platform::sw::kShowMaximized : platform::sw::kShow);
}

WindowHandle SimUi::GetOwner(WindowHandle window) {
  Window* w = Find(window);
  return w != nullptr ? w->owner : platform::kNoWindow;
}

void SimUi::OwnControlPaint(WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w == nullptr) return;
  auto it = w->controls.find(controlId);
  if (it == w->controls.end()) {
    it = w->controls.emplace(controlId, NewControl(controlId)).first;
  }
  it->second.ownPaint = true;
  it->second.invalid = true;
}

void SimUi::InvalidateItem(WindowHandle dialog, int controlId, bool) {
  Window* w = Find(dialog);
  if (w == nullptr) return;
  auto it = w->controls.find(controlId);
  if (it != w->controls.end()) it->second.invalid = true;
}

void SimUi::UpdateItem(WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w == nullptr || !w->visible) return;
  auto it = w->controls.find(controlId);
  if (it != w->controls.end() && it->second.invalid && it->second.ownPaint && it->second.visible)
    PaintControl(dialog, controlId);
}

bool SimUi::SetTimer(WindowHandle window, int timerId, std::uint32_t milliseconds) {
  if (Find(window) == nullptr) return false;
  std::uint32_t period = std::max<std::uint32_t>(milliseconds, 10);  // USER_TIMER_MINIMUM
  for (Timer& t : timers_) {
    if (t.window == window && t.id == timerId) {
      t.period = period;
      t.due = now_ + period;
      return true;
    }
  }
  timers_.push_back(Timer{window, timerId, period, now_ + period});
  return true;
}

void SimUi::KillTimer(WindowHandle window, int timerId) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window && t.id == timerId; }),
                timers_.end());
}

bool SimUi::FireDueTimers() {
  std::vector<std::pair<WindowHandle, int>> due;
  for (Timer& t : timers_) {
    if (t.due <= now_) {
      due.emplace_back(t.window, t.id);
      t.due = now_ + t.period;
    }
  }
  for (const auto& [h, id] : due) {
    Window* w = Find(h);
    if (w != nullptr && w->handler != nullptr) w->handler->OnTimer(h, id);
  }
  return !due.empty();
}

void SimUi::LetTimePass(std::uint64_t milliseconds) {
  const std::uint64_t until = now_ + milliseconds;
  for (;;) {
    auto next = std::min_element(timers_.begin(), timers_.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; });
    if (next == timers_.end() || next->due > until) break;
    FireNextTimer();
  }
  now_ = std::max(now_, until);
}

bool SimUi::FireNextTimer() {
  if (timers_.empty()) return false;
  auto next = std::min_element(timers_.begin(), timers_.end(),
                               [](const Timer& a, const Timer& b) { return a.due < b.due; });
  now_ = std::max(now_, next->due);
  return FireDueTimers();
}

void SimUi::PumpMessages(WindowHandle) {
  if (++pumps_ > kMaxPumps) Abort("the program pumps messages without end");
  PaintPending();
  FireDueTimers();
  if (user_ != nullptr) user_->ModelessDialogsOpen(*this);
}

void SimUi::RunMessagesUntil(const std::function<bool()>& done) {
  for (;;) {
    PaintPending();
    if (done()) return;
    if (user_ != nullptr && user_->ModelessDialogsOpen(*this)) continue;
    if (done()) return;
    if (now_ > kMaxVirtualMs) Abort("the program waited for 24 hours of virtual time");
    if (!FireNextTimer()) {
      Abort("the program waits for messages, but no timer runs; " + DescribeNext());
    }
  }
}

void SimUi::PaintPending() {
  std::vector<WindowHandle> handles;
  for (const auto& [h, w] : windows_) handles.push_back(h);
  for (WindowHandle h : handles) {
    Window* w = Find(h);
    if (w == nullptr || !w->visible) continue;
    if (w->invalid) PaintWindow(h);
    std::vector<int> controls;
    w = Find(h);
    if (w == nullptr) continue;
    for (const auto& [id, c] : w->controls) {
      // A hidden control gets no paint message; it is painted once shown.
      if (c.ownPaint && c.invalid && c.visible) controls.push_back(id);
    }
    for (int id : controls) PaintControl(h, id);
  }
}

void SimUi::PaintWindow(WindowHandle h) {
  Window* w = Find(h);
  if (w == nullptr) return;
  w->invalid = false;
  RecordingPainter painter(&paintOps_, resources_, w->templateId, 0, platform::Rect{0, 0, w->cx, w->cy});
  if (w->handler == nullptr || !w->handler->OnPaint(h, painter)) painter.DefaultPaint();
}

void SimUi::PaintControl(WindowHandle h, int controlId) {
  Window* w = Find(h);
  if (w == nullptr) return;
  auto it = w->controls.find(controlId);
  if (it == w->controls.end()) return;
  it->second.invalid = false;
  RecordingPainter painter(&paintOps_, resources_, w->templateId, controlId,
                           platform::Rect{0, 0, it->second.cx, it->second.cy});
  if (w->handler != nullptr) w->handler->OnPaintControl(h, controlId, painter);
}

WindowHandle SimUi::FindOpenDialog(int templateId, WindowHandle modal) const {
  if (modal != platform::kNoWindow) {
    auto m = windows_.find(modal);
    if (m != windows_.end() && !m->second.ended && m->second.templateId == templateId) return modal;
  }
  for (const auto& [h, w] : windows_) {
    if (!w.modal && !w.ended && w.templateId == templateId) return h;
  }
  return platform::kNoWindow;
}

bool SimUi::HasControl(WindowHandle dialog, int controlId) const {
  auto it = windows_.find(dialog);
  if (it == windows_.end()) return false;
  return !it->second.knownTemplate || it->second.controls.count(controlId) != 0;
}

void SimUi::TypeText(WindowHandle dialog, int controlId, const std::string& text) {
  SetItemText(dialog, controlId, text);
  Window* w = Find(dialog);
  if (w != nullptr && w->handler != nullptr) w->handler->OnCommand(dialog, controlId, kEnChange);
}

SimUi::Click SimUi::PressButton(WindowHandle h, int controlId) {
  Window* w = Find(h);
  if (w == nullptr) return Click::kDone;
  if (!w->enabled) return Click::kDialogDisabled;
  auto it = w->controls.find(controlId);
  if (it == w->controls.end() && w->knownTemplate) return Click::kNoControl;
  if (it != w->controls.end() && !it->second.enabled) return Click::kControlDisabled;
  if (it != w->controls.end()) ClickCheckButton(*w, it->second);
  SendCommand(h, controlId);
  return Click::kDone;
}

void SimUi::SendCommand(WindowHandle h, int controlId) {
  Window* w = Find(h);
  if (w == nullptr) return;
  bool handled = w->handler != nullptr && w->handler->OnCommand(h, controlId, 0);
  w = Find(h);
  if (!handled && w != nullptr) platform::DefaultCommand(*this, h, w->modal, controlId);
}

void SimUi::ClickCheckButton(Window& w, Control& c) {
  if (c.check == CheckStyle::kAutoCheckBox) {
    c.checked = !c.checked;
    c.invalid = true;
    return;
  }
  if (c.check != CheckStyle::kAutoRadio) return;
  // The controls in template order; the group is the run of radio buttons
  // around the clicked one, split where one starts a group.
  std::vector<Control*> ordered;
  for (auto& [id, other] : w.controls) ordered.push_back(&other);
  std::sort(ordered.begin(), ordered.end(),
            [](const Control* a, const Control* b) { return a->order < b->order; });
  auto at = std::find(ordered.begin(), ordered.end(), &c);
  auto first = at;
  while (!(*first)->groupStart && first != ordered.begin() &&
         (*(first - 1))->check == CheckStyle::kAutoRadio) {
    --first;
  }
  for (auto i = first; i != ordered.end() && (*i)->check == CheckStyle::kAutoRadio; ++i) {
    if (i != first && (*i)->groupStart) break;
    if ((*i)->checked != (*i == &c)) (*i)->invalid = true;
    (*i)->checked = *i == &c;
  }
}

bool SimUi::ItemFlag(WindowHandle dialog, int controlId, bool Control::*flag) const {
  auto w = windows_.find(dialog);
  if (w == windows_.end()) return false;
  auto it = w->second.controls.find(controlId);
  if (it == w->second.controls.end()) return !w->second.knownTemplate;
  return it->second.*flag;
}

bool SimUi::IsItemVisible(WindowHandle dialog, int controlId) const {
  return ItemFlag(dialog, controlId, &Control::visible);
}

bool SimUi::IsItemEnabled(WindowHandle dialog, int controlId) const {
  return ItemFlag(dialog, controlId, &Control::enabled);
}

bool SimUi::IsItemChecked(WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w == nullptr) return false;
  auto it = w->controls.find(controlId);
  return it != w->controls.end() && it->second.checked;
}

void SimUi::CheckItem(WindowHandle dialog, int controlId, bool checked) {
  if (Control* c = AddressedControl(dialog, controlId)) {
    c->checked = checked;
    c->invalid = true;
  }
}

// ---------------------------------------------------------------- list boxes

SimUi::Control* SimUi::FindList(WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w == nullptr) return nullptr;
  auto it = w->controls.find(controlId);
  if (it == w->controls.end() || it->second.list == ListStyle::kNone) return nullptr;
  return &it->second;
}

int SimUi::ListAddString(WindowHandle dialog, int controlId, const std::string& text) {
  Control* c = FindList(dialog, controlId);
  if (c == nullptr) return -1;
  // LB_ADDSTRING takes the text up to its zero.
  std::string entry = text.substr(0, text.find('\0'));
  auto at = c->entries.end();
  if (c->list == ListStyle::kSorted) {
    // After the entries that do not sort after it, as Windows inserts.
    at = std::upper_bound(c->entries.begin(), c->entries.end(), entry, ListBefore);
  }
  auto index = at - c->entries.begin();
  c->entries.insert(at, entry);
  // An entry inserted before the selection moves it along with its entry.
  if (c->selection >= index) ++c->selection;
  c->invalid = true;
  return static_cast<int>(index);
}

int SimUi::ListCount(WindowHandle dialog, int controlId) {
  Control* c = FindList(dialog, controlId);
  return c == nullptr ? 0 : static_cast<int>(c->entries.size());
}

std::string SimUi::ListText(WindowHandle dialog, int controlId, int index) {
  Control* c = FindList(dialog, controlId);
  if (c == nullptr || index < 0 || static_cast<std::size_t>(index) >= c->entries.size()) return "";
  return c->entries[static_cast<std::size_t>(index)];
}

int SimUi::ListCurSel(WindowHandle dialog, int controlId) {
  Control* c = FindList(dialog, controlId);
  return c == nullptr ? -1 : c->selection;
}

bool SimUi::ListSetCurSel(WindowHandle dialog, int controlId, int index) {
  Control* c = FindList(dialog, controlId);
  if (c == nullptr) return false;
  bool inRange = index >= 0 && static_cast<std::size_t>(index) < c->entries.size();
  c->selection = inRange ? index : -1;
  c->invalid = true;
  return inRange || index == -1;
}

bool SimUi::ListEntries(WindowHandle dialog, int controlId,
                        std::vector<std::string>* entries) const {
  auto w = windows_.find(dialog);
  if (w == windows_.end()) return false;
  auto it = w->second.controls.find(controlId);
  if (it == w->second.controls.end() || it->second.list == ListStyle::kNone) return false;
  *entries = it->second.entries;
  return true;
}

SimUi::Click SimUi::DoubleClickListEntry(WindowHandle h, int controlId, const std::string& text) {
  Window* w = Find(h);
  if (w == nullptr) return Click::kDone;
  if (!w->enabled) return Click::kDialogDisabled;
  Control* c = FindList(h, controlId);
  if (c == nullptr) return Click::kNoControl;
  if (!c->enabled) return Click::kControlDisabled;
  int index = -1;
  for (std::size_t i = 0; i < c->entries.size(); ++i) {
    if (text::EqualsIgnoreCase(c->entries[i], text)) {
      index = static_cast<int>(i);
      break;
    }
  }
  if (index < 0) return Click::kNoEntry;
  c->selection = index;
  c->invalid = true;
  // The first click selects, the second reports the double click.
  if (w->handler != nullptr) w->handler->OnCommand(h, controlId, platform::lbn::kSelChange);
  w = Find(h);
  if (w != nullptr && w->handler != nullptr) w->handler->OnCommand(h, controlId, platform::lbn::kDblClk);
  return Click::kDone;
}

SimUi::Click SimUi::PressKey(WindowHandle h, Key key, int* button) {
  Window* w = Find(h);
  int& target = *button;
  target = key == Key::kEscape ? platform::cmd::kCancel : platform::cmd::kOk;
  if (w == nullptr) return Click::kDone;
  if (key == Key::kEnter) {
    auto focused = w->controls.find(w->focus);
    if (focused != w->controls.end() && focused->second.pushButton) {
      target = focused->first;
    } else {
      for (const auto& [id, c] : w->controls) {
        if (c.defaultButton) target = id;
      }
    }
  }
  // Without such a button the dialog manager sends the command all the
  // same (IDOK for Enter, IDCANCEL for Escape).
  if (w->enabled && w->controls.count(target) == 0) {
    SendCommand(h, target);
    return Click::kDone;
  }
  return PressButton(h, target);
}

}  // namespace sim

// ---------------------------------------------------------------- placement

namespace sim {

platform::Rect SimUi::GetWindowRect(WindowHandle window) {
  Window* w = Find(window);
  if (w == nullptr) return platform::Rect{};
  return platform::Rect{w->x, w->y, w->x + w->cx, w->y + w->cy};
}

platform::Rect SimUi::GetDesktopRect() { return platform::Rect{0, 0, kDesktopWidth, kDesktopHeight}; }

void SimUi::MoveWindow(WindowHandle window, int x, int y) {
  if (Window* w = Find(window)) {
    w->x = x;
    w->y = y;
  }
}

void SimUi::SetItemFocus(WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w != nullptr && w->controls.count(controlId) != 0) w->focus = controlId;
}

int SimUi::FocusOf(WindowHandle dialog) const {
  auto it = windows_.find(dialog);
  return it == windows_.end() ? 0 : it->second.focus;
}

void SimUi::ShowItem(WindowHandle dialog, int controlId, bool show) {
  Window* w = Find(dialog);
  if (w == nullptr) return;
  auto it = w->controls.find(controlId);
  if (it == w->controls.end()) return;
  // Showing a hidden control paints it anew.
  if (show && !it->second.visible) it->second.invalid = true;
  it->second.visible = show;
}

void SimUi::LimitItemText(WindowHandle dialog, int controlId, int maxChars) {
  Window* w = Find(dialog);
  if (w == nullptr) return;
  auto it = w->controls.find(controlId);
  if (it != w->controls.end()) it->second.limit = maxChars;
}

void SimUi::SelectListItem(WindowHandle dialog, int controlId, int index) {
  Window* w = Find(dialog);
  if (w == nullptr) return;
  auto it = w->controls.find(controlId);
  if (it != w->controls.end()) it->second.selected = index;
}

}  // namespace sim
