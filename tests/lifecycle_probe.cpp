// Creates and destroys instances through the library's entry, and opens and closes the editors
// of two live instances, many times over; run under valgrind, which reports any leak or bad
// access. Arguments: instance cycles, editor cycles.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/support/test_host.h"

using orvalis::tests::TestHost;

int main(int argc, char** argv) {
  const int instances = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int editors = argc > 2 ? std::atoi(argv[2]) : 100;
  if (!TestHost::library().loaded()) return 2;

  for (int i = 0; i < instances; ++i) {
    TestHost host;
    if (!host.effect) return 3;
    if (i % 100 == 0) {
      std::vector<float> l, r;
      host.render(l, r, 64);
    }
  }
  TestHost refused(0);
  if (refused.effect) return 4;

  TestHost a, b;
  for (int i = 0; i < editors; ++i) {
    a.dispatch(effEditOpen);
    b.dispatch(effEditOpen);
    a.dispatch(effEditIdle);
    b.dispatch(effEditIdle);
    a.dispatch(effEditClose);
    if (i % 2) b.dispatch(effEditClose);  // b sometimes reopens without a close
  }
  b.dispatch(effEditClose);
  std::printf("%d instances, %d editor cycles\n", instances, editors);
  return 0;
}
