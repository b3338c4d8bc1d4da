#include "editor/panel.h"

#include <cstdio>
#include <map>

#include "editor/bar_bitmap.h"
#include "editor/editor_layout.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"

using namespace VSTGUI;
using namespace orvalis::editor::layout;

namespace orvalis::editor {

namespace {

constexpr int kPanelId = 10001;

// The panel image of one scale: decoded once, on first use, and never changed after. Panels of
// every instance, on whatever thread, share it through its atomic reference count; this holder's
// reference goes when the library is unloaded.
class SharedPanelImage {
 public:
  explicit SharedPanelImage(int32_t scale) : image(new CBitmap(kPanelId, scale)) {}
  ~SharedPanelImage() { image->forget(); }
  SharedPanelImage(const SharedPanelImage&) = delete;
  SharedPanelImage& operator=(const SharedPanelImage&) = delete;
  CBitmap* const image;
};

}  // namespace

CBitmap* Panel::sharedPanel(int32_t scale) {
  // Function-local statics: their construction is thread-safe.
  if (scale >= 2) {
    static const SharedPanelImage doubled(2);
    return doubled.image;
  }
  static const SharedPanelImage single(1);
  return single.image;
}

Panel::Panel(PanelHost& panelHost) : host(panelHost) {
  std::snprintf(timingText, sizeof timingText, "init");
}

Panel::~Panel() { close(); }

bool Panel::setScaleFactor(float factor) { return scaleSource.setHostFactor(factor); }

int32_t Panel::scale() const {
  return frame ? layout.factor() : scaleSource.choose(nullptr).factor();
}

void Panel::open(void* parent) {
  if (frame) close();
  layout = scaleSource.choose(parent);
  const LayoutScale& at = layout;
  CBitmap* panel = sharedPanel(at.factor());
  CFrame* f = new CFrame(at.rect(0, 0, kWidth, kHeight), parent, this);
  f->setScale(at.factor());
  f->setBackground(panel);

  std::map<int32_t, CBitmap*> bitmaps;
  for (int32_t id : kBitmaps)
    bitmaps[id] = id == kPanelId ? (panel->remember(), panel) : new CBitmap(id, at.factor());

  // The controls start from the current values, so what was pending is shown already.
  pendingDirty.store(0);
  for (const ControlSpec& s : kParameterControls) {
    const CRect size = at.rect(s.left, s.top, s.right, s.bottom);
    CBitmap* image = bitmaps[s.image];
    CControl* control;
    if (s.kind == kSwitch) {
      const int32_t n = s.offset;
      control = new CHorizontalSwitch(size, this, s.param, n, image->getHeight() / n, n, image,
                                      CPoint(0, 0));
    } else {
      const int32_t style = s.style == kStyleBottom ? kBottom : s.style == kStyleTop ? kTop : kLeft;
      CSlider* slider;
      if (s.kind == kVerticalSlider)
        slider = new CVerticalSlider(size, this, s.param, at(s.iMinPos), at(s.iMaxPos), image,
                                     panel, at(CPoint(s.left, s.top)), style);
      else
        slider = new CHorizontalSlider(size, this, s.param, at(s.iMinPos), at(s.iMaxPos), image,
                                       panel, at(CPoint(s.left, s.top)), style);
      slider->setOffsetHandle(at(CPoint(s.offset, s.offset)));
      control = slider;
    }
    control->setValue(host.parameter(s.param));
    if (s.kind != kSwitch) control->setTransparency(true);
    paramControls[s.param] = control;
    f->addView(control);
  }

  CBitmap* copyImage = bitmaps[10200];
  CBitmap* pasteImage = bitmaps[10201];
  copyButton =
      new CKickButton(at.rect(20, 20, 80, 40), this, kCopyTag, at(20), copyImage, CPoint(0, 0));
  pasteButton =
      new CKickButton(at.rect(20, 40, 80, 60), this, kPasteTag, at(20), pasteImage, CPoint(0, 0));
  aboutSplash = new CSplashScreen(at.rect(0, 270, 260, 320), this, kAboutTag, bitmaps[10300],
                                  at.rect(20, 20, 240, 180), CPoint(0, 0));
  f->addView(copyButton);
  f->addView(pasteButton);
  f->addView(aboutSplash);

  // Build order of the bars: filter 1 envelope, the five ranges, filter 2 and amplitude envelopes.
  auto addLevel = [&](int i) {
    const BarSpec& b = kLevelBars[i];
    levelBars[i] =
        new CBarBitmap(at.rect(b.left, b.top, b.right, b.bottom), panel, bitmaps[b.image]);
    f->addView(levelBars[i]);
    levelBars[i]->setValue(b.value);
  };
  addLevel(0);
  for (int i = 0; i < 5; ++i) {
    const RangeSpec& r = kRangeBars[i];
    rangeBars[i] = new CBarBitmapLH(at.rect(r.left, r.top, r.right, r.bottom), panel,
                                    bitmaps[r.image], at.factor());
    f->addView(rangeBars[i]);
    rangeBars[i]->setValue(0.6f);
    rangeBars[i]->setLowHigh(0.8f, 0.5f);
  }
  addLevel(1);
  addLevel(2);

  for (auto& entry : bitmaps) entry.second->forget();

  timingDisplay =
      new CTextEdit(at.rect(0, 0, 100, 20), nullptr, kTimingTag, timingText, nullptr, 0);
  f->addView(timingDisplay);
  frame = f;
  frame->redraw();
}

void Panel::clearControls() {
  for (CControl*& c : paramControls) c = nullptr;
  for (CBarBitmap*& b : levelBars) b = nullptr;
  for (CBarBitmapLH*& b : rangeBars) b = nullptr;
  copyButton = pasteButton = nullptr;
  aboutSplash = nullptr;
  timingDisplay = nullptr;
}

void Panel::close() {
  CFrame* f = frame;
  frame = nullptr;
  clearControls();
  delete f;
}

void Panel::parameterChanged(int32_t index, float value) {
  if (index < 0 || index >= params::kNumParams) return;
  pendingValues[index].store(value, std::memory_order_relaxed);
  pendingDirty.fetch_or(uint64_t{1} << index, std::memory_order_release);
}

void Panel::showPendingValues() {
  uint64_t bits = pendingDirty.exchange(0, std::memory_order_acquire);
  for (int32_t index = 0; bits; ++index, bits >>= 1) {
    if (!(bits & 1)) continue;
    if (CControl* c = paramControls[index])
      c->setValue(pendingValues[index].load(std::memory_order_relaxed));
  }
}

void Panel::idle() {
  refresh();
  if (frame) frame->idle();
}

void Panel::refresh() {
  if (!frame) return;
  showPendingValues();
  const core::DisplaySnapshot shown = host.display();
  for (int i = 0; i < 5; ++i) {
    rangeBars[i]->setLowHigh(host.parameter(kRangeBars[i].lowParam),
                             host.parameter(kRangeBars[i].highParam));
    rangeBars[i]->setValue(shown.markers[i]);
  }
  levelBars[0]->setValue(shown.filter1Env);
  levelBars[1]->setValue(shown.filter2Env);
  levelBars[2]->setValue(shown.ampEnv);

  // Values beyond 9999.9 would not fit: the text is cut to the buffer, never overrun.
  std::snprintf(timingText, sizeof timingText, "% 6.1f % 6.1f", shown.meterSmooth,
                shown.meterMedian);
  if (!timingDisplay->isEditing()) timingDisplay->setText(timingText);
}

void Panel::valueChanged(CDrawContext* context, CControl* control) {
  if (!control) return;
  const int32_t tag = control->getTag();
  if (tag == kCopyTag) {
    host.copyProgram();
  } else if (tag == kPasteTag) {
    host.pasteProgram();
  } else if (tag >= 0 && tag < params::kNumParams) {
    host.changeParameter(tag, control->getValue());
    control->update(context);
  } else {
    control->update(context);
  }
}

bool Panel::isEditingText() const { return frame && frame->getEditView() != nullptr; }

}  // namespace orvalis::editor
