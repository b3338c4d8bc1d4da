#include "vst3/plug_view.h"

namespace orvalis::vst3 {

PlugView* PlugView::create(InstrumentComponent&) { return nullptr; }
void PlugView::parameterChanged(int, float) {}

}  // namespace orvalis::vst3
