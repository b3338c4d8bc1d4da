#include "tests/support/format_instance.h"

#include <algorithm>
#include <cstdlib>

#include "params/program_record.h"

namespace orvalis::tests {

Rendered play(const FormatFactory& format, const Script& script) {
  if (script.seed >= 0) std::srand(static_cast<unsigned>(script.seed));
  const std::unique_ptr<FormatInstance> instance = format(script.sampleRate);
  Rendered out;
  if (!instance || !instance->loaded() || script.blocks.empty()) return out;
  const orvalis::params::ProgramRecord basique;
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    instance->setParameter(i, script.start.empty() ? basique.values[i] : script.start[i]);
  std::size_t event = 0, change = 0, b = 0;
  for (int64_t start = 0; start < script.frames;) {
    for (; change < script.changes.size() && script.changes[change].frame <= start; ++change)
      instance->setParameter(script.changes[change].index, script.changes[change].value);
    const auto n = static_cast<uint32_t>(std::min<int64_t>(
        std::min(script.blocks[b++ % script.blocks.size()], FormatInstance::kMaxBlock),
        script.frames - start));
    for (; event < script.events.size() && script.events[event].frame < start + n; ++event) {
      const orvalis::render::MidiEvent& e = script.events[event];
      instance->midi(static_cast<int32_t>(std::max<int64_t>(e.frame - start, 0)), e);
    }
    instance->render(n, out.left, out.right);
    start += n;
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
