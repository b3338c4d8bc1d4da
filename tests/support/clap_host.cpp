#include "tests/support/clap_host.h"

#include <algorithm>
#include <cstring>

#include "clap/descriptor.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orvalis::tests {

using namespace orvalis::clap;

ClapLibrary& ClapLibrary::get() {
  static ClapLibrary library = [] {
    ClapLibrary l;
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(ORVALIS_CLAP_PATH);
    void* symbol = module ? reinterpret_cast<void*>(GetProcAddress(module, "clap_entry")) : nullptr;
    if (!module) l.error = "cannot load " ORVALIS_CLAP_PATH;
#else
    void* module = dlopen(ORVALIS_CLAP_PATH, RTLD_NOW | RTLD_LOCAL);
    void* symbol = module ? dlsym(module, "clap_entry") : nullptr;
    if (!module) l.error = dlerror();
#endif
    if (module && !symbol) l.error = "no clap_entry in " ORVALIS_CLAP_PATH;
    l.entry = static_cast<const PluginEntry*>(symbol);
    if (l.entry && l.entry->init(ORVALIS_CLAP_PATH))
      l.factory = static_cast<const PluginFactory*>(l.entry->get_factory(kPluginFactoryId));
    return l;
  }();
  return library;
}

namespace {

struct EventList {
  const std::vector<uint64_t>* words;
  const std::vector<std::size_t>* starts;
};

uint32_t listSize(const InputEvents* list) {
  return static_cast<uint32_t>(static_cast<const EventList*>(list->ctx)->starts->size());
}

const EventHeader* listGet(const InputEvents* list, uint32_t index) {
  const auto* l = static_cast<const EventList*>(list->ctx);
  if (index >= l->starts->size()) return nullptr;
  return reinterpret_cast<const EventHeader*>(l->words->data() + (*l->starts)[index]);
}

bool pushOutput(const OutputEvents* list, const EventHeader* event) {
  auto* out = static_cast<std::vector<std::vector<uint8_t>>*>(list->ctx);
  const auto* bytes = reinterpret_cast<const uint8_t*>(event);
  out->emplace_back(bytes, bytes + event->size);
  return true;
}

struct Chunked {
  const std::vector<uint8_t>* in;
  std::vector<uint8_t>* out;
  std::size_t position, chunk;
  bool failAtEnd;
};

int64_t readChunk(const InputStream* stream, void* buffer, uint64_t size) {
  auto* c = static_cast<Chunked*>(stream->ctx);
  const std::size_t left = c->in->size() - c->position;
  if (left == 0) return c->failAtEnd ? -1 : 0;
  const std::size_t n = std::min<std::size_t>({left, c->chunk, static_cast<std::size_t>(size)});
  std::memcpy(buffer, c->in->data() + c->position, n);
  c->position += n;
  return static_cast<int64_t>(n);
}

int64_t writeChunk(const OutputStream* stream, const void* buffer, uint64_t size) {
  auto* c = static_cast<Chunked*>(stream->ctx);
  const std::size_t n = std::min<std::size_t>(c->chunk, static_cast<std::size_t>(size));
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  c->out->insert(c->out->end(), bytes, bytes + n);
  return static_cast<int64_t>(n);
}

}  // namespace

ClapHost& ClapHost::self(const Host* host) { return *static_cast<ClapHost*>(host->host_data); }

const void* ClapHost::hostExtension(const Host* host, const char* id) {
  static const HostParams params = {[](const Host* h, uint32_t) { ++self(h).rescans; },
                                    [](const Host*, clap_id, uint32_t) {},
                                    [](const Host* h) { ++self(h).flushRequests; }};
  static const HostState state = {[](const Host* h) { ++self(h).dirtyMarks; }};
  static const HostLog log = {
      [](const Host* h, int32_t, const char* text) { self(h).logLines.emplace_back(text); }};
  static const HostTimerSupport timers = {
      [](const Host* h, uint32_t period, clap_id* id) {
        ClapHost& me = self(h);
        *id = me.nextTimer++;
        me.timers.push_back({*id, period});
        return true;
      },
      [](const Host* h, clap_id id) {
        auto& t = self(h).timers;
        const auto before = t.size();
        t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.id == id; }),
                t.end());
        return t.size() != before;
      }};
  static const HostPosixFdSupport fds = {[](const Host* h, int fd, uint32_t) {
                                           self(h).fds.push_back(fd);
                                           return true;
                                         },
                                         [](const Host*, int, uint32_t) { return true; },
                                         [](const Host* h, int fd) {
                                           auto& f = self(h).fds;
                                           const auto before = f.size();
                                           f.erase(std::remove(f.begin(), f.end(), fd), f.end());
                                           return f.size() != before;
                                         }};
  self(host).askedExtensions.emplace_back(id);
  if (std::strcmp(id, kExtParams) == 0) return &params;
  if (std::strcmp(id, kExtState) == 0) return &state;
  if (std::strcmp(id, kExtLog) == 0) return &log;
  if (std::strcmp(id, kExtTimerSupport) == 0) return &timers;
  if (std::strcmp(id, kExtPosixFdSupport) == 0) return &fds;
  return nullptr;
}

