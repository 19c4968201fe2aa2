// The background window: its caption, gradient, logo and activation.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "support/recording_painter.h"
#include "scenario/scenario.h"
#include "setup/description.h"
#include "setup/state.h"
#include "simrun/product_resources.h"
#include "simrun/scenario_user.h"
#include "ui/background_window.h"
#include "ui/dialog_ids.h"
#include "ui/dialog_templates.h"

namespace ui {
namespace {

namespace fs = std::filesystem;

using testsupport::RecordingPainter;

class BackgroundTest : public ::testing::Test {
 protected:
  BackgroundTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::path(::testing::TempDir()) / ("background_" + std::string(info->name()));
    fs::remove_all(root_);
    std::string error;
    machine_ = sim::SimMachine::Open((root_ / "m").string(), &error);
    // The runner's part: the product's templates, and a user (with nothing
    // to say) who sees the windows.
    machine_->ui().SetResources(&simrun::ProductResources());
    machine_->ui().SetUser(&user_);
    state_ = std::make_unique<setup::SetupState>(machine_->machine());
  }
  ~BackgroundTest() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  // Derives the state from description values as the reader would.
  void Product(const std::string& prd, const std::string& aux, const std::string& plt,
               setup::Mode mode, const std::string& lng = "ENG") {
    setup::SetupState& s = *state_;
    s.values = {"1", "1", lng, prd, aux, "7.0", plt, "QIC"};
    s.productName = prd;
    s.version = "7.0";
    s.platformText = plt.find("95/NT") != std::string::npos ? "95/98/NT" : plt;
    s.seEdition = !aux.empty() && (aux[0] == 'S' || aux[0] == 'Y');
    s.language = setup::LanguageFromCode(lng);
    s.mode = mode;
  }

