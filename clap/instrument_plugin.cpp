#include "clap/instrument_plugin.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "clap/descriptor.h"
#include "clap/editor_gui.h"
#include "clap/parameter_mapping.h"
#include "clap/plugin_extensions.h"
#include "core/state_blob.h"

namespace orvalis::clap {

namespace {

// A state is one fixed-size blob today; anything far beyond it is not ours.
constexpr std::size_t kLargestState = 4 * core::kStateSize;

template <class T>
const T* hostExtension(const Host* host, const char* id) {
  return host->get_extension ? static_cast<const T*>(host->get_extension(host, id)) : nullptr;
}

int32_t clampOffset(uint32_t time, uint32_t frames) {
  return static_cast<int32_t>(time < frames ? time : frames);
}

}  // namespace

InstrumentPlugin::InstrumentPlugin(const Host* host) : clapPlugin(), clapHost(host) {
  clapPlugin.desc = &descriptor();
  clapPlugin.plugin_data = this;
  clapPlugin.init = init;
  clapPlugin.destroy = destroy;
  clapPlugin.activate = activate;
  clapPlugin.deactivate = deactivate;
  clapPlugin.start_processing = startProcessing;
  clapPlugin.stop_processing = stopProcessing;
  clapPlugin.reset = reset;
  clapPlugin.process = process;
  clapPlugin.get_extension = extension;
  clapPlugin.on_main_thread = onMainThread;
  core.loadFactoryBank();  // as every format but VST 2 starts
}

InstrumentPlugin::~InstrumentPlugin() = default;

const Plugin* InstrumentPlugin::create(const Host* host) {
  auto* plugin = new (std::nothrow) InstrumentPlugin(host);
  return plugin ? &plugin->clapPlugin : nullptr;
}

InstrumentPlugin* InstrumentPlugin::of(const Plugin* plugin) {
  return plugin ? static_cast<InstrumentPlugin*>(plugin->plugin_data) : nullptr;
}

// The host's extensions may be asked for only from init on.
bool InstrumentPlugin::init(const Plugin* plugin) {
  InstrumentPlugin* self = of(plugin);
  if (!self) return false;
  const Host* host = self->clapHost;
  self->params = hostExtension<HostParams>(host, kExtParams);
  self->state = hostExtension<HostState>(host, kExtState);
  self->log = hostExtension<HostLog>(host, kExtLog);
  self->timers = hostExtension<HostTimerSupport>(host, kExtTimerSupport);
  self->fds = hostExtension<HostPosixFdSupport>(host, kExtPosixFdSupport);
  return true;
}

void InstrumentPlugin::destroy(const Plugin* plugin) { delete of(plugin); }

bool InstrumentPlugin::activate(const Plugin* plugin, double rate, uint32_t, uint32_t maxFrames) {
  InstrumentPlugin* self = of(plugin);
  if (!self || !self->core.setSampleRate(static_cast<float>(rate))) return false;
  // The core takes the largest block a host will pass, as VST 2 announces it.
  if (maxFrames > 0 && maxFrames <= INT32_MAX)
    self->core.setBlockSize(static_cast<int32_t>(maxFrames));
  return true;
}

void InstrumentPlugin::deactivate(const Plugin*) {}

bool InstrumentPlugin::startProcessing(const Plugin* plugin) {
  InstrumentPlugin* self = of(plugin);
  if (!self) return false;
  self->processing.store(true, std::memory_order_relaxed);
  return true;
}

void InstrumentPlugin::stopProcessing(const Plugin* plugin) {
  if (InstrumentPlugin* self = of(plugin)) self->processing.store(false, std::memory_order_relaxed);
}

// Every voice stops: the engine's own all-notes-off.
void InstrumentPlugin::reset(const Plugin* plugin) {
  if (InstrumentPlugin* self = of(plugin)) self->core.controller(0, 0, 123, 0);
}

void InstrumentPlugin::takeEvent(const EventHeader& event, int32_t offset, bool inProcess) {
  if (event.space_id != kCoreEventSpace) return;
  switch (event.type) {
    case kEventNoteOn:
    case kEventNoteOff:
    case kEventNoteChoke: {
      if (!inProcess || event.size < sizeof(EventNote)) return;
      const auto& note = reinterpret_cast<const EventNote&>(event);
      const int channel = note.channel >= 0 && note.channel < 16 ? note.channel : 0;
      const bool anyKey = note.key < 0;
      if (note.key > 127) return;
      if (event.type == kEventNoteOn) {
        if (anyKey) return;
        // A CLAP note on of velocity 0 is still a note on (the core would end the note): it
        // plays at the quietest velocity MIDI has.
        const float velocity = static_cast<float>(note.velocity);
        core.noteOn(offset, channel, note.key, velocity > 0.f ? velocity : 1.f / 127.f);
      } else if (anyKey) {
        // A wildcard releases (or chokes) every key: the engine's all-notes-off.
        core.controller(offset, channel, 123, 0);
      } else {
        core.noteOff(offset, channel, note.key,
                     event.type == kEventNoteOff ? static_cast<float>(note.velocity) : 0.f);
      }
      return;
    }
    case kEventMidi: {
      if (!inProcess || event.size < sizeof(EventMidi)) return;
      const auto& midi = reinterpret_cast<const EventMidi&>(event);
      core.midi(offset, midi.data, sizeof midi.data);
      return;
    }
    case kEventParamValue: {
      if (event.size < sizeof(EventParamValue)) return;
      const auto& change = reinterpret_cast<const EventParamValue&>(event);
      if (change.param_id >= static_cast<clap_id>(params::kNumParams)) return;
      const float value = storedValue(change.param_id, change.value);
      const int index = static_cast<int>(change.param_id);
      if (inProcess)
        core.parameterAt(offset, index, value);
      else
        core.setParameter(index, value);
      return;
    }
    default:
      return;
  }
}

void InstrumentPlugin::sendEditorEvents(const OutputEvents* out) {
  EditorEvent e;
  while (editorEvents.pop(e)) {
    if (!out || !out->try_push) continue;
    if (e.type == kEventParamValue) {
      EventParamValue value = {};
      value.header = {sizeof value, 0, kCoreEventSpace, kEventParamValue, 0};
      value.param_id = e.param;
      value.note_id = -1;
      value.port_index = value.channel = value.key = -1;
      value.value = e.plain;
      out->try_push(out, &value.header);
    } else {
      EventParamGesture gesture = {};
      gesture.header = {sizeof gesture, 0, kCoreEventSpace, e.type, 0};
      gesture.param_id = e.param;
      out->try_push(out, &gesture.header);
    }
  }
}

int32_t InstrumentPlugin::process(const Plugin* plugin, const Process* p) {
  InstrumentPlugin* self = of(plugin);
  if (!self || !p) return kProcessError;
  const AudioBuffer* out = p->audio_outputs_count > 0 ? p->audio_outputs : nullptr;
  if (!out || out->channel_count < 2 || !out->data32 || !out->data32[0] || !out->data32[1])
    return kProcessError;
  const uint32_t frames = p->frames_count > INT32_MAX ? INT32_MAX : p->frames_count;
  if (const InputEvents* in = p->in_events; in && in->size && in->get) {
    const uint32_t count = in->size(in);
    for (uint32_t i = 0; i < count; ++i)
      if (const EventHeader* e = in->get(in, i))
        self->takeEvent(*e, clampOffset(e->time, frames), true);
  }
  self->sendEditorEvents(p->out_events);
  self->core.render(out->data32[0], out->data32[1], static_cast<int32_t>(frames));
  return kProcessContinue;
}

void InstrumentPlugin::flush(const InputEvents* in, const OutputEvents* out) {
  if (in && in->size && in->get) {
    const uint32_t count = in->size(in);
    for (uint32_t i = 0; i < count; ++i)
      if (const EventHeader* e = in->get(in, i)) takeEvent(*e, 0, false);
  }
  sendEditorEvents(out);
}

// A host's second create without a destroy gets the editor it already has.
bool InstrumentPlugin::createEditor() {
  if (!gui) gui.reset(new (std::nothrow) EditorGui(*this));
  return gui != nullptr;
}

void InstrumentPlugin::destroyEditor() { gui.reset(); }

void InstrumentPlugin::queueEditorEvent(const EditorEvent& event) {
  editorEvents.push(event);
  // Outside processing the host collects them through flush.
  if (!processing.load(std::memory_order_relaxed) && params && params->request_flush)
    params->request_flush(clapHost);
}

void InstrumentPlugin::valuesChangedOutsideTheHost() {
  if (params && params->rescan) params->rescan(clapHost, kParamRescanValues | kParamRescanText);
  if (state && state->mark_dirty) state->mark_dirty(clapHost);
}

void InstrumentPlugin::logLine(int32_t severity, const char* text) const {
  if (log && log->log) log->log(clapHost, severity, text);
}

bool InstrumentPlugin::saveState(const OutputStream* stream) {
  if (!stream || !stream->write) return false;
  const std::vector<uint8_t> blob = core.saveState();
  // A stream may take fewer bytes than offered: write on until all are taken.
  for (std::size_t done = 0; done < blob.size();) {
    const int64_t n = stream->write(stream, blob.data() + done, blob.size() - done);
    if (n <= 0 || static_cast<uint64_t>(n) > blob.size() - done) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool InstrumentPlugin::loadState(const InputStream* stream) {
  if (!stream || !stream->read) return false;
  // A stream may give fewer bytes than asked: read on until it ends.
  std::vector<uint8_t> blob(core::kStateSize + 1);
  std::size_t size = 0;
  for (;;) {
    if (size == blob.size()) {
      if (blob.size() >= kLargestState) {
        logLine(kLogError, "Orvalis: state refused: longer than any state of ours");
        return false;
      }
      blob.resize(blob.size() * 2);
    }
    const int64_t n = stream->read(stream, blob.data() + size, blob.size() - size);
    if (n == 0) break;
    if (n < 0 || static_cast<uint64_t>(n) > blob.size() - size) {
      logLine(kLogError, "Orvalis: state refused: the host's stream failed");
      return false;
    }
    size += static_cast<std::size_t>(n);
  }
  std::string why;
  if (!core.loadState(blob.data(), size, &why)) {
    logLine(kLogError, ("Orvalis: state refused: " + why).c_str());
    return false;
  }
  if (params && params->rescan) params->rescan(clapHost, kParamRescanValues | kParamRescanText);
  return true;
}

const void* InstrumentPlugin::extension(const Plugin* plugin, const char* id) {
  return of(plugin) && id ? findExtension(id) : nullptr;
}

void InstrumentPlugin::onMainThread(const Plugin*) {}

}  // namespace orvalis::clap
