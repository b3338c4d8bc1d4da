// Access to the engine state behind an in-process instance (InProcessHost), for tests that check
// what the host interface alone cannot show (which voice took a note, envelope segments).
#pragma once

#include <cstdlib>

#include "plugin/corvina.h"
#include "tests/support/test_host.h"

namespace testing_host {

inline const Corvina& instanceOf(const TestHost& host) {
  // A library loaded with dlopen has classes of its own: only an in-process object is ours.
  if (host.linkage != Linkage::InProcess) std::abort();
  return *static_cast<const Corvina*>(static_cast<AudioEffect*>(host.effect->object));
}

inline const orvalis::SynthEngine& engineOf(const TestHost& host) {
  return instanceOf(host).instrument().engine();
}

}  // namespace testing_host
