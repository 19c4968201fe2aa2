#include "setup/unattended.h"

#include <algorithm>

namespace setup {
namespace {

const char* ButtonsName(std::uint32_t flags) {
  switch (flags & platform::mb::kButtonMask) {
    case platform::mb::kOk: return "ok";
    case platform::mb::kOkCancel: return "okcancel";
    case platform::mb::kAbortRetryIgnore: return "abortretryignore";
    case platform::mb::kYesNoCancel: return "yesnocancel";
    case platform::mb::kYesNo: return "yesno";
    case platform::mb::kRetryCancel: return "retrycancel";
    default: return "other";
  }
}

const char* AnswerName(int answer) {
  switch (answer) {
    case platform::answer::kOk: return "OK";
    case platform::answer::kCancel: return "Cancel";
    case platform::answer::kAbort: return "Abort";
    case platform::answer::kRetry: return "Retry";
    case platform::answer::kIgnore: return "Ignore";
    case platform::answer::kYes: return "Yes";
    case platform::answer::kNo: return "No";
    default: return "none";
  }
}

void LogBox(Unattended& run, const std::string& text, const std::string& caption,
            std::uint32_t flags, int answer) {
  run.log.Line("box", "caption=" + LogText(caption) + " text=" + LogText(text) +
                          " buttons=" + ButtonsName(flags) + " answer=" + AnswerName(answer));
}

// What the user's answer to a question means for the response file.
void Record(Answers& recorded, Question question, int answer) {
  switch (question) {
    case Question::kDisableQic117: recorded.disableQic117 = answer == platform::answer::kOk; break;
    case Question::kReconfigureTape: recorded.reconfigureTape = answer == platform::answer::kYes; break;
    case Question::kRestart:
      recorded.restart = answer == platform::answer::kOk ? RestartChoice::kRestart
                                                          : RestartChoice::kLeaveToCaller;
      break;
    case Question::kShowReadme: recorded.showReadme = answer == platform::answer::kYes; break;
    case Question::kConfirmUninstall:
    case Question::kNone: break;
  }
}

int Pick(bool yes, int yesAnswer, int noAnswer) { return yes ? yesAnswer : noAnswer; }

}  // namespace

void ExpectQuestion(SetupState& state, Question question) {
  if (state.unattended != nullptr) state.unattended->pending = question;
}

void LogStep(SetupState& state, const std::string& text) {
  if (state.unattended != nullptr) state.unattended->log.Line("step", text);
}

void LogRollback(SetupState& state, const std::string& text) {
  if (state.unattended != nullptr) state.unattended->log.Line("rollback", text);
}

int SilentAnswer(const Answers& answers, Question question, std::uint32_t flags) {
  using platform::answer::kCancel;
  using platform::answer::kNo;
  using platform::answer::kOk;
  using platform::answer::kYes;
  switch (question) {
    case Question::kDisableQic117: return Pick(answers.disableQic117, kOk, kCancel);
    case Question::kReconfigureTape: return Pick(answers.reconfigureTape, kYes, kNo);
    case Question::kRestart: return Pick(answers.restart == RestartChoice::kRestart, kOk, kCancel);
    case Question::kShowReadme: return kNo;  // never in a silent run
    case Question::kConfirmUninstall: return kYes;
    case Question::kNone: break;
  }
  switch (flags & platform::mb::kButtonMask) {
    case platform::mb::kOk: return kOk;
    case platform::mb::kYesNo: return kNo;
    case platform::mb::kAbortRetryIgnore: return platform::answer::kAbort;
    default: return kCancel;
  }
}

// ---------------------------------------------------------------- HeadlessUi

int HeadlessUi::MessageBox(platform::WindowHandle /*owner*/, const std::string& text,
                           const std::string& caption, std::uint32_t flags) {
  const Question question = std::exchange(run_.pending, Question::kNone);
  const int answer = SilentAnswer(run_.answers, question, flags);
  LogBox(run_, text, caption, flags, answer);
  return answer;
}

platform::WindowHandle HeadlessUi::Make(platform::WindowHandle owner,
                                        platform::DialogHandler& handler) {
  const platform::WindowHandle handle = next_++;
  Window& window = windows_[handle];
  window.handler = &handler;
  window.owner = owner;
  handler.OnInitDialog(handle);
  return handle;
}

int HeadlessUi::RunModal(platform::WindowHandle owner, platform::DialogHandler& handler) {
  run_.log.Line("dialog", std::to_string(handler.TemplateId()) + " runs without a window");
  const platform::WindowHandle handle = Make(owner, handler);
  int result = platform::cmd::kCancel;
  for (int round = 0; round < kMaxTimerRounds; ++round) {
    Window* window = Find(handle);
    if (window == nullptr) break;
    if (window->ended) {
      result = window->result;
      break;
    }
    // A dialog that waits for a user and has no timer would wait forever:
    // it ends as if cancelled.
    if (!FireTimers()) break;
  }
  DestroyWindow(handle);
  return result;
}

platform::WindowHandle HeadlessUi::CreateModeless(platform::WindowHandle owner,
                                                  platform::DialogHandler& handler) {
  return Make(owner, handler);
}

void HeadlessUi::EndDialog(platform::WindowHandle dialog, int result) {
  if (Window* window = Find(dialog)) {
    window->ended = true;
    window->result = result;
  }
}

void HeadlessUi::DestroyWindow(platform::WindowHandle handle) {
  auto found = windows_.find(handle);
  if (found == windows_.end()) return;
  platform::DialogHandler* handler = found->second.handler;
  windows_.erase(found);
  std::erase_if(timers_, [handle](const auto& timer) { return timer.first == handle; });
  if (handler != nullptr) handler->OnDestroy(handle);
}

HeadlessUi::Window* HeadlessUi::Find(platform::WindowHandle window) {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

void HeadlessUi::SetWindowText(platform::WindowHandle window, const std::string& text) {
  if (Window* w = Find(window)) w->text = text;
}

std::string HeadlessUi::GetWindowText(platform::WindowHandle window) {
  Window* w = Find(window);
  return w != nullptr ? w->text : std::string();
}

void HeadlessUi::SetItemText(platform::WindowHandle dialog, int controlId, const std::string& text) {
  if (Window* w = Find(dialog)) w->items[controlId] = text;
}

std::string HeadlessUi::GetItemText(platform::WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  if (w == nullptr) return {};
  auto found = w->items.find(controlId);
  return found == w->items.end() ? std::string() : found->second;
}

bool HeadlessUi::EnableWindow(platform::WindowHandle window, bool enable) {
  Window* w = Find(window);
  if (w == nullptr) return false;
  const bool wasDisabled = !w->enabled;
  w->enabled = enable;
  return wasDisabled;
}

bool HeadlessUi::IsWindowEnabled(platform::WindowHandle window) {
  Window* w = Find(window);
  return w != nullptr && w->enabled;
}

platform::WindowHandle HeadlessUi::GetOwner(platform::WindowHandle window) {
  Window* w = Find(window);
  return w != nullptr ? w->owner : platform::kNoWindow;
}

bool HeadlessUi::SetTimer(platform::WindowHandle window, int timerId, std::uint32_t /*milliseconds*/) {
  if (Find(window) == nullptr) return false;
  KillTimer(window, timerId);
  timers_.emplace_back(window, timerId);
  return true;
}

void HeadlessUi::KillTimer(platform::WindowHandle window, int timerId) {
  std::erase(timers_, std::make_pair(window, timerId));
}

bool HeadlessUi::FireTimers() {
  if (timers_.empty()) return false;
  // A handler may start or kill timers, or end its dialog, while it runs.
  const auto running = timers_;
  for (const auto& [handle, timerId] : running) {
    if (std::find(timers_.begin(), timers_.end(), std::make_pair(handle, timerId)) == timers_.end())
      continue;
    Window* window = Find(handle);
    if (window != nullptr && window->handler != nullptr) window->handler->OnTimer(handle, timerId);
  }
  return true;
}

void HeadlessUi::RunMessagesUntil(const std::function<bool()>& done) {
  for (int round = 0; round < kMaxTimerRounds && !done(); ++round) {
    if (!FireTimers()) return;
  }
}

int HeadlessUi::ListAddString(platform::WindowHandle dialog, int controlId, const std::string& text) {
  Window* w = Find(dialog);
  if (w == nullptr) return -1;
  std::vector<std::string>& list = w->lists[controlId];
  list.push_back(text);
  return static_cast<int>(list.size()) - 1;
}

int HeadlessUi::ListCount(platform::WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  return w == nullptr ? 0 : static_cast<int>(w->lists[controlId].size());
}

std::string HeadlessUi::ListText(platform::WindowHandle dialog, int controlId, int index) {
  Window* w = Find(dialog);
  if (w == nullptr || index < 0) return {};
  const std::vector<std::string>& list = w->lists[controlId];
  return static_cast<std::size_t>(index) < list.size() ? list[static_cast<std::size_t>(index)]
                                                       : std::string();
}

bool HeadlessUi::IsItemChecked(platform::WindowHandle dialog, int controlId) {
  Window* w = Find(dialog);
  return w != nullptr && w->checked[controlId];
}

void HeadlessUi::CheckItem(platform::WindowHandle dialog, int controlId, bool checked) {
  if (Window* w = Find(dialog)) w->checked[controlId] = checked;
}

// ---------------------------------------------------------------- ObservedUi

int ObservedUi::MessageBox(platform::WindowHandle owner, const std::string& text,
                           const std::string& caption, std::uint32_t flags) {
  const Question question = std::exchange(run_.pending, Question::kNone);
  const int answer = Inner().MessageBox(owner, text, caption, flags);
  LogBox(run_, text, caption, flags, answer);
  Record(run_.recorded, question, answer);
  return answer;
}

int ObservedUi::RunModal(platform::WindowHandle owner, platform::DialogHandler& handler) {
  const int result = Inner().RunModal(owner, handler);
  run_.log.Line("dialog", std::to_string(handler.TemplateId()) + " ended with " + std::to_string(result));
  return result;
}

platform::WindowHandle ObservedUi::CreateModeless(platform::WindowHandle owner,
                                                  platform::DialogHandler& handler) {
  run_.log.Line("dialog", std::to_string(handler.TemplateId()) + " shown");
  return Inner().CreateModeless(owner, handler);
}

}  // namespace setup
