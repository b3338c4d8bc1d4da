#include "tests/support/format_instance.h"

#include <algorithm>
#include <cstdlib>

#include "params/program_record.h"

namespace orvalis::tests {

void setStartValues(FormatInstance& instance, const Script& script) {
  const orvalis::params::ProgramRecord basique;
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    instance.setParameter(i, script.start.empty() ? basique.values[i] : script.start[i]);
}

Rendered play(const FormatFactory& format, const Script& script) {
  if (script.seed >= 0) std::srand(static_cast<unsigned>(script.seed));
  const std::unique_ptr<FormatInstance> instance = format(script.sampleRate);
  Rendered out;
  if (!instance || !instance->loaded() || script.blocks.empty()) return out;
  setStartValues(*instance, script);
  const bool atOffsets = script.changesInsideBlocks && instance->takesChangesInsideBlocks();
  std::size_t event = 0, change = 0, b = 0;
  // The events before end, at their frames from start (earlier ones at 0), then end - start
  // frames.
  const auto renderTo = [&](int64_t start, int64_t end) {
    for (; event < script.events.size() && script.events[event].frame < end; ++event) {
      const orvalis::render::MidiEvent& e = script.events[event];
      instance->midi(static_cast<int32_t>(std::max<int64_t>(e.frame - start, 0)), e);
    }
    instance->render(static_cast<uint32_t>(end - start), out.left, out.right);
  };
  for (int64_t start = 0; start < script.frames;) {
    const auto n = static_cast<uint32_t>(std::min<int64_t>(
        std::min(script.blocks[b++ % script.blocks.size()], FormatInstance::kMaxBlock),
        script.frames - start));
    const int64_t end = start + n;
    if (atOffsets) {
      for (; change < script.changes.size() && script.changes[change].frame < end; ++change) {
        const ParameterChange& c = script.changes[change];
        instance->setParameterAt(static_cast<int32_t>(std::max<int64_t>(c.frame - start, 0)),
                                 c.index, c.value);
      }
      renderTo(start, end);
    } else {
      // Changes go in between blocks; at their frames, the block is cut there.
      for (int64_t at = start; at < end;) {
        for (; change < script.changes.size() && script.changes[change].frame <= at; ++change)
          instance->setParameter(script.changes[change].index, script.changes[change].value);
        int64_t cut = end;
        if (script.changesInsideBlocks && change < script.changes.size())
          cut = std::min(cut, script.changes[change].frame);
        renderTo(at, cut);
        at = cut;
      }
    }
    start = end;
  }
  return out;
}

long firstDifference(const Rendered& a, const Rendered& b) {
  if (a.left.size() != b.left.size() || a.right.size() != b.right.size()) return 0;
  for (std::size_t i = 0; i < a.left.size(); ++i)
    if (a.left[i] != b.left[i] || a.right[i] != b.right[i]) return static_cast<long>(i);
  return -1;
}

long firstDifferenceFromVst2(const FormatFactory& format, const Script& script, Rendered* vst2,
                             Rendered* other) {
  Rendered reference = play(makeVst2Instance, script);
  Rendered rendered = play(format, script);
  const long at = reference.left.empty() ? 0 : firstDifference(reference, rendered);
  if (vst2) *vst2 = std::move(reference);
  if (other) *other = std::move(rendered);
  return at;
}

}  // namespace orvalis::tests
