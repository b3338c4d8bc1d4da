// Read-only access to the engine state behind a host's instance, for tests that check what the
// host interface alone cannot show (which voice took a note, envelope segments).
#pragma once

#include "plugin/corvina.h"
#include "tests/support/test_host.h"

namespace testing_host {

inline const Corvina& instanceOf(const TestHost& host) {
  return *static_cast<const Corvina*>(static_cast<AudioEffect*>(host.effect->object));
}

inline const SynthEngine& engineOf(const TestHost& host) {
  return instanceOf(host).instrument().engine();
}

}  // namespace testing_host
