// The instrument's panel: 720 x 320 with a control for every parameter, copy and paste buttons,
// an about splash, the load meter's text and eight bars showing the last started voice. It lives
// in a parent window that its host gives it, or offscreen, and draws only in idle(). On
// high-density screens it is drawn at 2x (1440 x 640) from artwork made for that size.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/editor_scale.h"
#include "editor/panel_host.h"
#include "params/parameter_table.h"
#include "toolkit/frame.h"
#include "toolkit/layout_scale.h"
#include "toolkit/view.h"

namespace orvalis::editor {
class CBarBitmap;
class CBarBitmapLH;
}  // namespace orvalis::editor

namespace VSTGUI {
class CKickButton;
class CSplashScreen;
class CTextEdit;
}  // namespace VSTGUI

namespace orvalis::editor {

class Panel : public VSTGUI::CControlListener, public VSTGUI::FrameEditor {
 public:
  static constexpr int32_t kWidth = 720;
  static constexpr int32_t kHeight = 320;
  static constexpr int32_t kCopyTag = 1000;
  static constexpr int32_t kPasteTag = 1001;
  static constexpr int32_t kAboutTag = 10300;
  static constexpr int32_t kTimingTag = 999;

  explicit Panel(PanelHost& host);
  ~Panel() override;
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // parent: the host's window; null keeps the panel offscreen. Opening an open panel reopens it.
  void open(void* parent);

  // The scale factor the host asks for (a VST 2 host's vendor opcode, an LV2 UI's
  // ui:scaleFactor); 1.5 and above draw at 2x. It applies at once while the panel is closed and
  // from the next open while it is open. False for a factor that is not a positive number.
  bool setScaleFactor(float factor);
  // The scale of the open panel, or while closed the one the next open will use.
  int32_t scale() const;
  int32_t width() const { return kWidth * scale(); }
  int32_t height() const { return kHeight * scale(); }
  void close();
  bool isOpen() const { return frame != nullptr; }
  // Brings the controls up to date and reads the display snapshot; the frame draws what changed
  // at its own idle.
  void refresh();
  // refresh(), then the frame's idle: for hosts that give the panel nothing else.
  void idle();

  // From any thread, the audio thread included: stores the value, and idle() shows it.
  void parameterChanged(int32_t index, float value);

  // FrameEditor
  void beginEdit(int32_t tag) override { host.beginEdit(tag); }
  void endEdit(int32_t tag) override { host.endEdit(tag); }
  void doIdleStuff() override { host.idleDuringGesture(); }
  // CControlListener
  void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;

  VSTGUI::CFrame* getFrame() const { return frame; }
  bool isEditingText() const;
  // Valid while the panel is open.
  VSTGUI::CControl* parameterControl(int32_t index) const {
    return frame && index >= 0 && index < params::kNumParams ? paramControls[index] : nullptr;
  }
  const char* timing() const { return timingText; }
  CBarBitmap* levelBar(int i) const { return levelBars[i]; }
  CBarBitmapLH* rangeBar(int i) const { return rangeBars[i]; }
  VSTGUI::CSplashScreen* about() const { return aboutSplash; }
  VSTGUI::CKickButton* copy() const { return copyButton; }
  VSTGUI::CKickButton* paste() const { return pasteButton; }

  // The panel image of a scale, shared read-only by every panel of the process.
  static VSTGUI::CBitmap* sharedPanel(int32_t scale = 1);

 private:
  void clearControls();
  void showPendingValues();

  PanelHost& host;
  VSTGUI::CFrame* frame = nullptr;
  EditorScale scaleSource;
  VSTGUI::LayoutScale layout;  // of the open panel
  // Values cross threads as a store plus a dirty bit.
  std::atomic<float> pendingValues[params::kNumParams] = {};
  std::atomic<uint64_t> pendingDirty{0};
  VSTGUI::CControl* paramControls[params::kNumParams] = {};
  VSTGUI::CTextEdit* timingDisplay = nullptr;
  char timingText[16];
  VSTGUI::CKickButton* copyButton = nullptr;
  VSTGUI::CKickButton* pasteButton = nullptr;
  VSTGUI::CSplashScreen* aboutSplash = nullptr;
  CBarBitmap* levelBars[3] = {};    // filter1EnvBar, filter2EnvBar, ampEnvBar
  CBarBitmapLH* rangeBars[5] = {};  // filter1Freq, filter1Reso, timbre, filter2Freq, filter2Reso
};

}  // namespace orvalis::editor