  fs::path root_;
  scenario::Scenario scenario_;
  simrun::ScenarioUser user_{scenario_};
  std::unique_ptr<sim::SimMachine> machine_;
  std::unique_ptr<setup::SetupState> state_;
};

TEST_F(BackgroundTest, CaptionTable) {
  struct {
    const char* prd;
    const char* aux;
    const char* plt;
    setup::Mode mode;
    const char* lng;
    const char* caption;
  } cases[] = {
      {"Halvorn", "N", "95/NT", setup::Mode::kInstall, "ENG",
       "Setup Halvorn+ 7.0 for Windows 95/98/NT"},
      {"Halvorn", "S", "95", setup::Mode::kInstall, "ENG", "Setup Halvorn SE 7.0 for Windows 95"},
      {"Halvorn", "Y", "NT", setup::Mode::kRestart, "ENG",
       "Uninstall Halvorn SE 7.0 for Windows NT"},
      {"Pellidor", "", "95", setup::Mode::kInstall, "ENG", "Setup Pellidor+ 7.0 for Windows 95"},
      {"Ostrilk", "N", "95/NT", setup::Mode::kRestart, "ENG",
       "Uninstall Ostrilk 7.0 for Windows 95/98/NT"},
      {"Halvorn", "N", "95", setup::Mode::kInstall, "GER", "Halvorn+ 7.0 f\xfcr Windows 95 installieren"},
  };
  for (const auto& c : cases) {
    Product(c.prd, c.aux, c.plt, c.mode, c.lng);
    EXPECT_EQ(BackgroundWindow::Caption(*state_), c.caption) << c.prd << " " << c.aux;
  }
}

TEST_F(BackgroundTest, PlatformTextIsNotRewrittenOnNt) {
  Product("Halvorn", "N", "95", setup::Mode::kInstall);
  state_->windowsNt = true;
  EXPECT_EQ(BackgroundWindow::Caption(*state_), "Setup Halvorn+ 7.0 for Windows 95");
}

TEST_F(BackgroundTest, CreatedWindowCarriesCaptionAndIsMaximized) {
  Product("Halvorn", "N", "95/NT", setup::Mode::kInstall);
  BackgroundWindow handler(*state_);
  platform::WindowHandle w = machine_->ui().CreateModeless(platform::kNoWindow, handler);
  ASSERT_NE(w, platform::kNoWindow);
  EXPECT_EQ(handler.Window(), w);
  EXPECT_EQ(machine_->ui().TemplateOf(w), ids::background::kTemplate);
  EXPECT_EQ(machine_->ui().GetWindowText(w), "Setup Halvorn+ 7.0 for Windows 95/98/NT");
  ASSERT_FALSE(user_.records().empty());
  EXPECT_EQ(user_.records()[0],
            "window 132 owner=none title=\"Setup Halvorn+ 7.0 for Windows 95/98/NT\"");
  machine_->ui().DestroyWindow(w);
}

TEST_F(BackgroundTest, GradientBandsRunFromBlueToNearlyBlack) {
  Product("Halvorn", "N", "95", setup::Mode::kInstall);
  BackgroundWindow handler(*state_);
  RecordingPainter painter(1024, 742);
  handler.OnPaint(1, painter);
  // First paint: gradient, default handling, gradient again, then the logo.
  EXPECT_EQ(painter.order,
            (std::vector<std::string>{"gradient", "default", "gradient", "bitmap", "bitmap"}));
  ASSERT_EQ(painter.fills.size(), 512u);
  double step = 742.0 / 256.0;
  for (int i = 0; i < 256; ++i) {
    const auto& f = painter.fills[static_cast<std::size_t>(i)];
    EXPECT_EQ(f.color, platform::Rgb(0, 0, 255 - i));
    EXPECT_EQ(f.rect.left, 0);
    EXPECT_EQ(f.rect.right, 1025);
    EXPECT_EQ(f.rect.top, static_cast<int>(i * step));
    EXPECT_EQ(f.rect.bottom, static_cast<int>((i + 1) * step));
  }
  EXPECT_EQ(painter.fills.back().rect.bottom, 742);

  // Later paints draw the gradient once.
  RecordingPainter again(1024, 742);
  handler.OnPaint(1, again);
  EXPECT_EQ(again.order, (std::vector<std::string>{"gradient", "default", "bitmap", "bitmap"}));
}

TEST_F(BackgroundTest, SmallClientCollapsesBands) {
  Product("Halvorn", "N", "95", setup::Mode::kInstall);
  BackgroundWindow handler(*state_);
  RecordingPainter painter(100, 100);
  handler.OnPaint(1, painter);
  int empty = 0;
  for (int i = 0; i < 256; ++i) {
    const auto& r = painter.fills[static_cast<std::size_t>(i)].rect;
    EXPECT_LE(r.top, r.bottom);
    if (r.top == r.bottom) ++empty;
  }
  EXPECT_EQ(empty, 156);
}

TEST_F(BackgroundTest, LogoWithShadowOrOemBitmap) {
  Product("Halvorn", "N", "95", setup::Mode::kInstall);
  BackgroundWindow shadowed(*state_);
  RecordingPainter p1(800, 600);
  shadowed.OnPaint(1, p1);
  ASSERT_EQ(p1.blits.size(), 2u);
  EXPECT_EQ(p1.blits[0].id, kLogoBitmap);
  EXPECT_EQ(p1.blits[0].x, 3);
  EXPECT_EQ(p1.blits[0].y, 3);
  EXPECT_EQ(p1.blits[0].rop, platform::Rop::kSrcAnd);
  EXPECT_EQ(p1.blits[1].x, 0);
  EXPECT_EQ(p1.blits[1].rop, platform::Rop::kMergePaint);

  Product("RQ-TAPE", "N", "95", setup::Mode::kInstall);
  BackgroundWindow oem(*state_);
  RecordingPainter p2(800, 600);
  oem.OnPaint(1, p2);
  ASSERT_EQ(p2.blits.size(), 1u);
  EXPECT_EQ(p2.blits[0].id, kOemLogoBitmap);
  EXPECT_EQ(p2.blits[0].x, 10);
  EXPECT_EQ(p2.blits[0].y, 10);
  EXPECT_EQ(p2.blits[0].rop, platform::Rop::kSrcCopy);
}

TEST_F(BackgroundTest, MissingBitmapLeavesGradientOnly) {
  Product("Halvorn", "N", "95", setup::Mode::kInstall);
  BackgroundWindow handler(*state_);
  RecordingPainter painter(800, 600);
  painter.bitmapsLoad = false;
  EXPECT_TRUE(handler.OnPaint(1, painter));
  EXPECT_TRUE(painter.blits.empty());
  EXPECT_EQ(painter.fills.size(), 512u);
}

TEST_F(BackgroundTest, StaysActiveLookingWhenDeactivated) {
  Product("Halvorn", "N", "95", setup::Mode::kInstall);
  BackgroundWindow handler(*state_);
  bool result = false;
  EXPECT_TRUE(handler.OnNcActivate(1, false, &result));
  EXPECT_TRUE(result);
  EXPECT_FALSE(handler.OnNcActivate(1, true, &result));
}

}  // namespace
}  // namespace ui
