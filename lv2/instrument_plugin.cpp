#include "lv2/instrument_plugin.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>

#include <cstring>
#include <new>

#include "lv2/feature_lookup.h"

namespace orvalis::lv2 {

namespace {

// The UI's bars and meter need no more than a screen's refresh rate.
constexpr double kDisplayMessagesPerSecond = 60.0;

}  // namespace

InstrumentPlugin* InstrumentPlugin::create(double sampleRate, const LV2_Feature* const* features) {
  const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
  if (!map) return nullptr;
  const auto* log = static_cast<const LV2_Log_Log*>(findFeature(features, LV2_LOG__log));
  auto* plugin = new (std::nothrow) InstrumentPlugin(map, log);
  if (!plugin) return nullptr;
  if (!plugin->core.setSampleRate(static_cast<float>(sampleRate))) {
    delete plugin;
    return nullptr;
  }
  const auto interval = static_cast<uint32_t>(sampleRate / kDisplayMessagesPerSecond);
  plugin->displayInterval = interval > 0 ? interval : 1;
  plugin->readOptions(features);
  return plugin;
}

InstrumentPlugin::InstrumentPlugin(const LV2_URID_Map* uridMap, const LV2_Log_Log* logFeature)
    : map(uridMap), log(logFeature), urids(uridMap), displayInterval(0) {
  midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
  chunk = map->map(map->handle, LV2_ATOM__Chunk);
  logError = map->map(map->handle, LV2_LOG__Error);
  // A session restores its own bank over this; the ports' defaults are program 0's values.
  core.loadFactoryBank();
  for (int i = 0; i < orvalis::params::kNumParams; ++i) lastControls[i] = core.parameter(i);
}

void InstrumentPlugin::readOptions(const LV2_Feature* const* features) {
  const auto* options =
      static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
  if (!options) return;
  const LV2_URID maxBlock = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID nominalBlock = map->map(map->handle, LV2_BUF_SIZE__nominalBlockLength);
  const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
  int32_t maximum = 0, nominal = 0;
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (o->type != intType || o->size != sizeof(int32_t) || !o->value) continue;
    if (o->key == maxBlock) maximum = *static_cast<const int32_t*>(o->value);
    if (o->key == nominalBlock) nominal = *static_cast<const int32_t*>(o->value);
  }
  // A VST 2 host announces the largest block it will pass.
  const int32_t announced = maximum > 0 ? maximum : nominal;
  if (announced > 0) core.setBlockSize(announced);
}

void InstrumentPlugin::connect(uint32_t port, void* data) {
  if (isControlPort(port)) {
    controls[port] = static_cast<const float*>(data);
    return;
  }
  switch (port) {
    case kMidiIn:
      midiIn = static_cast<const LV2_Atom_Sequence*>(data);
      break;
    case kOutLeft:
      outLeft = static_cast<float*>(data);
      break;
    case kOutRight:
      outRight = static_cast<float*>(data);
      break;
    case kNotify:
      notify = static_cast<LV2_Atom_Sequence*>(data);
      break;
    default:
      break;
  }
}

void InstrumentPlugin::applyControlChanges() {
  for (int i = 0; i < orvalis::params::kNumParams; ++i) {
    if (!controls[i]) continue;
    const float v = *controls[i];
    if (v == lastControls[i]) continue;
    lastControls[i] = v;
    core.setParameter(i, v);
  }
}

void InstrumentPlugin::queueMidi(uint32_t frames) {
  if (!midiIn) return;
  // The sequence's declared size bounds the walk: an event is read only when its header and its
  // body lie wholly inside it (the library's iterator checks only where an event starts).
  const uint64_t size = midiIn->atom.size;
  const auto* start = reinterpret_cast<const uint8_t*>(&midiIn->body);
  constexpr uint64_t kHeader = sizeof(LV2_Atom_Event);
  uint64_t next = sizeof(LV2_Atom_Sequence_Body);
  while (next <= size && size - next >= kHeader) {
    const auto* event = reinterpret_cast<const LV2_Atom_Event*>(start + next);
    if (event->body.size > size - next - kHeader) break;
    next += (kHeader + event->body.size + 7) & ~uint64_t{7};  // events start 8-byte aligned
    if (event->body.type != midiEvent || event->body.size == 0) continue;
    const auto* bytes = reinterpret_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
    const int64_t at = event->time.frames;
    // The core clamps the offset into the block and drops what the engine cannot play.
    const int32_t offset =
        at < 0 ? 0 : (at > frames ? static_cast<int32_t>(frames) : static_cast<int32_t>(at));
    core.midi(offset, bytes, event->body.size);
  }
}

void InstrumentPlugin::sendDisplay(uint32_t frames) {
  if (!notify) return;
  const uint32_t capacity = beginSequence(notify, urids.sequence);
  framesSinceDisplay += frames;
  if (!capacity || framesSinceDisplay < displayInterval) return;
  // Keep the remainder, so that the rate holds whatever the block length.
  framesSinceDisplay %= displayInterval;
  const DisplayAtom message = makeDisplayAtom(urids, core.display());
  appendEvent(notify, capacity, 0, &message.object.atom);
}

void InstrumentPlugin::run(uint32_t frames) {
  applyControlChanges();
  if (outLeft && outRight) {
    queueMidi(frames);
    core.render(outLeft, outRight, static_cast<int32_t>(frames));
  }
  sendDisplay(frames);
}

}  // namespace orvalis::lv2
