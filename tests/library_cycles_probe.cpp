// Loads and unloads a plug-in library many times, looking up its entry each time, as a host
// scanning or reopening sessions does; run under valgrind, which reports anything a cycle loses.
// Arguments: library, entry symbol, cycles.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: library_cycles_probe LIBRARY SYMBOL CYCLES\n");
    return 2;
  }
  const int cycles = std::atoi(argv[3]);
  for (int i = 0; i < cycles; ++i) {
    void* handle = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      std::fprintf(stderr, "cycle %d: %s\n", i, dlerror());
      return 3;
    }
    if (!dlsym(handle, argv[2])) {
      std::fprintf(stderr, "cycle %d: no %s\n", i, argv[2]);
      return 4;
    }
    if (dlclose(handle) != 0) {
      std::fprintf(stderr, "cycle %d: %s\n", i, dlerror());
      return 5;
    }
  }
  std::printf("%d load and unload cycles of %s\n", cycles, argv[1]);
  return 0;
}
