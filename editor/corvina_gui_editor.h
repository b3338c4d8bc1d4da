// The instrument's window: a 720 x 320 panel with a control for every parameter, copy and paste
// buttons, an about splash, the load meter's text and eight bars showing the last started voice.
// On high-density screens it is drawn at 2x (1440 x 640) from artwork made for that size.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/editor_scale.h"
#include "plugin/aeff_gui_editor.h"
#include "toolkit/layout_scale.h"
#include "toolkit/view.h"

class Corvina;
class CBarBitmap;
class CBarBitmapLH;

namespace VSTGUI {
class CKickButton;
class CSplashScreen;
class CTextEdit;
}  // namespace VSTGUI

class CorvinaGuiEditor : public AEffGUIEditor, public VSTGUI::CControlListener {
 public:
  static constexpr int32_t kWidth = 720;
  static constexpr int32_t kHeight = 320;
  static constexpr int32_t kCopyTag = 1000;
  static constexpr int32_t kPasteTag = 1001;
  static constexpr int32_t kAboutTag = 10300;
  static constexpr int32_t kTimingTag = 999;

  explicit CorvinaGuiEditor(Corvina* instrument);
  ~CorvinaGuiEditor() override;

  int32_t getRect(ERect** rect) override;
  int32_t open(void* ptr) override;
  void close() override;
  void idle() override;
  int32_t onKeyDown(VstKeyCode& keyCode) override;
  int32_t onKeyUp(VstKeyCode& keyCode) override;
  void setParameter(int32_t index, float value) override;
  void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;
  bool isEditingText() const;

  // The scale factor the host asks for (a VST 2 host's vendor opcode, an LV2 UI's
  // ui:scaleFactor); 1.5 and above draw at 2x. It applies at once while the window is closed
  // and from the next open while it is open. False for a factor that is not a positive number.
  bool setScaleFactor(float factor);
  // The scale of the open window, or the one the next open will use as last reported.
  int32_t scale() const { return layout.factor(); }

  // Valid while the window is open.
  VSTGUI::CControl* parameterControl(int32_t index) const {
    return frame && index >= 0 && index < kParameters ? paramControls[index] : nullptr;
  }
  const char* timing() const { return timingText; }
  CBarBitmap* levelBar(int i) const { return levelBars[i]; }
  CBarBitmapLH* rangeBar(int i) const { return rangeBars[i]; }
  VSTGUI::CSplashScreen* about() const { return aboutSplash; }
  VSTGUI::CKickButton* copy() const { return copyButton; }
  VSTGUI::CKickButton* paste() const { return pasteButton; }

  // The panel image of a scale shared by every editor of the process, or null when none holds it.
  static VSTGUI::CBitmap* sharedPanel(int32_t scale = 1);

 private:
  static constexpr int32_t kParameters = 61;
  void useScale(const VSTGUI::LayoutScale& s);
  VSTGUI::CBitmap* takePanel(int32_t scale);
  void clearControls();
  void storeParameter(int32_t index, float value);

  Corvina* instrument;
  EditorScale scaleSource;
  VSTGUI::LayoutScale layout;
  bool holdsPanel[2] = {false, false};  // at 1x, at 2x
  // setParameter may come from the audio thread while the window closes on the user-interface
  // thread: close() marks the window shut, then waits for writers in flight before deleting.
  std::atomic<bool> windowOpen{false};
  std::atomic<int> parameterWriters{0};
  VSTGUI::CControl* paramControls[kParameters] = {};
  VSTGUI::CTextEdit* timingDisplay = nullptr;
  char timingText[16];
  VSTGUI::CKickButton* copyButton = nullptr;
  VSTGUI::CKickButton* pasteButton = nullptr;
  VSTGUI::CSplashScreen* aboutSplash = nullptr;
  CBarBitmap* levelBars[3] = {};    // filter1EnvBar, filter2EnvBar, ampEnvBar
  CBarBitmapLH* rangeBars[5] = {};  // filter1Freq, filter1Reso, timbre, filter2Freq, filter2Reso
};
