// Text expansion: the platform rewrite, product and company names, the
// identity cache and its ownership of expanded texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "support/null_machine.h"
#include "setup/catalog.h"
#include "setup/description.h"
#include "setup/state.h"

namespace setup {
namespace {







enum class Os { k95, k98, kNt };

class ExpandTest : public ::testing::Test {
 protected:
  ExpandTest() { Product("Halvorn", false); }

  void Platform(Os os) {
    state_.windowsNt = os == Os::kNt;
    state_.windows98 = os == Os::k98;
  }
  void Product(const std::string& prd, bool se) {
    state_.values.prd = prd;
    state_.seEdition = se;
    state_.companyShort = "Brennick";
    state_.companyLong = "Brennick Corporation";
  }
  // A writable text of the test's own, as a caller's buffer would be.
  char* Buffer(const std::string& text) {
    buffers_.push_back(std::make_unique<char[]>(text.size() + 1));
    std::memcpy(buffers_.back().get(), text.c_str(), text.size() + 1);
    return buffers_.back().get();
  }

  testsupport::NullSystem system_;
  testsupport::NullFiles files_;
  testsupport::NullProfile profile_;
  testsupport::NullRegistry registry_;
  testsupport::NullLz lz_;
  testsupport::NullUi ui_;
  testsupport::NullDde dde_;
  platform::Machine machine_{system_, files_, profile_, registry_, lz_, ui_, dde_};
  SetupState state_{machine_};
  std::vector<std::unique_ptr<char[]>> buffers_;
};

// The "95" naming the platform, rewritten in the text itself; a text
// without markers comes back as the same text.
TEST_F(ExpandTest, PlatformRewriteInPlace) {
  struct Case {
    Os os;
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {Os::k95, "Setup for Windows 95", "Setup for Windows 95"},
      {Os::k98, "Setup for Windows 95", "Setup for Windows 98"},
      {Os::kNt, "Setup for Windows 95", "Setup for Windows NT"},
      {Os::k95, "95 95 95", "95 95 95"},
      {Os::k98, "95 95 95", "98 95 95"},  // only the first on Windows 98
      {Os::kNt, "95 95 95", "NT NT 95"},  // the third survives on Windows NT
      {Os::kNt, "9595", "NTNT"},
      {Os::k98, "1995", "1998"},
      {Os::kNt, "for Windows 95/98/NT", "for Windows 95/98/NT"},
      {Os::k98, "for Windows 95/98/NT", "for Windows 95/98/NT"},
      {Os::kNt, "95 and 95/98/NT", "95 and 95/98/NT"},  // the whole text is left alone
      {Os::kNt, "95/98 95", "NT/98 NT"},
      {Os::kNt, "no version", "no version"},
      {Os::kNt, "9", "9"},
      {Os::kNt, "", ""},
  };
  for (const Case& c : cases) {
    Platform(c.os);
    char* text = Buffer(c.text);
    EXPECT_EQ(ExpandText(state_, text), text) << c.text;
    EXPECT_STREQ(text, c.expected) << c.text;
  }
}

TEST_F(ExpandTest, WindowsNtWinsOverWindows98) {
  state_.windowsNt = true;
  state_.windows98 = true;
  char* text = Buffer("Windows 95, 95");
  ExpandText(state_, text);
  EXPECT_STREQ(text, "Windows NT, NT");
}

// The display name per product and edition, in the setup title on each
// platform.
TEST_F(ExpandTest, ProductDisplayName) {
  struct Case {
    const char* prd;
    bool se;
    Os os;
    const char* expected;
  };
  const Case cases[] = {
      {"Halvorn", false, Os::kNt, "Halvorn+ Setup for Windows NT"},
      {"Halvorn", true, Os::kNt, "Halvorn SE Setup for Windows NT"},
      {"Halvorn", false, Os::k98, "Halvorn+ Setup for Windows 98"},
      {"Halvorn", true, Os::k95, "Halvorn SE Setup for Windows 95"},
      {"Pellidor", false, Os::k95, "Pellidor+ Setup for Windows 95"},
      {"Pellidor", true, Os::k95, "Pellidor SE Setup for Windows 95"},
      {"Ostrilk", false, Os::kNt, "Ostrilk Setup for Windows NT"},
      {"Ostrilk", true, Os::kNt, "Ostrilk Setup for Windows NT"},
      {"RQ-TAPE", false, Os::k95, "RQ-TAPE Setup for Windows 95"},
      {"HalvornPellidor", false, Os::k95, "HalvornPellidor++ Setup for Windows 95"},
      {"", false, Os::k95, " Setup for Windows 95"},
  };
  for (const Case& c : cases) {
    Product(c.prd, c.se);
    Platform(c.os);
    Catalog catalog;  // a fresh, unrewritten title each time
    char* title = catalog.Text(MSG_SETUP_TITLE, 0);
    const char* expanded = ExpandText(state_, title);
    EXPECT_NE(expanded, title) << c.prd;
    EXPECT_STREQ(expanded, c.expected) << c.prd;
  }
}

TEST_F(ExpandTest, PlaceholdersReplacedLeftToRight) {
  struct Case {
    const char* prd;
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"Halvorn", "Halvorn+ and Halvorn+.", "Halvorn+ and Halvorn+."},
      {"Pellidor", "Halvorn+ and Halvorn+.", "Pellidor+ and Pellidor+."},
      {"Ostrilk", "Halvorn+Halvorn+", "OstrilkOstrilk"},     // adjacent: both
      {"Ostrilk", "Halvorn+'s group", "Ostrilk's group"},
      {"Halvorn+", "[Halvorn+]", "[Halvorn++]"},             // not expanded again
      {"Ostrilk", "Halvorn", "Halvorn"},                     // no placeholder
  };
  for (const Case& c : cases) {
    Product(c.prd, false);
    char* text = Buffer(c.text);
    EXPECT_STREQ(ExpandText(state_, text), c.expected) << c.prd << " " << c.text;
    EXPECT_STREQ(text, c.text) << "the given text keeps its placeholders";
  }
}

TEST_F(ExpandTest, CompanyNames) {
  struct Case {
    const char* shortName;
    const char* longName;
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"Brennick", "Brennick Corporation", "!!co_shrt!! Software License Agreement",
       "Brennick Software License Agreement"},
      {"Brennick", "Brennick Corporation", "(c) !!co_long!!, all rights", "(c) Brennick Corporation, all rights"},
      {"Dunmarrow", "Dunmarrow Corporation", "!!co_long!! / !!co_shrt!!",
       "Dunmarrow Corporation / Dunmarrow"},
      {"Hesketh", "Hesketh Corporation", "!!co_shrt!!!!co_shrt!!", "HeskethHesketh"},
      {"Dunmarrow", "Dunmarrow Corporation", "!!co_shrt", "!!co_shrt"},
  };
  for (const Case& c : cases) {
    state_.companyShort = c.shortName;
    state_.companyLong = c.longName;
    EXPECT_STREQ(ExpandText(state_, Buffer(c.text)), c.expected) << c.text;
  }
}

