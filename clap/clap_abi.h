// The CLAP interface as far as Orvalis and its test host use it: our own declarations of a
// published C ABI (version 1.1), the entry, the plug-in factory, plug-in and host, the process
// call, events and streams. Layouts are checked below for 64-bit and 32-bit builds alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvalis::clap {

using clap_id = uint32_t;
constexpr clap_id kInvalidId = UINT32_MAX;
constexpr std::size_t kNameSize = 256;
constexpr std::size_t kPathSize = 1024;

struct Version {
  uint32_t major, minor, revision;
};
// Every 1.x host accepts a 1.x plug-in; 1.1 is what the hosts of Debian 12 were built with.
constexpr Version kVersion = {1, 1, 6};

struct Host;
struct Plugin;
struct Process;

struct PluginDescriptor {
  Version clap_version;
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  const char* const* features;  // null-terminated
};

struct PluginEntry {
  Version clap_version;
  bool (*init)(const char* plugin_path);
  void (*deinit)();
  const void* (*get_factory)(const char* factory_id);
};

constexpr const char* kPluginFactoryId = "clap.plugin-factory";

struct PluginFactory {
  uint32_t (*get_plugin_count)(const PluginFactory* factory);
  const PluginDescriptor* (*get_plugin_descriptor)(const PluginFactory* factory, uint32_t index);
  const Plugin* (*create_plugin)(const PluginFactory* factory, const Host* host,
                                 const char* plugin_id);
};

struct Host {
  Version clap_version;
  void* host_data;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  const void* (*get_extension)(const Host* host, const char* extension_id);
  void (*request_restart)(const Host* host);
  void (*request_process)(const Host* host);
  void (*request_callback)(const Host* host);
};

enum ProcessStatus : int32_t {
  kProcessError = 0,
  kProcessContinue = 1,
  kProcessContinueIfNotQuiet = 2,
  kProcessTail = 3,
  kProcessSleep = 4,
};

struct Plugin {
  const PluginDescriptor* desc;
  void* plugin_data;
  bool (*init)(const Plugin* plugin);
  void (*destroy)(const Plugin* plugin);
  bool (*activate)(const Plugin* plugin, double sample_rate, uint32_t min_frames_count,
                   uint32_t max_frames_count);
  void (*deactivate)(const Plugin* plugin);
  bool (*start_processing)(const Plugin* plugin);
  void (*stop_processing)(const Plugin* plugin);
  void (*reset)(const Plugin* plugin);
  int32_t (*process)(const Plugin* plugin, const Process* process);
  const void* (*get_extension)(const Plugin* plugin, const char* id);
  void (*on_main_thread)(const Plugin* plugin);
};

// Events: a header, then the body its type names, all of size bytes.
struct EventHeader {
  uint32_t size;
  uint32_t time;  // frame offset into the block
  uint16_t space_id;
  uint16_t type;
  uint32_t flags;
};
constexpr uint16_t kCoreEventSpace = 0;

enum EventType : uint16_t {
  kEventNoteOn = 0,
  kEventNoteOff = 1,
  kEventNoteChoke = 2,
  kEventNoteEnd = 3,
  kEventNoteExpression = 4,
  kEventParamValue = 5,
  kEventParamMod = 6,
  kEventParamGestureBegin = 7,
  kEventParamGestureEnd = 8,
  kEventTransport = 9,
  kEventMidi = 10,
  kEventMidiSysex = 11,
  kEventMidi2 = 12,
};

enum EventFlags : uint32_t { kEventIsLive = 1u << 0, kEventDontRecord = 1u << 1 };

struct EventNote {
  EventHeader header;
  int32_t note_id;  // -1 for any
  int16_t port_index;
  int16_t channel;  // 0..15, -1 for any
  int16_t key;      // 0..127, -1 for any
  double velocity;  // 0..1
};

struct EventParamValue {
  EventHeader header;
  clap_id param_id;
  void* cookie;
  int32_t note_id;
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value;
};

struct EventParamGesture {
  EventHeader header;
  clap_id param_id;
};

struct EventMidi {
  EventHeader header;
  uint16_t port_index;
  uint8_t data[3];
};

struct InputEvents {
  void* ctx;
  uint32_t (*size)(const InputEvents* list);
  const EventHeader* (*get)(const InputEvents* list, uint32_t index);
};

struct OutputEvents {
  void* ctx;
  bool (*try_push)(const OutputEvents* list, const EventHeader* event);
};

struct AudioBuffer {
  float** data32;
  double** data64;
  uint32_t channel_count;
  uint32_t latency;
  uint64_t constant_mask;
};

struct EventTransport;

struct Process {
  int64_t steady_time;
  uint32_t frames_count;
  const EventTransport* transport;
  const AudioBuffer* audio_inputs;
  AudioBuffer* audio_outputs;
  uint32_t audio_inputs_count;
  uint32_t audio_outputs_count;
  const InputEvents* in_events;
  const OutputEvents* out_events;
};

// Streams answer the bytes moved, 0 at the end (reading), or -1 on an error.
struct InputStream {
  void* ctx;
  int64_t (*read)(const InputStream* stream, void* buffer, uint64_t size);
};

struct OutputStream {
  void* ctx;
  int64_t (*write)(const OutputStream* stream, const void* buffer, uint64_t size);
};

constexpr bool kPointers64 = sizeof(void*) == 8;
static_assert(sizeof(Version) == 12);
static_assert(sizeof(EventHeader) == 16);
static_assert(offsetof(EventNote, note_id) == 16 && offsetof(EventNote, key) == 24 &&
              offsetof(EventNote, velocity) == 32 && sizeof(EventNote) == 40);
static_assert(offsetof(EventParamGesture, param_id) == 16 && sizeof(EventParamGesture) == 20);
static_assert(offsetof(EventMidi, port_index) == 16 && offsetof(EventMidi, data) == 18 &&
              sizeof(EventMidi) == 24);
static_assert(offsetof(EventParamValue, cookie) == (kPointers64 ? 24 : 20));
static_assert(offsetof(EventParamValue, value) == (kPointers64            ? 48
                                                   : alignof(double) == 8 ? 40
                                                                          : 36));
static_assert(offsetof(PluginDescriptor, id) == (kPointers64 ? 16 : 12) &&
              sizeof(PluginDescriptor) == (kPointers64 ? 88 : 48));
static_assert(offsetof(PluginEntry, init) == (kPointers64 ? 16 : 12) &&
              sizeof(PluginEntry) == (kPointers64 ? 40 : 24));
static_assert(offsetof(Host, get_extension) == (kPointers64 ? 56 : 32) &&
              sizeof(Host) == (kPointers64 ? 88 : 48));
static_assert(sizeof(Plugin) == 12 * sizeof(void*));
static_assert(offsetof(AudioBuffer, channel_count) == 2 * sizeof(void*) &&
              offsetof(AudioBuffer, constant_mask) == 2 * sizeof(void*) + 8);
static_assert(offsetof(Process, frames_count) == 8 &&
              offsetof(Process, transport) == (kPointers64 ? 16 : 12) &&
              offsetof(Process, audio_inputs_count) == (kPointers64 ? 40 : 24) &&
              offsetof(Process, in_events) == (kPointers64 ? 48 : 32) &&
              sizeof(Process) == (kPointers64 ? 64 : 40));

}  // namespace orvalis::clap
