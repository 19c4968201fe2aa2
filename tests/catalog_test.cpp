// The message catalog: shape of every entry, the translations' markers and
// placeholders, the designed empty slots, and the Windows-1252 conversion.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "setup/catalog.h"
#include "setup/catalog_texts.h"
#include "text/text.h"

namespace setup {
namespace {

constexpr int kEnglish = 0;
constexpr int kGerman = 1;
constexpr int kFrench = 2;
constexpr int kSwedish = 3;
constexpr int kBritish = 4;

// Slots that hold no text by design.
bool DesignedEmpty(MsgId id, int language, int member) {
  if (id == MSG_BROWSE_OR_CANCEL_HINT) return language > kFrench;
  if (id == MSG_DRIVERS_DEACTIVATED && member == kCaption)
    return language >= kGerman && language <= kSwedish;
  if (id == MSG_UNINSTALL_STEPS && member == 4) return language != kEnglish;
  return false;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t pos = text.find(what); pos != std::string::npos;
       pos = text.find(what, pos + what.size())) {
    ++n;
  }
  return n;
}

// The format directives of a text, in order ("%s", "%d", "%%", ...).
std::vector<std::string> Directives(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t j = i + 1;
    while (j < text.size() && std::strchr("-+ #0123456789.l", text[j]) != nullptr) ++j;
    out.push_back(text.substr(i, j < text.size() ? j - i + 1 : j - i));
    i = j;
  }
  return out;
}

std::size_t LeadingLineFeeds(const std::string& t) {
  return t.find_first_not_of('\n') == std::string::npos ? t.size() : t.find_first_not_of('\n');
}
std::size_t TrailingLineFeeds(const std::string& t) {
  const std::size_t last = t.find_last_not_of('\n');
  return last == std::string::npos ? t.size() : t.size() - last - 1;
}

TEST(CatalogTest, EveryEntryHasItsLayout) {
  struct Layout {
    MsgId id;
    int members;
  };
  // Single 1, paired 2, groups k.
  const Layout layouts[] = {
      {MSG_GROUP_DIALOG_TITLE, 1},      {MSG_SYSINI_COMMENT_LINE, 1},
      {MSG_GROUP_NAME_UNDETERMINED, 1}, {MSG_GROUP_NAME_CHANGED, 1},
      {MSG_REMOVE_ITEMS_SUMMARY, 1},    {MSG_SELECT_GROUP_TO_REMOVE, 1},
      {MSG_TRANSFER_COMPLETE, 1},       {MSG_COPYING, 1},
      {MSG_SETUP_DAT_OPEN_FAILED, 1},   {MSG_SETUP_DAT_INVALID, 1},
      {MSG_DIRECTORY_BROWSER_TITLE, 1}, {MSG_SETUP_TITLE, 1},
      {MSG_BROWSE_OR_CANCEL_HINT, 1},   {MSG_RECONFIGURE_TAPE, 2},
      {MSG_CONFIRM_UNINSTALL, 2},       {MSG_INCOMPLETE_DIRECTORY, 2},
      {MSG_DIRECTORY_EXISTS, 2},        {MSG_INVALID_DIRECTORY, 2},
      {MSG_CONFIRM_CANCEL, 2},          {MSG_DRIVERS_DEACTIVATED, 2},
      {MSG_GROUP_EXISTS, 2},            {MSG_GROUP_LABELS, 2},
      {MSG_INSTALL_COMPLETE, 2},        {MSG_INSTALL_FAILED, 2},
      {MSG_INSTALL_CANCELLED, 2},       {MSG_INSTALL_COMPLETE_RESTART, 2},
      {MSG_UNINSTALL_COMPLETE, 2},      {MSG_UNINSTALL_FAILED, 2},
      {MSG_UNINSTALL_CANCELLED, 2},     {MSG_WRITE_ERROR, 2},
      {MSG_READ_ERROR, 2},              {MSG_BACKGROUND_TITLE, 2},
      {MSG_CONTINUE_AFTER_ERROR, 2},    {MSG_INSERT_DISK, 2},
      {MSG_DISK_ERROR, 2},              {MSG_VIEW_README, 1},
      {MSG_RESTART_FAILED, 2},          {MSG_DEFAULT_FOLDER, 1},
      {MSG_WELCOME, 1},                 {MSG_INIT_FILE_ERROR, 2},
      {MSG_UNINSTALL_KEY_FAILED, 2},    {MSG_ADMIN_REQUIRED, 2},
      {MSG_DISABLE_QIC117, 2},          {MSG_QIC117_STILL_ENABLED, 2},
      {MSG_BUTTON_LABELS, 7},           {MSG_UNINSTALL_STEPS, 5},
      {MSG_COPY_LABELS, 3},             {MSG_UNINSTALL_OPTION_LABELS, 3},
      {MSG_UNINSTALL_KEY_OPEN_FAILED, 3},
      {MSG_GROUP_NAME_REFUSED, 2},
      {MSG_DIRECTORY_NOT_ALLOWED, 2},
      {MSG_COMPLETE_REMOVAL_REFUSED, 2},
      {MSG_DIRECTORY_NAME_REFUSED, 2},
      {MSG_RESTART_NEEDS_DIRECTORY, 2},
      {MSG_NOT_RESTORED, 2},
  };
  ASSERT_EQ(std::size(layouts), static_cast<std::size_t>(MSG_COUNT));
  for (const Layout& l : layouts) {
    EXPECT_EQ(Catalog::Members(l.id), l.members) << Catalog::Name(l.id);
  }
}