// The company names the description derives for each product, as the
// license agreement's markers show them.
TEST_F(ExpandTest, CompanyNamesPerProduct) {
  struct Case {
    const char* prd;
    const char* expected;
  };
  const Case cases[] = {
      {"Halvorn", "Brennick Software License Agreement, (c) Brennick Corporation"},
      {"Ostrilk", "Brennick Software License Agreement, (c) Brennick Corporation"},
      {"RQ-TAPE", "Dunmarrow Software License Agreement, (c) Dunmarrow Corporation"},
      {"RQ-TAPE Pro", "Dunmarrow Software License Agreement, (c) Dunmarrow Corporation"},
      {"rq-tape", "Brennick Software License Agreement, (c) Brennick Corporation"},
  };
  for (const Case& c : cases) {
    state_.values.prd = c.prd;
    SetCompanyNames(state_);
    char* text = Buffer("!!co_shrt!! Software License Agreement, (c) !!co_long!!");
    EXPECT_STREQ(ExpandText(state_, text), c.expected) << c.prd;
  }
}

// All markers in one text, as the license agreement carries them, for an
// SE product on Windows NT.
TEST_F(ExpandTest, AllMarkersTogether) {
  Product("Halvorn", true);
  state_.companyShort = "Dunmarrow";
  state_.companyLong = "Dunmarrow Corporation";
  Platform(Os::kNt);
  char* text = Buffer("Halvorn+ for Windows 95 by !!co_long!! (!!co_shrt!!), Halvorn+ 95 95");
  EXPECT_STREQ(ExpandText(state_, text),
               "Halvorn SE for Windows NT by Dunmarrow Corporation (Dunmarrow), Halvorn SE NT 95");
}

