// The CLAP extensions Orvalis offers and the host extensions it asks for, all of them stable
// in CLAP 1.1: our own declarations, with their layouts checked.
#pragma once

#include "clap/clap_abi.h"

namespace orvalis::clap {

constexpr const char* kFeatureInstrument = "instrument";
constexpr const char* kFeatureSynthesizer = "synthesizer";
constexpr const char* kFeatureStereo = "stereo";

// Audio ports.
constexpr const char* kExtAudioPorts = "clap.audio-ports";
constexpr const char* kPortStereo = "stereo";
enum AudioPortFlags : uint32_t { kAudioPortIsMain = 1u << 0 };
struct AudioPortInfo {
  clap_id id;
  char name[kNameSize];
  uint32_t flags;
  uint32_t channel_count;
  const char* port_type;
  clap_id in_place_pair;
};
struct PluginAudioPorts {
  uint32_t (*count)(const Plugin* plugin, bool is_input);
  bool (*get)(const Plugin* plugin, uint32_t index, bool is_input, AudioPortInfo* info);
};

// Note ports.
constexpr const char* kExtNotePorts = "clap.note-ports";
enum NoteDialect : uint32_t {
  kNoteDialectClap = 1u << 0,
  kNoteDialectMidi = 1u << 1,
  kNoteDialectMidiMpe = 1u << 2,
  kNoteDialectMidi2 = 1u << 3,
};
struct NotePortInfo {
  clap_id id;
  uint32_t supported_dialects;
  uint32_t preferred_dialect;
  char name[kNameSize];
};
struct PluginNotePorts {
  uint32_t (*count)(const Plugin* plugin, bool is_input);
  bool (*get)(const Plugin* plugin, uint32_t index, bool is_input, NotePortInfo* info);
};

// Parameters.
constexpr const char* kExtParams = "clap.params";
enum ParamFlags : uint32_t {
  kParamIsStepped = 1u << 0,
  kParamIsPeriodic = 1u << 1,
  kParamIsHidden = 1u << 2,
  kParamIsReadonly = 1u << 3,
  kParamIsBypass = 1u << 4,
  kParamIsAutomatable = 1u << 5,
  kParamRequiresProcess = 1u << 15,
};
struct ParamInfo {
  clap_id id;
  uint32_t flags;
  void* cookie;
  char name[kNameSize];
  char module[kPathSize];
  double min_value;
  double max_value;
  double default_value;
};
struct PluginParams {
  uint32_t (*count)(const Plugin* plugin);
  bool (*get_info)(const Plugin* plugin, uint32_t param_index, ParamInfo* info);
  bool (*get_value)(const Plugin* plugin, clap_id param_id, double* value);
  bool (*value_to_text)(const Plugin* plugin, clap_id param_id, double value, char* display,
                        uint32_t size);
  bool (*text_to_value)(const Plugin* plugin, clap_id param_id, const char* display, double* value);
  void (*flush)(const Plugin* plugin, const InputEvents* in, const OutputEvents* out);
};
enum ParamRescanFlags : uint32_t {
  kParamRescanValues = 1u << 0,
  kParamRescanText = 1u << 1,
  kParamRescanInfo = 1u << 2,
  kParamRescanAll = 1u << 3,
};
struct HostParams {
  void (*rescan)(const Host* host, uint32_t flags);
  void (*clear)(const Host* host, clap_id param_id, uint32_t flags);
  void (*request_flush)(const Host* host);
};

// State.
constexpr const char* kExtState = "clap.state";
struct PluginState {
  bool (*save)(const Plugin* plugin, const OutputStream* stream);
  bool (*load)(const Plugin* plugin, const InputStream* stream);
};
struct HostState {
  void (*mark_dirty)(const Host* host);
};

// Latency and voices.
constexpr const char* kExtLatency = "clap.latency";
struct PluginLatency {
  uint32_t (*get)(const Plugin* plugin);
};
constexpr const char* kExtVoiceInfo = "clap.voice-info";
struct VoiceInfo {
  uint32_t voice_count;
  uint32_t voice_capacity;
  uint64_t flags;
};
struct PluginVoiceInfo {
  bool (*get)(const Plugin* plugin, VoiceInfo* info);
};

// The host's log.
constexpr const char* kExtLog = "clap.log";
enum LogSeverity : int32_t {
  kLogDebug = 0,
  kLogInfo = 1,
  kLogWarning = 2,
  kLogError = 3,
  kLogFatal = 4,
  kLogHostMisbehaving = 5,
  kLogPluginMisbehaving = 6,
};
struct HostLog {
  void (*log)(const Host* host, int32_t severity, const char* message);
};

// The editor, embedded in a window of the host.
constexpr const char* kExtGui = "clap.gui";
constexpr const char* kWindowApiX11 = "x11";
constexpr const char* kWindowApiWin32 = "win32";
struct Window {
  const char* api;
  union {
    void* cocoa;
    unsigned long x11;
    void* win32;
    void* ptr;
  };
};
struct GuiResizeHints {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio;
  uint32_t aspect_ratio_width;
  uint32_t aspect_ratio_height;
};
struct PluginGui {
  bool (*is_api_supported)(const Plugin* plugin, const char* api, bool is_floating);
  bool (*get_preferred_api)(const Plugin* plugin, const char** api, bool* is_floating);
  bool (*create)(const Plugin* plugin, const char* api, bool is_floating);
  void (*destroy)(const Plugin* plugin);
  bool (*set_scale)(const Plugin* plugin, double scale);
  bool (*get_size)(const Plugin* plugin, uint32_t* width, uint32_t* height);
  bool (*can_resize)(const Plugin* plugin);
  bool (*get_resize_hints)(const Plugin* plugin, GuiResizeHints* hints);
  bool (*adjust_size)(const Plugin* plugin, uint32_t* width, uint32_t* height);
  bool (*set_size)(const Plugin* plugin, uint32_t width, uint32_t height);
  bool (*set_parent)(const Plugin* plugin, const Window* window);
  bool (*set_transient)(const Plugin* plugin, const Window* window);
  void (*suggest_title)(const Plugin* plugin, const char* title);
  bool (*show)(const Plugin* plugin);
  bool (*hide)(const Plugin* plugin);
};

// The host's timers and its watch over file descriptors, which drive the editor's idle.
constexpr const char* kExtTimerSupport = "clap.timer-support";
struct PluginTimerSupport {
  void (*on_timer)(const Plugin* plugin, clap_id timer_id);
};
struct HostTimerSupport {
  bool (*register_timer)(const Host* host, uint32_t period_ms, clap_id* timer_id);
  bool (*unregister_timer)(const Host* host, clap_id timer_id);
};
constexpr const char* kExtPosixFdSupport = "clap.posix-fd-support";
enum PosixFdFlags : uint32_t { kFdRead = 1u << 0, kFdWrite = 1u << 1, kFdError = 1u << 2 };
struct PluginPosixFdSupport {
  void (*on_fd)(const Plugin* plugin, int fd, uint32_t flags);
};
struct HostPosixFdSupport {
  bool (*register_fd)(const Host* host, int fd, uint32_t flags);
  bool (*modify_fd)(const Host* host, int fd, uint32_t flags);
  bool (*unregister_fd)(const Host* host, int fd);
};

static_assert(offsetof(AudioPortInfo, flags) == 260 &&
              offsetof(AudioPortInfo, port_type) == (kPointers64 ? 272 : 268) &&
              sizeof(AudioPortInfo) == (kPointers64 ? 288 : 276));
static_assert(offsetof(NotePortInfo, name) == 12 && sizeof(NotePortInfo) == 268);
static_assert(offsetof(ParamInfo, name) == (kPointers64 ? 16 : 12) &&
              offsetof(ParamInfo, module) == (kPointers64 ? 272 : 268));
static_assert(offsetof(ParamInfo, min_value) ==
              (kPointers64 || alignof(double) == 8 ? 1296 : 1292));
static_assert(sizeof(VoiceInfo) == 16);
static_assert(sizeof(Window) == 2 * sizeof(void*));
static_assert(offsetof(GuiResizeHints, aspect_ratio_width) == 4 && sizeof(GuiResizeHints) == 12);
static_assert(sizeof(PluginGui) == 15 * sizeof(void*));
static_assert(sizeof(PluginParams) == 6 * sizeof(void*));

}  // namespace orvalis::clap