TEST(CatalogTest, NamesFollowTheIdentifiers) {
  EXPECT_STREQ(Catalog::Name(MSG_GROUP_DIALOG_TITLE), "MSG_GROUP_DIALOG_TITLE");
  EXPECT_STREQ(Catalog::Name(MSG_CONFIRM_UNINSTALL), "MSG_CONFIRM_UNINSTALL");
  EXPECT_STREQ(Catalog::Name(MSG_UNINSTALL_KEY_OPEN_FAILED), "MSG_UNINSTALL_KEY_OPEN_FAILED");
  std::set<std::string> names;
  for (int id = 0; id < MSG_COUNT; ++id) {
    const std::string name = Catalog::Name(static_cast<MsgId>(id));
    EXPECT_EQ(name.rfind("MSG_", 0), 0u) << name;
    EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
  }
  EXPECT_STREQ(Catalog::Name(MSG_COUNT), "");
  EXPECT_EQ(Catalog::Members(MSG_COUNT), 0);
  EXPECT_EQ(Catalog::Members(static_cast<MsgId>(-1)), 0);
}

// Every slot holds a text, except the slots the design leaves empty, which
// hold exactly "".
TEST(CatalogTest, TextsPresentExceptDesignedEmptySlots) {
  Catalog catalog;
  for (int id = 0; id < MSG_COUNT; ++id) {
    const MsgId msg = static_cast<MsgId>(id);
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      for (int m = 0; m < Catalog::Members(msg); ++m) {
        const char* text = catalog.Text(msg, lang, m);
        ASSERT_NE(text, nullptr);
        if (DesignedEmpty(msg, lang, m)) {
          EXPECT_STREQ(text, "") << Catalog::Name(msg) << " slot " << lang << " member " << m;
        } else {
          EXPECT_STRNE(text, "") << Catalog::Name(msg) << " slot " << lang << " member " << m;
        }
      }
    }
  }
}

TEST(CatalogTest, BritishSlotRepeatsEnglish) {
  Catalog catalog;
  for (int id = 0; id < MSG_COUNT; ++id) {
    const MsgId msg = static_cast<MsgId>(id);
    for (int m = 0; m < Catalog::Members(msg); ++m) {
      if (DesignedEmpty(msg, kBritish, m)) continue;
      EXPECT_STREQ(catalog.Text(msg, kBritish, m), catalog.Text(msg, kEnglish, m))
          << Catalog::Name(msg) << " member " << m;
    }
  }
}