ClapHost::ClapHost(bool callInit) {
  host.clap_version = kVersion;
  host.host_data = this;
  host.name = "Orvalis test host";
  host.vendor = "Orvalis";
  host.url = "";
  host.version = "1.0";
  host.get_extension = hostExtension;
  host.request_restart = [](const Host*) {};
  host.request_process = [](const Host*) {};
  host.request_callback = [](const Host*) {};
  const ClapLibrary& library = ClapLibrary::get();
  if (!library.factory) return;
  plugin = library.factory->create_plugin(library.factory, &host, kPluginId);
  if (plugin && callInit && !plugin->init(plugin)) {
    plugin->destroy(plugin);
    plugin = nullptr;
  }
}

ClapHost::~ClapHost() {
  if (!plugin) return;
  deactivate();
  plugin->destroy(plugin);
}

bool ClapHost::activate(double rate, uint32_t maxFrames) {
  active = plugin->activate(plugin, rate, 1, maxFrames);
  return active;
}

void ClapHost::deactivate() {
  if (processing) plugin->stop_processing(plugin);
  processing = false;
  if (active) plugin->deactivate(plugin);
  active = false;
}

void ClapHost::event(const void* bytes, std::size_t size) {
  starts.push_back(events.size());
  events.resize(events.size() + (size + 7) / 8);
  std::memcpy(events.data() + starts.back(), bytes, size);
}

namespace {

EventNote note(uint16_t type, uint32_t time, int key, double velocity, int channel) {
  EventNote e = {};
  e.header = {sizeof e, time, kCoreEventSpace, type, 0};
  e.note_id = -1;
  e.port_index = 0;
  e.channel = static_cast<int16_t>(channel);
  e.key = static_cast<int16_t>(key);
  e.velocity = velocity;
  return e;
}

}  // namespace

void ClapHost::noteOn(uint32_t time, int key, double velocity, int channel) {
  const EventNote e = note(kEventNoteOn, time, key, velocity, channel);
  event(&e, sizeof e);
}

void ClapHost::noteOff(uint32_t time, int key, int channel) {
  const EventNote e = note(kEventNoteOff, time, key, 0.0, channel);
  event(&e, sizeof e);
}

void ClapHost::choke(uint32_t time, int key, int channel) {
  const EventNote e = note(kEventNoteChoke, time, key, 0.0, channel);
  event(&e, sizeof e);
}

void ClapHost::midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  EventMidi e = {};
  e.header = {sizeof e, time, kCoreEventSpace, kEventMidi, 0};
  e.data[0] = status;
  e.data[1] = data1;
  e.data[2] = data2;
  event(&e, sizeof e);
}

void ClapHost::param(uint32_t time, clap_id id, double value) {
  EventParamValue e = {};
  e.header = {sizeof e, time, kCoreEventSpace, kEventParamValue, 0};
  e.param_id = id;
  e.note_id = -1;
  e.port_index = e.channel = e.key = -1;
  e.value = value;
  event(&e, sizeof e);
}

int32_t ClapHost::process(std::vector<float>& left, std::vector<float>& right, uint32_t frames) {
  if (!processing) processing = plugin->start_processing(plugin);
  std::vector<float> l(frames + 1, 1e9f), r(frames + 1, 1e9f);
  float* channels[2] = {l.data(), r.data()};
  AudioBuffer out = {channels, nullptr, 2, 0, 0};
  EventList list{&events, &starts};
  const InputEvents in = {&list, listSize, listGet};
  output.clear();
  const OutputEvents outEvents = {&output, pushOutput};
  const Process p = {steadyTime, frames, nullptr, nullptr, &out, 0, 1, &in, &outEvents};
  const int32_t status = plugin->process(plugin, &p);
  steadyTime += frames;
  events.clear();
  starts.clear();
  left.insert(left.end(), l.begin(), l.begin() + frames);
  right.insert(right.end(), r.begin(), r.begin() + frames);
  return status;
}

void ClapHost::flush() {
  // Hosts flush only outside processing.
  if (processing) plugin->stop_processing(plugin);
  processing = false;
  const auto* params = extension<PluginParams>(kExtParams);
  EventList list{&events, &starts};
  const InputEvents in = {&list, listSize, listGet};
  output.clear();
  const OutputEvents outEvents = {&output, pushOutput};
  params->flush(plugin, &in, &outEvents);
  events.clear();
  starts.clear();
}

bool ClapHost::saveState(std::vector<uint8_t>& data, std::size_t chunk) {
  data.clear();
  Chunked c{nullptr, &data, 0, chunk, false};
  const OutputStream stream = {&c, writeChunk};
  return extension<PluginState>(kExtState)->save(plugin, &stream);
}

bool ClapHost::loadState(const std::vector<uint8_t>& data, std::size_t chunk, bool failAtEnd) {
  Chunked c{&data, nullptr, 0, chunk, failAtEnd};
  const InputStream stream = {&c, readChunk};
  return extension<PluginState>(kExtState)->load(plugin, &stream);
}

double ClapHost::value(clap_id id) const {
  double v = -1.0;
  extension<PluginParams>(kExtParams)->get_value(plugin, id, &v);
  return v;
}

std::string ClapHost::text(clap_id id, double value) const {
  char buffer[kNameSize];
  std::memset(buffer, '#', sizeof buffer);
  if (!extension<PluginParams>(kExtParams)->value_to_text(plugin, id, value, buffer, sizeof buffer))
    return "<none>";
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

}  // namespace orvalis::tests
