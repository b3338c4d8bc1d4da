// Views and controls: a view owns its rectangle and draws itself; a control adds a value in
// [min, max], a tag, a listener and the dirty tracking the frame's idle redraw relies on.
#pragma once

#include <cstdint>

#include "toolkit/geometry.h"

namespace VSTGUI {

class CBitmap;
class CControl;
class CDrawContext;
class CFrame;

enum MouseButton : int32_t { kLButton = 1, kRButton = 2, kMButton = 4 };

struct KeyEvent {
  int32_t character = 0;
  uint8_t virt = 0;
  uint8_t modifier = 0;
};

// Virtual key codes the text field understands.
enum VirtualKey : uint8_t {
  kVirtBack = 1,
  kVirtTab = 2,
  kVirtReturn = 4,
  kVirtEscape = 6,
  kVirtEnter = 19
};

class CControlListener {
 public:
  virtual ~CControlListener() {}
  virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
};

class CView {
 public:
  explicit CView(const CRect& size) : size(size), mouseableArea(size) {}
  virtual ~CView();

  virtual void draw(CDrawContext* context);
  // Mouse input in window coordinates; answer true to track the gesture until the button is up.
  virtual bool onMouseDown(const CPoint& where, int32_t buttons);
  virtual void onMouseMoved(const CPoint& where, int32_t buttons);
  virtual void onMouseUp(const CPoint& where, int32_t buttons);
  // Answer -1 when the key is not used.
  virtual int32_t onKeyDown(const KeyEvent& key);
  virtual int32_t onKeyUp(const KeyEvent& key);
  virtual bool onWheel(const CPoint& where, float distance);
  virtual void looseFocus() {}
  virtual void takeFocus() {}

  virtual bool isDirty() const { return dirty; }
  virtual void setDirty(bool flag = true) { dirty = flag; }

  void setFrame(CFrame* f) { frame = f; }
  CFrame* getFrame() const { return frame; }
  const CRect& getViewSize() const { return size; }
  virtual void setViewSize(const CRect& rect) { size = rect; }
  const CRect& getMouseableArea() const { return mouseableArea; }
  void setMouseableArea(const CRect& rect) { mouseableArea = rect; }

  void setTransparency(bool state) { transparent = state; }
  bool getTransparency() const { return transparent; }
  // A background image; the view takes a reference on it.
  void setBackground(CBitmap* bitmap);
  CBitmap* getBackground() const { return background; }
  void setBackOffset(const CPoint& offset) { backOffset = offset; }
  const CPoint& getBackOffset() const { return backOffset; }

 protected:
  // Draws the background image into the view's rectangle from the background offset.
  void drawBackground(CDrawContext* context);

  CRect size;
  CRect mouseableArea;
  CFrame* frame = nullptr;
  CBitmap* background = nullptr;
  CPoint backOffset;
  bool dirty = false;
  bool transparent = false;
};

class CControl : public CView {
 public:
  CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
           CBitmap* background = nullptr);

  virtual void setValue(float v) { value = v; }
  virtual float getValue() const { return value; }
  virtual void setMin(float v) { vmin = v; }
  virtual float getMin() const { return vmin; }
  virtual void setMax(float v) { vmax = v; }
  virtual float getMax() const { return vmax; }
  virtual void setOldValue(float v) { oldValue = v; }
  virtual float getOldValue() const { return oldValue; }
  // Clamps the value into [min, max].
  virtual void bounceValue();

  // Dirty while the value differs from the value last drawn, or while flagged.
  bool isDirty() const override { return value != oldValue || dirty; }
  void setDirty(bool flag = true) override;
  // Redraws into the context if dirty.
  virtual void update(CDrawContext* context);

  void setTag(int32_t t) { tag = t; }
  int32_t getTag() const { return tag; }
  void setListener(CControlListener* l) { listener = l; }
  CControlListener* getListener() const { return listener; }

 protected:
  // Tells the listener, with the frame's draw context.
  void notify();
  void beginEdit();
  void endEdit();

  CControlListener* listener;
  int32_t tag;
  float value = 0.f;
  float vmin = 0.f;
  float vmax = 1.f;
  float oldValue = 1.f;
};

}  // namespace VSTGUI