// Every translation keeps what ExpandText and the callers depend on: the
// product placeholder, the company markers, the "95" of the platform, the
// format directives in the English order, the file and driver names, and
// the leading and trailing line feeds that callers concatenate on.
TEST(CatalogTest, TranslationsKeepMarkersAndPlaceholders) {
  Catalog catalog;
  const std::string kept[] = {"Halvorn+", "!!co_shrt!!", "!!co_long!!", "95",
                              "SETUP.DAT", "SYSTEM.INI", "README.TXT", "qic117",
                              "Uninstall/Dastrel", "&"};
  for (int id = 0; id < MSG_COUNT; ++id) {
    const MsgId msg = static_cast<MsgId>(id);
    for (int m = 0; m < Catalog::Members(msg); ++m) {
      const std::string english = catalog.Text(msg, kEnglish, m);
      for (int lang = 1; lang < kLanguageCount; ++lang) {
        if (DesignedEmpty(msg, lang, m)) continue;
        const std::string text = catalog.Text(msg, lang, m);
        const std::string where = std::string(Catalog::Name(msg)) + " slot " +
                                  std::to_string(lang) + " member " + std::to_string(m) +
                                  ": " + text::Cp1252ToUtf8(text);
        for (const std::string& marker : kept) {
          EXPECT_EQ(Count(text, marker), Count(english, marker)) << "\"" << marker << "\" in " << where;
        }
        EXPECT_EQ(Directives(text), Directives(english)) << where;
        EXPECT_EQ(LeadingLineFeeds(text), LeadingLineFeeds(english)) << where;
        EXPECT_EQ(TrailingLineFeeds(text), TrailingLineFeeds(english)) << where;
      }
    }
  }
}

TEST(CatalogTest, ButtonLabelsHaveDistinctAccelerators) {
  Catalog catalog;
  for (int lang = 0; lang < kLanguageCount; ++lang) {
    std::set<unsigned char> keys;
    for (int m = 0; m < Catalog::Members(MSG_BUTTON_LABELS); ++m) {
      const std::string label = catalog.Text(MSG_BUTTON_LABELS, lang, m);
      const std::size_t amp = label.find('&');
      ASSERT_NE(amp, std::string::npos) << "slot " << lang << " " << label;
      ASSERT_LT(amp + 1, label.size()) << "slot " << lang << " " << label;
      EXPECT_EQ(label.find('&', amp + 1), std::string::npos) << "slot " << lang << " " << label;
      const unsigned char key = static_cast<unsigned char>(
          std::tolower(static_cast<unsigned char>(label[amp + 1])));
      EXPECT_TRUE(keys.insert(key).second)
          << "slot " << lang << " accelerator of " << text::Cp1252ToUtf8(label) << " used twice";
    }
  }
}

// The translations read as localisations of their time: German in the
// spelling before its reform ("muß", "daß"), Portuguese as Portugal wrote it
// in the 1990s ("Seleccione", "desactivado", "efectuada", "Actual",
// "directório", "banda") with its own words for file, user and registry,
// not the later spelling nor the Brazilian words. No text of the slot may
// hold one of these spellings.
TEST(CatalogTest, TranslationsFollowTheSpellingOfTheirTime) {
  constexpr int kPortuguese = 7;
  struct Row {
    int language;
    const char* later;   // a spelling of a later time or another country
    const char* written; // what the slot writes instead (for the message)
  };
  const Row rows[] = {
      {kGerman, "muss", "muß"},           {kGerman, "dass", "daß"},
      {kGerman, "Muss", "Muß"},           {kPortuguese, "Selecion", "Seleccion"},
      {kPortuguese, "selecion", "seleccion"}, {kPortuguese, "desativ", "desactiv"},
      {kPortuguese, " ativ", " activ"},   {kPortuguese, "efetu", "efectu"},
      {kPortuguese, "Atual", "Actual"},   {kPortuguese, " atual", " actual"},
      {kPortuguese, "Seletiv", "Selectiv"}, {kPortuguese, "seletiv", "selectiv"},
      {kPortuguese, "iretório", "irectório"}, {kPortuguese, "Padrão", "Predefinido"},
      {kPortuguese, "fita", "banda"},     {kPortuguese, "arquivo", "ficheiro"},
      {kPortuguese, "usuário", "utilizador"}, {kPortuguese, "registro", "registo"},
  };
  Catalog catalog;
  for (const Row& r : rows) {
    const std::string later = text::Utf8ToCp1252(r.later);
    for (int id = 0; id < MSG_COUNT; ++id) {
      const MsgId msg = static_cast<MsgId>(id);
      for (int m = 0; m < Catalog::Members(msg); ++m) {
        const std::string text = catalog.Text(msg, r.language, m);
        EXPECT_EQ(text.find(later), std::string::npos)
            << Catalog::Name(msg) << " slot " << r.language << " member " << m << " writes \""
            << r.later << "\" where its time wrote \"" << r.written
            << "\": " << text::Cp1252ToUtf8(text);
      }
    }
  }
}

