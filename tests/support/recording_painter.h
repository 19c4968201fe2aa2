// A painter that records what a paint handler draws, for the tests of the
// background window and the percentage bars. The client area is given;
// characters are 6 x 13 pixels unless told otherwise; bitmaps are 230 x 110
// and, like icons, load unless bitmapsLoad is false.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace testsupport {

class RecordingPainter : public platform::Painter {
 public:
  struct Fill {
    platform::Rect rect;
    platform::Color color;
  };
  struct Frame {
    platform::Rect rect;
    platform::Color color;
  };
  struct Blit {
    int id, x, y;
    platform::Rop rop;
  };
  struct Icon {
    int id, x, y;
  };
  struct Text {
    int x, y;
    platform::Rect clip;
    std::string text;
    platform::Color textColor, backColor;
  };

  RecordingPainter() = default;
  RecordingPainter(int width, int height) : client{0, 0, width, height} {}

  // ---- settings
  platform::Rect client{0, 0, 152, 20};
  platform::Size charSize{6, 13};
  bool bitmapsLoad = true;
  // When set, every frame drawn must have this colour.
  std::optional<platform::Color> frameColor;

  // ---- what was drawn
  std::vector<Fill> fills;
  std::vector<Frame> frames;
  std::vector<Blit> blits;
  std::vector<Icon> icons;
  std::vector<Text> texts;
  // The order of the kinds of drawing: "gradient" for a run of fills,
  // "default", "bitmap", "icon".
  std::vector<std::string> order;

  // Forgets what was drawn.
  void Clear() {
    fills.clear();
    frames.clear();
    blits.clear();
    icons.clear();
    texts.clear();
    order.clear();
  }

  platform::Rect ClientRect() override { return client; }
  void FillSolid(const platform::Rect& r, platform::Color c) override {
    fills.push_back({r, c});
    if (order.empty() || order.back() != "gradient") order.push_back("gradient");
  }
  void FrameRect(const platform::Rect& r, platform::Color c) override {
    if (frameColor) {
      EXPECT_EQ(c, *frameColor) << "frame " << r.left << "," << r.top << "," << r.right << ","
                                << r.bottom;
    }
    frames.push_back({r, c});
  }
  bool BitmapSize(int, platform::Size* out) override {
    *out = {230, 110};
    return bitmapsLoad;
  }
  bool DrawBitmap(int id, int x, int y, platform::Rop rop) override {
    if (!bitmapsLoad) return false;
    blits.push_back({id, x, y, rop});
    order.push_back("bitmap");
    return true;
  }
  // Icons load when bitmaps do.
  bool DrawIcon(int id, int x, int y) override {
    if (!bitmapsLoad) return false;
    icons.push_back({id, x, y});
    order.push_back("icon");
    return true;
  }
  platform::Size TextExtent(const std::string& t) override {
    return {charSize.cx * static_cast<int>(t.size()), charSize.cy};
  }
  void DrawTextClipped(int x, int y, const platform::Rect& clip, const std::string& t,
                       platform::Color textColor, platform::Color backColor) override {
    texts.push_back({x, y, clip, t, textColor, backColor});
  }
  void DefaultPaint() override { order.push_back("default"); }
};

}  // namespace testsupport
