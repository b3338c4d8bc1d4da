// Built into each plug-in library that carries its own static copy of the C++ runtime. That copy
// allocates its emergency exception pool (72,704 bytes on x86_64) when the library loads and has
// no destructor to free it, so every load and unload of the library would lose the pool. The
// runtime's own release function frees it; this calls it when the library is unloaded. Only for
// a static runtime: with a shared one the pool belongs to the whole process.
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace {

struct StaticRuntimeRelease {
  StaticRuntimeRelease() = default;
  StaticRuntimeRelease(const StaticRuntimeRelease&) = delete;
  StaticRuntimeRelease& operator=(const StaticRuntimeRelease&) = delete;
  // Registered while the library loads, so it runs after every later static object's destructor.
  ~StaticRuntimeRelease() { __gnu_cxx::__freeres(); }
};

const StaticRuntimeRelease release;

}  // namespace