// Many markers and long names: the result has its full length, whatever
// room a fixed working buffer would have had.
TEST_F(ExpandTest, ManyMarkersAndLongNames) {
  state_.companyLong = std::string(51, 'L');
  state_.values.prd = "Halvorn" + std::string(8, 'h');
  std::string text;
  for (int i = 0; i < 40; ++i) text += "!!co_long!! Halvorn+ ";
  const std::string expanded = ExpandText(state_, Buffer(text));
  std::string expected;
  for (int i = 0; i < 40; ++i) expected += std::string(51, 'L') + " Halvornhhhhhhhh+ ";
  EXPECT_EQ(expanded, expected);
}

TEST_F(ExpandTest, ReturnedTextComesBackUnchanged) {
  Platform(Os::kNt);
  char* text = Buffer("Halvorn+ 95 95 95");
  char* first = ExpandText(state_, text);
  ASSERT_NE(first, text);
  EXPECT_STREQ(first, "Halvorn+ NT NT 95");
  const std::size_t recorded = state_.expansionCache.Count();
  EXPECT_EQ(ExpandText(state_, first), first);
  EXPECT_STREQ(first, "Halvorn+ NT NT 95") << "a recorded text is not rewritten again";
  EXPECT_EQ(state_.expansionCache.Count(), recorded);
}

// A text without markers is recorded itself: later expansions find it at
// once and neither rewrite it again nor grow the cache.
TEST_F(ExpandTest, MarkerFreeTextRecordedOnce) {
  Platform(Os::kNt);
  char* text = state_.catalog.Text(MSG_INSERT_DISK, 0, kCaption);
  char* copying = Buffer("95 95 95");
  EXPECT_EQ(ExpandText(state_, text), text);
  EXPECT_EQ(ExpandText(state_, copying), copying);
  const std::size_t recorded = state_.expansionCache.Count();
  EXPECT_EQ(ExpandText(state_, copying), copying);
  EXPECT_EQ(ExpandText(state_, text), text);
  EXPECT_STREQ(copying, "NT NT 95");
  EXPECT_EQ(state_.expansionCache.Count(), recorded);
}

// The catalog text itself is rewritten by the first expansion; the second
// expansion of it finds it rewritten and gives a second, equal new text.
TEST_F(ExpandTest, PlaceholderCatalogTextExpandedTwice) {
  Platform(Os::kNt);
  char* title = state_.catalog.Text(MSG_SETUP_TITLE, 0);
  const char* first = Msg(state_, MSG_SETUP_TITLE);
  EXPECT_STREQ(first, "Halvorn+ Setup for Windows NT");
  EXPECT_STREQ(title, "Halvorn+ Setup for Windows NT");
  const std::size_t recorded = state_.expansionCache.Count();
  const char* second = Msg(state_, MSG_SETUP_TITLE);
  EXPECT_NE(second, first);
  EXPECT_STREQ(second, first);
  EXPECT_EQ(state_.expansionCache.Count(), recorded + 1);
  EXPECT_STREQ(first, "Halvorn+ Setup for Windows NT") << "the first text stays valid";
}

