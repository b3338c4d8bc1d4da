// Every text of the artwork, at both scales, from the rectangles tools/make_artwork.py writes
// out: each label of the panel lies inside its panel, clear of every control, every handle's
// travel and every other label, and every text stands out 4.5:1 from its background, measured
// from the pixels the window shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "editor/bar_bitmap.h"
#include "plugin/corvina_gui_editor.h"
#include "resources/artwork_labels.h"
#include "tests/support/editor_scale.h"
#include "tests/support/test_host.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/frame.h"

using namespace VSTGUI;

namespace {

constexpr int32_t kPanelImage = 10001;
constexpr double kMinContrast = 4.5;

CRect rectOf(const orvalis::artwork::Label& l) { return CRect(l.left, l.top, l.right, l.bottom); }

bool overlaps(const CRect& a, const CRect& b) { return !a.intersected(b).isEmpty(); }

bool contains(const CRect& outer, const CRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

double luminance(uint32_t pixel) {
  auto linear = [](uint32_t c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear((pixel >> 16) & 0xFF) + 0.7152 * linear((pixel >> 8) & 0xFF) +
         0.0722 * linear(pixel & 0xFF);
}

double contrast(uint32_t a, uint32_t b) {
  const double x = luminance(a), y = luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The contrast a text reaches: its background is the commonest colour of its rectangle, its ink
// the pixel that stands out most from that background (thin strokes are anti-aliased, so this is
// where the strokes are fully covered).
template <typename Pixel>
double textContrast(const CRect& r, Pixel pixel) {
  std::map<uint32_t, int> counts;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) ++counts[pixel(x, y) & 0xFFFFFF];
  uint32_t background = 0;
  int most = -1;
  for (const auto& c : counts)
    if (c.second > most) most = c.second, background = c.first;
  double best = 1;
  for (const auto& c : counts) best = std::max(best, contrast(c.first, background));
  return best;
}

// What a label must keep clear of: every view of the window and every slider handle's travel.
struct Obstacle {
  std::string name;
  CRect rect;
  const CView* view;
};

std::vector<Obstacle> obstaclesOf(orvalis::editor::Panel& editor) {
  std::vector<Obstacle> out;
  CFrame& frame = *editor.getFrame();
  for (int32_t i = 0; i < frame.getNbViews(); ++i) {
    CView* view = frame.getView(i);
    const std::string name = "view " + std::to_string(i);
    out.push_back({name, view->getViewSize(), view});
    if (auto* slider = dynamic_cast<CSlider*>(view)) {
      const float value = slider->getValue();
      slider->setValue(0.f);
      const CRect a = slider->handleRect();
      slider->setValue(1.f);
      const CRect b = slider->handleRect();
      slider->setValue(value);
      out.push_back({name + " handle travel", a.united(b).intersected(view->getViewSize()), view});
    }
  }
  return out;
}

}  // namespace

TEST(ArtworkLabelTest, LabelsSitInsideTheirPanelsClearOfControlsAndOfEachOther) {
  for (int32_t scale : {1, 2}) {
    orvalis::tests::InProcessHost host;
    orvalis::editor::Panel& editor = orvalis::tests::openEditorAt(host, static_cast<float>(scale));
    ASSERT_EQ(editor.scale(), scale);
    const std::vector<Obstacle> obstacles = obstaclesOf(editor);
    const CRect window = editor.getFrame()->getViewSize();
    std::map<std::string, CRect> panels;
    for (const orvalis::artwork::Panel& p : orvalis::artwork::kPanels)
      if (p.scale == scale) panels[p.name] = CRect(p.left, p.top, p.right, p.bottom);

    int checked = 0;
    for (const orvalis::artwork::Label& label : orvalis::artwork::kLabels) {
      if (label.scale != scale || label.image != kPanelImage) continue;
      ++checked;
      const CRect r = rectOf(label);
      const std::string what = std::string("\"") + label.text + "\" at " + std::to_string(scale) +
                               "x (" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")";
      ASSERT_TRUE(panels.count(label.panel)) << what << " names no panel";
      EXPECT_TRUE(contains(window, r)) << what;
      EXPECT_TRUE(contains(panels[label.panel], r)) << what << " leaves " << label.panel;
      for (const auto& p : panels) {
        if (p.first == label.panel) continue;
        EXPECT_FALSE(overlaps(r, p.second)) << what << " in " << p.first;
      }
      // A text printed on a control (the about strip) may only cover that control.
      const CView* on = std::strcmp(label.on, "about") == 0 ? editor.about() : nullptr;
      EXPECT_TRUE(*label.on == '\0' || on) << what << " is on an unknown control " << label.on;
      for (const Obstacle& o : obstacles) {
        if (o.view == on) continue;
        EXPECT_FALSE(overlaps(r, o.rect)) << what << " under " << o.name;
      }
      for (const orvalis::artwork::Label& other : orvalis::artwork::kLabels) {
        if (&other == &label || other.scale != scale || other.image != kPanelImage) continue;
        EXPECT_FALSE(overlaps(r, rectOf(other))) << what << " runs into \"" << other.text << "\"";
      }
    }
    EXPECT_GT(checked, 50) << scale << "x";
    host.dispatch(effEditClose);
  }
}

TEST(ArtworkLabelTest, EveryTextStandsOutFromItsBackgroundAtBothScales) {
  for (int32_t scale : {1, 2}) {
    orvalis::tests::InProcessHost host;
    orvalis::editor::Panel& editor = orvalis::tests::openEditorAt(host, static_cast<float>(scale));
    // The panel's texts as the window shows them; the others from their own bitmaps, as the
    // controls that show them loaded them.
    CFrame& frame = *editor.getFrame();
    const int32_t width = frame.getViewSize().width();
    std::map<int32_t, const CBitmap*> bitmaps;
    for (int32_t i = 0; i < frame.getNbViews(); ++i)
      if (const CBitmap* b = frame.getView(i)->getBackground()) bitmaps[b->getResourceID()] = b;
    for (const orvalis::artwork::Label& label : orvalis::artwork::kLabels) {
      if (label.scale != scale) continue;
      const CRect r = rectOf(label);
      double measured = 0;
      if (label.image == kPanelImage) {
        measured =
            textContrast(r, [&](int32_t x, int32_t y) { return frame.pixels()[y * width + x]; });
      } else {
        const CBitmap* bitmap = bitmaps[label.image];
        ASSERT_NE(bitmap, nullptr) << "no control shows bitmap " << label.image;
        ASSERT_TRUE(contains(CRect(0, 0, bitmap->getWidth(), bitmap->getHeight()), r))
            << label.text << " in bitmap " << label.image;
        measured = textContrast(r, [&](int32_t x, int32_t y) { return bitmap->pixel(x, y); });
      }
      EXPECT_GE(measured, kMinContrast)
          << "\"" << label.text << "\" in bitmap " << label.image << " at " << scale << "x";
    }
    host.dispatch(effEditClose);
  }
}

TEST(ArtworkLabelTest, BothScalesCarryTheSameTextsAndPanels) {
  std::multiset<std::string> texts[2], panels[2];
  for (const orvalis::artwork::Label& l : orvalis::artwork::kLabels)
    texts[l.scale - 1].insert(std::to_string(l.image) + " " + l.text + " " + l.panel);
  for (const orvalis::artwork::Panel& p : orvalis::artwork::kPanels)
    panels[p.scale - 1].insert(p.name);
  EXPECT_FALSE(texts[0].empty());
  EXPECT_EQ(texts[0], texts[1]);
  EXPECT_EQ(panels[0], panels[1]);
}
