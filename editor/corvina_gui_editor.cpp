#include "editor/corvina_gui_editor.h"

#include <cstdio>
#include <map>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#endif

#include "editor/bar_bitmap.h"
#include "editor/editor_layout.h"
#include "plugin/corvina.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/frame.h"

using namespace VSTGUI;
using namespace editor_layout;

namespace {

// One panel image per scale for the whole process. Each editor object holds one reference from
// its first open at that scale to its destruction; the last one to let go frees it and empties
// the slot.
CBitmap* gPanels[2] = {nullptr, nullptr};

constexpr int kPanelId = 10001;

void yieldThread() {
#if defined(_WIN32)
  SwitchToThread();
#else
  sched_yield();
#endif
}

}  // namespace

CBitmap* CorvinaGuiEditor::sharedPanel(int32_t scale) { return gPanels[scale >= 2 ? 1 : 0]; }

CorvinaGuiEditor::CorvinaGuiEditor(Corvina* instrument)
    : AEffGUIEditor(instrument), instrument(instrument) {
  useScale(LayoutScale(1));
  std::snprintf(timingText, sizeof timingText, "init");
}

CorvinaGuiEditor::~CorvinaGuiEditor() {
  close();
  for (int i = 0; i < 2; ++i) {
    if (!holdsPanel[i] || !gPanels[i]) continue;
    const bool last = gPanels[i]->referenceCount() == 1;
    gPanels[i]->forget();
    if (last) gPanels[i] = nullptr;
  }
}

void CorvinaGuiEditor::useScale(const LayoutScale& s) {
  layout = s;
  rect.top = 0;
  rect.left = 0;
  rect.bottom = static_cast<int16_t>(s(kHeight));
  rect.right = static_cast<int16_t>(s(kWidth));
}

bool CorvinaGuiEditor::setScaleFactor(float factor) {
  if (!scaleSource.setHostFactor(factor)) return false;
  if (!frame) useScale(scaleSource.choose(nullptr));
  return true;
}

// While the window is closed the size follows the current scale at once; an open window keeps
// its size until it is opened again.
int32_t CorvinaGuiEditor::getRect(ERect** r) {
  if (!frame) useScale(scaleSource.choose(nullptr));
  return AEffGUIEditor::getRect(r);
}

CBitmap* CorvinaGuiEditor::takePanel(int32_t scale) {
  const int i = scale >= 2 ? 1 : 0;
  if (!holdsPanel[i]) {
    if (gPanels[i])
      gPanels[i]->remember();
    else
      gPanels[i] = new CBitmap(kPanelId, scale);
    holdsPanel[i] = true;
  }
  return gPanels[i];
}

int32_t CorvinaGuiEditor::open(void* ptr) {
  // Some hosts open twice without closing: the old window goes first.
  if (frame) close();
  AEffGUIEditor::open(ptr);
  useScale(scaleSource.choose(ptr));
  const LayoutScale& at = layout;

  CBitmap* panel = takePanel(at.factor());
  CFrame* f = new CFrame(at.rect(0, 0, kWidth, kHeight), ptr, this);
  f->setScale(at.factor());
  f->setBackground(panel);

  std::map<int32_t, CBitmap*> bitmaps;
  for (int32_t id : kBitmaps)
    bitmaps[id] = id == kPanelId ? (panel->remember(), panel) : new CBitmap(id, at.factor());

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
    control->setValue(instrument->getParameter(s.param));
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
  windowOpen.store(true);
  return 1;
}

void CorvinaGuiEditor::clearControls() {
  for (CControl*& c : paramControls) c = nullptr;
  for (CBarBitmap*& b : levelBars) b = nullptr;
  for (CBarBitmapLH*& b : rangeBars) b = nullptr;
  copyButton = pasteButton = nullptr;
  aboutSplash = nullptr;
  timingDisplay = nullptr;
}

void CorvinaGuiEditor::close() {
  windowOpen.store(false);
  while (parameterWriters.load() != 0) yieldThread();
  CFrame* f = frame;
  frame = nullptr;
  clearControls();
  delete f;
}

void CorvinaGuiEditor::idle() {
  if (!frame || inIdle) return;
  const SynthEngine& engine = instrument->synth();
  auto voice = [&]() -> const Voice& {
    return engine.voice(engine.allocator().lastStartedVoice());
  };
  const float markers[5] = {voice().filter.cutoff1, voice().filter.reso1, voice().timbreRaw,
                            voice().filter.cutoff2, voice().filter.reso2};
  for (int i = 0; i < 5; ++i) {
    rangeBars[i]->setLowHigh(instrument->getParameter(kRangeBars[i].lowParam),
                             instrument->getParameter(kRangeBars[i].highParam));
    rangeBars[i]->setValue(markers[i]);
  }
  levelBars[0]->setValue(voice().filter1Env.output);
  levelBars[1]->setValue(voice().filter2Env.output);
  levelBars[2]->setValue(voice().ampEnv.output);

  // Values beyond 9999.9 would not fit: the text is cut to the buffer, never overrun.
  const ProcessingMeter& meter = engine.meter();
  std::snprintf(timingText, sizeof timingText, "% 6.1f % 6.1f", meter.smooth, meter.median);
  if (!timingDisplay->isEditing()) timingDisplay->setText(timingText);
  AEffGUIEditor::idle();
}

int32_t CorvinaGuiEditor::onKeyDown(VstKeyCode&) { return -1; }

int32_t CorvinaGuiEditor::onKeyUp(VstKeyCode&) { return -1; }

// May run on the audio thread (hosts automate from there): it only stores values and marks
// controls dirty; the frame draws them at its next idle.
void CorvinaGuiEditor::setParameter(int32_t index, float value) {
  if (index < 0 || index >= kParameters) return;
  parameterWriters.fetch_add(1);
  if (windowOpen.load()) storeParameter(index, value);
  parameterWriters.fetch_sub(1);
}

void CorvinaGuiEditor::storeParameter(int32_t index, float value) {
  if (CControl* c = paramControls[index]) c->setValue(value);
  for (int i = 0; i < 5; ++i) {
    const RangeSpec& r = kRangeBars[i];
    if (index != r.lowParam && index != r.highParam) continue;
    // The changed index brings the new value; the plug-in has not stored it yet.
    const float low = index == r.lowParam ? value : instrument->getParameter(r.lowParam);
    const float high = index == r.highParam ? value : instrument->getParameter(r.highParam);
    if (CBarBitmapLH* bar = rangeBars[i]) bar->setLowHigh(low, high);
  }
}

void CorvinaGuiEditor::valueChanged(CDrawContext* context, CControl* control) {
  if (!control) return;
  const int32_t tag = control->getTag();
  if (tag == kCopyTag) {
    instrument->copyToClipboard();
  } else if (tag == kPasteTag) {
    instrument->pasteFromClipboard();
  } else if (tag >= 0 && tag < kParameters) {
    instrument->setParameterAutomated(tag, control->getValue());
    control->update(context);
  } else {
    control->update(context);
  }
}

bool CorvinaGuiEditor::isEditingText() const { return frame && frame->getEditView() != nullptr; }