// The rows whose German and French wording is fixed, and the English texts
// other parts quote.
TEST(CatalogTest, FixedTexts) {
  struct Row {
    MsgId id;
    int language;
    int member;
    const char* utf8;
  };
  const Row rows[] = {
      {MSG_CONFIRM_UNINSTALL, kGerman, kText,
       "Hiermit wird die Halvorn+-Anwendung entfernt!\n\nSoll sie wirklich entfernt werden?"},
      {MSG_CONFIRM_UNINSTALL, kGerman, kCaption, "Bestätigen Sie die Deinstallation"},
      {MSG_CONFIRM_UNINSTALL, kFrench, kText,
       "Ceci va supprimer l'application Halvorn+ !\n\nEst-ce bien ce que vous désirez ?"},
      {MSG_CONFIRM_UNINSTALL, kFrench, kCaption, "Confirmez la désinstallation"},
      {MSG_DEFAULT_FOLDER, kGerman, kText, "Halvorn+ für Windows 95"},
      {MSG_DEFAULT_FOLDER, kFrench, kText, "Halvorn+ pour Windows 95"},
      {MSG_BACKGROUND_TITLE, kGerman, 0, "%s %s für Windows %s installieren"},
      {MSG_INSERT_DISK, kGerman, kText, "Legen Sie Diskette #%d ein"},
      {MSG_BROWSE_OR_CANCEL_HINT, kGerman, kText,
       "Klicken Sie auf Durchsuchen, um eine andere Gruppe auszuwählen.\n"
       "Klicken Sie auf Abbrechen, um die Deinstallation zu beenden."},
      {MSG_SETUP_TITLE, kEnglish, kText, "Halvorn+ Setup for Windows 95"},
      {MSG_BACKGROUND_TITLE, kEnglish, 1, "Uninstall %s %s for Windows %s"},
      {MSG_DRIVERS_DEACTIVATED, kEnglish, kCaption, "Note"},
      {MSG_UNINSTALL_STEPS, kEnglish, 4, "Flush the Toilet"},
      {MSG_BUTTON_LABELS, kEnglish, 4, "&Agree"},
      {MSG_UNINSTALL_KEY_OPEN_FAILED, kEnglish, 0, "Open Uninstall/Dastrel registry key failed.\n"},
  };
  Catalog catalog;
  for (const Row& r : rows) {
    EXPECT_EQ(catalog.Text(r.id, r.language, r.member), text::Utf8ToCp1252(r.utf8))
        << Catalog::Name(r.id) << " slot " << r.language << " member " << r.member;
  }
  // Stored as Windows-1252: "ä" of "für" is the single byte 0xFC.
  EXPECT_STREQ(catalog.Text(MSG_DEFAULT_FOLDER, kGerman), "Halvorn+ f\xFCr Windows 95");
}

// Every source text is representable in Windows-1252 and arrives unchanged.
TEST(CatalogTest, SourcesConvertLosslessly) {
  Catalog catalog;
  for (int id = 0; id < MSG_COUNT; ++id) {
    const MsgId msg = static_cast<MsgId>(id);
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      for (int m = 0; m < Catalog::Members(msg); ++m) {
        const char* source = catalog_texts::SourceText(msg, lang, m);
        ASSERT_NE(source, nullptr) << Catalog::Name(msg) << " slot " << lang << " member " << m;
        bool lossless = false;
        text::Utf8ToCp1252(source, &lossless);
        EXPECT_TRUE(lossless) << Catalog::Name(msg) << " slot " << lang << ": " << source;
        EXPECT_EQ(text::Cp1252ToUtf8(catalog.Text(msg, lang, m)), source);
      }
    }
  }
}

// Each catalog is its own writable copy: a rewrite shows in later lookups of
// that catalog and nowhere else.
TEST(CatalogTest, TextsAreWritablePerCatalog) {
  Catalog first;
  Catalog second;
  char* text = first.Text(MSG_SETUP_TITLE, kEnglish);
  EXPECT_EQ(first.Text(MSG_SETUP_TITLE, kEnglish), text);
  char* nine = std::strstr(text, "95");
  ASSERT_NE(nine, nullptr);
  nine[0] = 'N';
  nine[1] = 'T';
  EXPECT_STREQ(first.Text(MSG_SETUP_TITLE, kEnglish), "Halvorn+ Setup for Windows NT");
  EXPECT_STREQ(second.Text(MSG_SETUP_TITLE, kEnglish), "Halvorn+ Setup for Windows 95");
  EXPECT_STREQ(Catalog().Text(MSG_SETUP_TITLE, kEnglish), "Halvorn+ Setup for Windows 95");
  // The British slot is a copy of its own, not the English storage.
  EXPECT_STREQ(first.Text(MSG_SETUP_TITLE, kBritish), "Halvorn+ Setup for Windows 95");
}

