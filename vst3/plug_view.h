// The editor as a VST 3 view: the instrument's panel in the host's window, at a fixed size.
// On Linux the host's run loop drives it: a timer for idle and a handler for the window's
// connection, so that no thread of ours touches X. Panel gestures reach the host through the
// component handler as begin, perform and end edit.
#pragma once

#include <atomic>

#include "editor/instrument_panel_host.h"
#include "editor/panel.h"
#include "vst3/abi_view.h"

namespace orvalis::vst3 {

class InstrumentComponent;

class PlugView final : public IPlugView,
                       public IPlugViewContentScaleSupport,
                       public ITimerHandler,
                       public IEventHandler,
                       public editor::InstrumentPanelHost::Listener {
 public:
  static constexpr uint64_t kIdleMilliseconds = 30;

  // Null when out of memory. The view holds a reference to its owner.
  static PlugView* create(InstrumentComponent& owner);

  // A value the host set; from any thread: the panel stores it and shows it at idle.
  void parameterChanged(int index, float value) { panel.parameterChanged(index, value); }

  // FUnknown
  tresult ORVALIS_VST3_CALL queryInterface(const TUID iid, void** object) override;
  uint32_t ORVALIS_VST3_CALL addRef() override;
  uint32_t ORVALIS_VST3_CALL release() override;

  // IPlugView
  tresult ORVALIS_VST3_CALL isPlatformTypeSupported(FIDString type) override;
  tresult ORVALIS_VST3_CALL attached(void* parent, FIDString type) override;
  tresult ORVALIS_VST3_CALL removed() override;
  tresult ORVALIS_VST3_CALL onWheel(float) override { return kResultFalse; }
  tresult ORVALIS_VST3_CALL onKeyDown(char16, int16_t, int16_t) override { return kResultFalse; }
  tresult ORVALIS_VST3_CALL onKeyUp(char16, int16_t, int16_t) override { return kResultFalse; }
  tresult ORVALIS_VST3_CALL getSize(ViewRect* size) override;
  tresult ORVALIS_VST3_CALL onSize(ViewRect* newSize) override;
  tresult ORVALIS_VST3_CALL onFocus(TBool) override { return kResultOk; }
  tresult ORVALIS_VST3_CALL setFrame(IPlugFrame* frame) override;
  tresult ORVALIS_VST3_CALL canResize() override { return kResultFalse; }
  tresult ORVALIS_VST3_CALL checkSizeConstraint(ViewRect* rect) override;

  // IPlugViewContentScaleSupport
  tresult ORVALIS_VST3_CALL setContentScaleFactor(float factor) override;

  // The host's run loop
  void ORVALIS_VST3_CALL onTimer() override { panel.idle(); }
  void ORVALIS_VST3_CALL onFDIsSet(int) override { panel.idle(); }

  // InstrumentPanelHost::Listener
  void gestureBegan(int index) override;
  void parameterEdited(int index, float value) override;
  void gestureEnded(int index) override;
  void programReplaced() override;

  const editor::Panel& shownPanel() const { return panel; }

 private:
  explicit PlugView(InstrumentComponent& owner);
  ~PlugView();
  void startRunLoop();
  void stopRunLoop();

  std::atomic<uint32_t> references{1};
  InstrumentComponent& owner;
  editor::InstrumentPanelHost host;
  editor::Panel panel;
  IPlugFrame* plugFrame = nullptr;
  IRunLoop* runLoop = nullptr;  // while attached, on Linux
  bool watchingDescriptor = false;
  void* parentWindow = nullptr;
};

}  // namespace orvalis::vst3
