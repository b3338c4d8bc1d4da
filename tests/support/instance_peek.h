// Access to the engine state behind an in-process instance (InProcessHost), for tests that check
// what the host interface alone cannot show (which voice took a note, envelope segments).
#pragma once

#include <cstdlib>

#include "plugin/corvina.h"
#include "tests/support/test_host.h"

namespace orvalis::tests {

inline const orvalis::vst2::Corvina& instanceOf(const TestHost& host) {
  // A library loaded with dlopen has classes of its own: only an in-process object is ours.
  if (host.linkage != Linkage::InProcess) std::abort();
  return *static_cast<const orvalis::vst2::Corvina*>(
      static_cast<orvalis::vst2::AudioEffect*>(host.effect->object));
}

inline const orvalis::engine::SynthEngine& engineOf(const TestHost& host) {
  return instanceOf(host).instrument().engine();
}

}  // namespace orvalis::tests