TEST(CatalogTest, OutOfRangeGivesWritableEmptyText) {
  Catalog catalog;
  struct Case {
    int id, language, member;
  };
  const Case cases[] = {
      {MSG_COUNT, 0, 0},       {-1, 0, 0},  {MSG_SETUP_TITLE, kLanguageCount, 0},
      {MSG_SETUP_TITLE, -1, 0}, {MSG_SETUP_TITLE, 0, 1}, {MSG_BUTTON_LABELS, 0, 7},
      {MSG_BUTTON_LABELS, 0, -1},
  };
  for (const Case& c : cases) {
    char* text = catalog.Text(static_cast<MsgId>(c.id), c.language, c.member);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "") << c.id << "/" << c.language << "/" << c.member;
    text[0] = 'x';  // a caller writing into it does not spoil the next one
  }
  EXPECT_STREQ(catalog.Text(MSG_COUNT, 0), "");
}

// ---------------------------------------------------------------- code page

TEST(CodePageTest, EveryByteRoundTrips) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  all.push_back('\0');
  all.push_back('A');
  bool lossless = false;
  EXPECT_EQ(text::Utf8ToCp1252(text::Cp1252ToUtf8(all), &lossless), all);
  EXPECT_TRUE(lossless);
}

TEST(CodePageTest, KnownCharacters) {
  struct Pair {
    const char* cp1252;
    const char* utf8;
  };
  const Pair pairs[] = {
      {"\x80", "€"},  {"\x82", "‚"},  {"\x8A", "Š"},  {"\x8C", "Œ"},  {"\x92", "’"},
      {"\x96", "–"},  {"\x99", "™"},  {"\x9F", "Ÿ"},  {"\xA0", "\u00A0"}, {"\xB0", "°"},
      {"\xBA", "º"},  {"\xC4", "Ä"},  {"\xDF", "ß"},  {"\xE4", "ä"},  {"\xE5", "å"},
      {"\xE9", "é"},  {"\xF1", "ñ"},  {"\xFF", "ÿ"},  {"\x81", "\u0081"},
      {"\x9D", "\u009D"}, {"abc", "abc"},
  };
  for (const Pair& p : pairs) {
    EXPECT_EQ(text::Cp1252ToUtf8(p.cp1252), p.utf8) << p.utf8;
    bool lossless = false;
    EXPECT_EQ(text::Utf8ToCp1252(p.utf8, &lossless), p.cp1252) << p.utf8;
    EXPECT_TRUE(lossless) << p.utf8;
  }
}

// What Windows-1252 cannot hold, and broken UTF-8, becomes one "?" per
// character or bad byte; the text after it is kept.
TEST(CodePageTest, UnmappableAndMalformedInput) {
  struct Case {
    std::string utf8;
    std::string expected;
  };
  const Case cases[] = {
      {"a\u0100b", "a?b"},          // Latin Extended-A
      {"\u65E5\u672C", "??"},       // CJK
      {"x\U0001F600y", "x?y"},      // four-byte sequence
      {"\u0080", "?"},              // a C1 control whose byte means "€"
      {"\u0085", "?"},
      {"a\xFFz", "a?z"},            // no UTF-8 lead byte
      {"a\x80z", "a?z"},            // lone continuation byte
      {"a\xC3", "a?"},              // truncated at the end
      {"\xC3z", "?z"},              // truncated before ASCII
      {"\xC0\xAF", "??"},           // overlong "/"
      {"\xED\xA0\x80", "???"},      // surrogate
      {"\xF4\x90\x80\x80", "????"}, // beyond U+10FFFF
  };
  for (const Case& c : cases) {
    bool lossless = true;
    EXPECT_EQ(text::Utf8ToCp1252(c.utf8, &lossless), c.expected) << text::Cp1252ToUtf8(c.utf8);
    EXPECT_FALSE(lossless) << c.expected;
  }
  bool lossless = false;
  EXPECT_EQ(text::Utf8ToCp1252("plain", &lossless), "plain");
  EXPECT_TRUE(lossless);
  EXPECT_EQ(text::Utf8ToCp1252(""), "");
}

}  // namespace
}  // namespace setup
