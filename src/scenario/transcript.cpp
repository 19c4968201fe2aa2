#include "scenario/transcript.h"

#include <cstdio>

#include "text/text.h"

namespace scenario {
namespace {

std::string Text(const std::string& cp1252) { return text::Quote(text::Cp1252ToUtf8(cp1252)); }

}  // namespace

std::string OwnerName(int ownerTemplateId, int backgroundTemplateId) {
  if (ownerTemplateId <= 0) return "none";
  if (ownerTemplateId == backgroundTemplateId) return "background";
  return "dialog:" + std::to_string(ownerTemplateId);
}

std::string IconName(std::uint32_t flags) {
  switch (flags & 0xF0u) {
    case 0x00: return "none";
    case 0x10: return "error";
    case 0x20: return "question";
    case 0x30: return "warning";
    case 0x40: return "information";
    default: {
      char buffer[24];
      std::snprintf(buffer, sizeof buffer, "icon:%x", static_cast<unsigned>(flags & 0xF0u));
      return buffer;
    }
  }
}

std::string ButtonsName(std::uint32_t flags) {
  switch (flags & 0xFu) {
    case 0: return "ok";
    case 1: return "okcancel";
    case 2: return "abortretryignore";
    case 3: return "yesnocancel";
    case 4: return "yesno";
    case 5: return "retrycancel";
    default: return "buttons:" + std::to_string(flags & 0xFu);
  }
}

bool BoxHasButton(std::uint32_t flags, int answer) {
  switch (flags & 0xFu) {
    case 0: return answer == 1;
    case 1: return answer == 1 || answer == 2;
    case 2: return answer == 3 || answer == 4 || answer == 5;
    case 3: return answer == 6 || answer == 7 || answer == 2;
    case 4: return answer == 6 || answer == 7;
    case 5: return answer == 4 || answer == 2;
    default: return false;
  }
}

std::string WrittenActions(const Statement& statement) {
  std::string out;
  for (const Action& a : statement.actions) {
    if (!out.empty()) out += "; ";
    out += a.written;
  }
  return out;
}

std::string FormatBox(const std::string& owner, std::uint32_t flags, const std::string& caption,
                      const std::string& text, int answer) {
  return "box owner=" + owner + " icon=" + IconName(flags) + " buttons=" + ButtonsName(flags) +
         " caption=" + Text(caption) + " text=" + Text(text) + " -> " + AnswerName(answer);
}

std::string FormatDialog(int templateId, const std::string& owner, const std::string& title,
                         const std::vector<std::pair<int, std::string>>& controls,
                         const Statement& statement) {
  std::string out = "dialog " + std::to_string(templateId) + " owner=" + owner +
                    " title=" + Text(title);
  for (const auto& [id, text] : controls) out += " " + std::to_string(id) + "=" + Text(text);
  return out + " -> " + WrittenActions(statement);
}

std::string FormatWindow(int templateId, const std::string& owner, const std::string& title) {
  return "window " + std::to_string(templateId) + " owner=" + owner + " title=" + Text(title);
}

std::string FormatExit(int code) { return "exit " + std::to_string(code); }

std::string JoinListEntries(const std::vector<std::string>& entries) {
  std::string joined;
  for (const std::string& e : entries) joined += e + "\n";
  return joined;
}

}  // namespace scenario