// With three "95"s and a placeholder, each expansion of the catalog text
// rewrites the next two still there.
TEST_F(ExpandTest, RepeatedExpansionRewritesFurtherOccurrences) {
  Platform(Os::kNt);
  char* text = Buffer("Halvorn+ 95 95 95");
  EXPECT_STREQ(ExpandText(state_, text), "Halvorn+ NT NT 95");
  EXPECT_STREQ(ExpandText(state_, text), "Halvorn+ NT NT NT");
}

TEST_F(ExpandTest, MsgUsesTheSetupLanguage) {
  Platform(Os::k98);
  state_.language = 1;
  EXPECT_STREQ(Msg(state_, MSG_DEFAULT_FOLDER), "Halvorn+ f\xFCr Windows 98");
  state_.language = 2;
  EXPECT_STREQ(Msg(state_, MSG_CONFIRM_UNINSTALL, kCaption), "Confirmez la d\xE9sinstallation");
  state_.language = 4;
  EXPECT_STREQ(Msg(state_, MSG_BUTTON_LABELS, 4), "&Agree");
  state_.language = 3;
  EXPECT_STREQ(Msg(state_, MSG_DRIVERS_DEACTIVATED, kCaption), "");
}

TEST_F(ExpandTest, NothingToExpandGivesEmptyText) {
  for (int language : {-1, kLanguageCount, 100}) {
    state_.language = language;
    const char* text = Msg(state_, MSG_SETUP_TITLE);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
  }
  state_.language = 0;
  EXPECT_STREQ(Msg(state_, MSG_COUNT), "");
  EXPECT_STREQ(Msg(state_, MSG_SETUP_TITLE, 3), "");
  char* none = ExpandText(state_, nullptr);
  ASSERT_NE(none, nullptr);
  EXPECT_STREQ(none, "");
}

// Beyond the cache's 1000 slots, every text handed out stays valid and is
// still recognised.
TEST_F(ExpandTest, CacheKeepsRecordingBeyondItsSlots) {
  const std::size_t total = ExpansionCache::kSlots + 500;
  std::vector<const char*> expanded;
  for (std::size_t i = 0; i < total; ++i) {
    expanded.push_back(ExpandText(state_, Buffer("Halvorn+ #" + std::to_string(i))));
  }
  EXPECT_EQ(state_.expansionCache.Count(), total);
  for (std::size_t i = 0; i < total; ++i) {
    ASSERT_STREQ(expanded[i], ("Halvorn+ #" + std::to_string(i)).c_str());
    ASSERT_TRUE(state_.expansionCache.Contains(expanded[i])) << i;
  }
}

TEST(ExpansionCacheTest, IdentityNotContent) {
  ExpansionCache cache;
  char* adopted = cache.Adopt("text");
  char other[] = "text";
  EXPECT_TRUE(cache.Contains(adopted));
  EXPECT_FALSE(cache.Contains(other));
  EXPECT_FALSE(cache.Contains(nullptr));
  cache.Record(other);
  EXPECT_TRUE(cache.Contains(other));
  EXPECT_EQ(cache.Count(), 2u);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_FALSE(cache.Contains(adopted));
  EXPECT_STREQ(adopted, "text") << "an adopted text outlives Clear";
}

TEST(TruncateTest, KeepsAtMostCapacityMinusOne) {
  struct Case {
    const char* value;
    std::size_t capacity;
    const char* expected;
  };
  const Case cases[] = {
      {"abc", 4, "abc"}, {"abcd", 4, "abc"}, {"abcdefgh", 4, "abc"},
      {"abc", 1, ""},    {"abc", 0, ""},     {"", 16, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Truncate(c.value, c.capacity), c.expected) << c.value << " " << c.capacity;
  }
}

}  // namespace
}  // namespace setup
