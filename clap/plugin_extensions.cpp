// The extension tables: each entry checks what the host passes and forwards to the instance.
#include "clap/plugin_extensions.h"

#include <cstring>

#include "clap/clap_extensions.h"
#include "clap/editor_gui.h"
#include "clap/factory_presets.h"
#include "clap/instrument_plugin.h"
#include "clap/parameter_mapping.h"
#include "params/bounded_text.h"

namespace orvalis::clap {

namespace {

constexpr uint32_t kVoices = 8;

// One stereo main output, no input.
uint32_t audioPortCount(const Plugin*, bool isInput) { return isInput ? 0 : 1; }

bool audioPort(const Plugin*, uint32_t index, bool isInput, AudioPortInfo* info) {
  if (isInput || index != 0 || !info) return false;
  std::memset(info, 0, sizeof *info);
  info->id = 0;
  params::copyBoundedText(info->name, kNameSize, "Output");
  info->flags = kAudioPortIsMain;
  info->channel_count = 2;
  info->port_type = kPortStereo;
  info->in_place_pair = kInvalidId;
  return true;
}

// One note input in both dialects: hosts send controllers and bend only as MIDI.
uint32_t notePortCount(const Plugin*, bool isInput) { return isInput ? 1 : 0; }

bool notePort(const Plugin*, uint32_t index, bool isInput, NotePortInfo* info) {
  if (!isInput || index != 0 || !info) return false;
  std::memset(info, 0, sizeof *info);
  info->id = 0;
  info->supported_dialects = kNoteDialectClap | kNoteDialectMidi;
  info->preferred_dialect = kNoteDialectClap;
  params::copyBoundedText(info->name, kNameSize, "Notes");
  return true;
}

uint32_t paramCount(const Plugin*) { return params::kNumParams; }

bool paramInfo(const Plugin*, uint32_t index, ParamInfo* info) {
  return info && describeParameter(index, *info);
}

bool paramValue(const Plugin* plugin, clap_id id, double* value) {
  InstrumentPlugin* self = InstrumentPlugin::of(plugin);
  if (!self || !value || id >= static_cast<clap_id>(params::kNumParams)) return false;
  *value = plainValue(id, self->instrument().parameter(static_cast<int>(id)));
  return true;
}

bool paramText(const Plugin*, clap_id id, double value, char* text, uint32_t size) {
  return plainToText(id, value, text, size);
}

bool paramFromText(const Plugin*, clap_id id, const char* text, double* value) {
  double plain = 0.0;
  if (!value || !textToPlain(id, text, plain)) return false;
  *value = plain;
  return true;
}

void paramFlush(const Plugin* plugin, const InputEvents* in, const OutputEvents* out) {
  if (InstrumentPlugin* self = InstrumentPlugin::of(plugin)) self->flush(in, out);
}

bool stateSave(const Plugin* plugin, const OutputStream* stream) {
  InstrumentPlugin* self = InstrumentPlugin::of(plugin);
  return self && self->saveState(stream);
}

bool stateLoad(const Plugin* plugin, const InputStream* stream) {
  InstrumentPlugin* self = InstrumentPlugin::of(plugin);
  return self && self->loadState(stream);
}

uint32_t latency(const Plugin*) { return 0; }

// The voices "Polyphonie" allows now, of the eight there are.
bool voiceInfo(const Plugin* plugin, VoiceInfo* info) {
  InstrumentPlugin* self = InstrumentPlugin::of(plugin);
  if (!self || !info) return false;
  const float polyphony = self->instrument().parameter(params::kPolyphony);
  *info = {1u << params::choiceIndex(polyphony, 4), kVoices, 0};
  return true;
}

// A preset of the factory bank selects its program: the host hears of the new values.
bool presetFromLocation(const Plugin* plugin, uint32_t kind, const char* location,
                        const char* key) {
  InstrumentPlugin* self = InstrumentPlugin::of(plugin);
  const int program = programOfLoadKey(kind, location, key);
  if (!self || program < 0) return false;
  self->instrument().selectProgram(program);
  self->valuesChangedOutsideTheHost();
  return true;
}

const PluginAudioPorts kAudioPorts = {audioPortCount, audioPort};
const PluginNotePorts kNotePorts = {notePortCount, notePort};
const PluginParams kParams = {paramCount, paramInfo,     paramValue,
                              paramText,  paramFromText, paramFlush};
const PluginState kState = {stateSave, stateLoad};
const PluginLatency kLatency = {latency};
const PluginVoiceInfo kVoiceInfo = {voiceInfo};
const PluginPresetLoad kPresetLoad = {presetFromLocation};

struct Offered {
  const char* id;
  const void* table;
};
const Offered kOffered[] = {
    {kExtAudioPorts, &kAudioPorts},
    {kExtNotePorts, &kNotePorts},
    {kExtParams, &kParams},
    {kExtState, &kState},
    {kExtLatency, &kLatency},
    {kExtVoiceInfo, &kVoiceInfo},
    {kExtPresetLoad, &kPresetLoad},
    {kExtPresetLoadDraft, &kPresetLoad},
    {kExtGui, &kGuiExtension},
    {kExtTimerSupport, &kTimerExtension},
#if !defined(_WIN32)
    {kExtPosixFdSupport, &kPosixFdExtension},
#endif
};

}  // namespace

const void* findExtension(const char* id) {
  for (const Offered& o : kOffered)
    if (std::strcmp(id, o.id) == 0) return o.table;
  return nullptr;
}

}  // namespace orvalis::clap
