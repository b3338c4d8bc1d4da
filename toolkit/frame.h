// The editor window's root: owns its views in insertion order and draws them in that order into
// its pixel buffer, redraws dirty views at idle, routes mouse input to the view under the pointer
// (or to the modal view), keys to the view holding the keyboard focus, and tells its editor
// about the begin and end of every edit gesture.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/draw_context.h"
#include "toolkit/view.h"

namespace VSTGUI {

class PlatformWindow;

// What the frame asks of the editor that owns it.
class FrameEditor {
 public:
  virtual ~FrameEditor() {}
  virtual void beginEdit(int32_t tag) = 0;
  virtual void endEdit(int32_t tag) = 0;
  // Lets the host and the editor run while a control tracks the mouse.
  virtual void doIdleStuff() = 0;
};

class CFrame : public CView {
 public:
  // systemWindow: the host's parent window; null gives an offscreen frame.
  CFrame(const CRect& size, void* systemWindow, FrameEditor* editor);
  ~CFrame() override;

  bool addView(CView* view);
  bool removeView(CView* view);  // deletes it
  int32_t getNbViews() const { return static_cast<int32_t>(views.size()); }
  CView* getView(int32_t index) const;

  void draw(CDrawContext* context) override;
  // Draws everything and shows it.
  void redraw();
  // Delivers pending window events, redraws dirty views and shows what changed.
  void idle();
  // Redraws the dirty views and shows what changed.
  void redrawDirty();

  // Input from the platform window (or a test), in window coordinates.
  bool onMouseDown(const CPoint& where, int32_t buttons) override;
  void onMouseMoved(const CPoint& where, int32_t buttons) override;
  void onMouseUp(const CPoint& where, int32_t buttons) override;
  int32_t onKeyDown(const KeyEvent& key) override;
  int32_t onKeyUp(const KeyEvent& key) override;
  using CView::onWheel;
  bool onWheel(void* context, const CPoint& where, float distance);

  // Only one modal view at a time: answers false while another holds the place.
  bool setModalView(CView* view);
  CView* getModalView() const { return modal; }
  void setEditView(CView* view);
  CView* getEditView() const { return editView; }

  void beginEdit(int32_t tag);
  void endEdit(int32_t tag);
  void doIdleStuff();

  // The scale the frame's views were laid out for (1 or 2); text fields draw their font at it.
  void setScale(int32_t scale) { context.setScale(scale); }
  int32_t getScale() const { return context.getScale(); }

  CDrawContext* getDrawContext() { return &context; }
  const std::vector<uint32_t>& pixels() const { return buffer; }
  PlatformWindow* platformWindow() const { return window; }
  int platformFileDescriptor() const;
  FrameEditor* getEditor() const { return editor; }

 private:
  void present();

  FrameEditor* editor;
  std::vector<uint32_t> buffer;
  CDrawContext context;
  std::vector<CView*> views;
  CView* modal = nullptr;
  CView* editView = nullptr;
  CView* tracking = nullptr;
  PlatformWindow* window = nullptr;
};

}  // namespace VSTGUI
