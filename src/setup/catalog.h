// The message catalog: every user-visible text in eight language slots.
//
// Slots: 0 English, 1 German, 2 French, 3 Swedish, 4 British English (the
// English texts), 5 Spanish, 6 Italian, 7 Portuguese. Texts are
// Windows-1252 byte strings. The catalog is writable: expansion rewrites the
// Windows version inside a stored text, and later uses see the rewrite.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace setup {

constexpr int kLanguageCount = 8;

enum MsgId : int {
  MSG_GROUP_DIALOG_TITLE,
  MSG_SYSINI_COMMENT_LINE,
  MSG_GROUP_NAME_UNDETERMINED,
  MSG_GROUP_NAME_CHANGED,
  MSG_REMOVE_ITEMS_SUMMARY,
  MSG_SELECT_GROUP_TO_REMOVE,
  MSG_TRANSFER_COMPLETE,
  MSG_COPYING,
  MSG_SETUP_DAT_OPEN_FAILED,
  MSG_SETUP_DAT_INVALID,
  MSG_DIRECTORY_BROWSER_TITLE,
  MSG_SETUP_TITLE,
  MSG_BROWSE_OR_CANCEL_HINT,
  MSG_RECONFIGURE_TAPE,
  MSG_CONFIRM_UNINSTALL,
  MSG_INCOMPLETE_DIRECTORY,
  MSG_DIRECTORY_EXISTS,
  MSG_INVALID_DIRECTORY,
  MSG_CONFIRM_CANCEL,
  MSG_DRIVERS_DEACTIVATED,
  MSG_GROUP_EXISTS,
  MSG_GROUP_LABELS,
  MSG_INSTALL_COMPLETE,
  MSG_INSTALL_FAILED,
  MSG_INSTALL_CANCELLED,
  MSG_INSTALL_COMPLETE_RESTART,
  MSG_UNINSTALL_COMPLETE,
  MSG_UNINSTALL_FAILED,
  MSG_UNINSTALL_CANCELLED,
  MSG_WRITE_ERROR,
  MSG_READ_ERROR,
  MSG_BACKGROUND_TITLE,
  MSG_CONTINUE_AFTER_ERROR,
  MSG_INSERT_DISK,
  MSG_DISK_ERROR,
  MSG_VIEW_README,
  MSG_RESTART_FAILED,
  MSG_DEFAULT_FOLDER,
  MSG_WELCOME,
  MSG_INIT_FILE_ERROR,
  MSG_UNINSTALL_KEY_FAILED,
  MSG_ADMIN_REQUIRED,
  MSG_DISABLE_QIC117,
  MSG_QIC117_STILL_ENABLED,
  MSG_BUTTON_LABELS,
  MSG_UNINSTALL_STEPS,
  MSG_COPY_LABELS,
  MSG_UNINSTALL_OPTION_LABELS,
  MSG_UNINSTALL_KEY_OPEN_FAILED,
  // Added: a group name the program group dialog refuses because no
  // Program Manager command could carry it safely.
  MSG_GROUP_NAME_REFUSED,
  // Added: an install directory whose removal would take other things with
  // it (a drive root, the Windows directory or one above it, the program
  // files directory itself) is refused with this message.
  MSG_DIRECTORY_NOT_ALLOWED,
  // Added: Complete removal is refused for such a directory when an older
  // installation put the product there; Selective still works.
  MSG_COMPLETE_REMOVAL_REFUSED,
  // Added: an install directory text that cannot be a directory name at
  // all; the text says what a directory name may be.
  MSG_DIRECTORY_NAME_REFUSED,
  // Added: "/restart" without the quoted directory of the installed
  // product, in the language of a SETUP.DAT beside the program.
  MSG_RESTART_NEEDS_DIRECTORY,
  // Added: an installation that stopped was taken back, but some files
  // could not be put back as they were; shown after the completion message.
  MSG_NOT_RESTORED,
  MSG_COUNT
};

// Member numbers of paired entries.
constexpr int kText = 0;
constexpr int kCaption = 1;

class Catalog {
 public:
  Catalog();  // a fresh writable copy of the built-in texts
  ~Catalog();
  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  // Number of texts per language slot of an entry (1 single, 2 paired, k).
  static int Members(MsgId id);
  static const char* Name(MsgId id);  // "MSG_..."

  // The stored, writable text (never null; an empty slot gives "").
  // Out-of-range ids, languages or members give an empty text.
  char* Text(MsgId id, int language, int member = kText);

 private:
  struct Storage;
  std::unique_ptr<Storage> storage_;
};

struct SetupState;

// Puts the product display name and the company names into a text and
// adapts its "95" to the running platform. Returns the same text (rewritten
// in place) or a new one owned by the state's expansion cache; a text it has
// returned before comes back unchanged. Never returns null.
char* ExpandText(SetupState& state, char* text);

// The catalog text of the setup language, expanded.
const char* Msg(SetupState& state, MsgId id, int member = kText);

}  // namespace setup
