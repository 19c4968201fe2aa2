// Transcript records, formatted the same way by both runners.
//
// Texts given here are the program's own, in Windows-1252; the records are
// UTF-8 (converted with text::Cp1252ToUtf8) and escaped as in scenarios.
// A record has no line end; the runner adds "\n". In the examples the
// background window's template is B:
//
//   FormatBox(OwnerName(B, B), flags, caption, text, answer)
//     -> box owner=background icon=question buttons=yesno caption="..." text="..." -> yes
//   FormatDialog(102, OwnerName(B, B), title, {{1001, "..."}}, statement)
//     -> dialog 102 owner=background title="..." 1001="..." -> set 1000 "C:\\TAPE"; press 1
//   FormatWindow(B, OwnerName(0, B), title)  -> window <B> owner=none title="..."
//   FormatExit(0)                             -> exit 0
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scenario/scenario.h"

namespace scenario {

// The owner of a window by the template of its owner: 0 or less "none",
// `backgroundTemplateId` "background", any other "dialog:<id>". Which
// template is the background window is the program's to say; the runner
// passes it on from the program's dialog ids.
std::string OwnerName(int ownerTemplateId, int backgroundTemplateId);

// Message box flag names: "none", "error", "question", "warning",
// "information" (other icon bits: "icon:<hex>"); "ok", "okcancel",
// "abortretryignore", "yesnocancel", "yesno", "retrycancel" (others
// "buttons:<n>").
std::string IconName(std::uint32_t flags);
std::string ButtonsName(std::uint32_t flags);

// Whether `answer` is one of the buttons the flags give a box.
bool BoxHasButton(std::uint32_t flags, int answer);

// The actions of a statement as the transcript repeats them: "a; b; c".
std::string WrittenActions(const Statement& statement);

std::string FormatBox(const std::string& owner, std::uint32_t flags, const std::string& caption,
                      const std::string& text, int answer);
std::string FormatDialog(int templateId, const std::string& owner, const std::string& title,
                         const std::vector<std::pair<int, std::string>>& controls,
                         const Statement& statement);
std::string FormatWindow(int templateId, const std::string& owner, const std::string& title);
std::string FormatExit(int code);

// The text `read` records for a list box: its entries in list order, each
// followed by a line feed (so an empty list reads "").
std::string JoinListEntries(const std::vector<std::string>& entries);

}  // namespace scenario
