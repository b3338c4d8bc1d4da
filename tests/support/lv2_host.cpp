#include "tests/support/lv2_host.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/presets/presets.h>

#include <cstring>

#include "lv2/uris.h"

namespace orvalis::tests {

UridMap::UridMap() {
  mapFeature.handle = this;
  mapFeature.map = [](LV2_URID_Map_Handle h, const char* uri) {
    return static_cast<UridMap*>(h)->map(uri);
  };
  unmapFeature.handle = this;
  unmapFeature.unmap = [](LV2_URID_Unmap_Handle h, LV2_URID urid) {
    return static_cast<UridMap*>(h)->unmap(urid);
  };
}

LV2_URID UridMap::map(const char* uri) {
  auto found = ids.find(uri);
  if (found != ids.end()) return found->second;
  uris.emplace_back(uri);
  const auto id = static_cast<LV2_URID>(uris.size());
  ids.emplace(uri, id);
  return id;
}

const char* UridMap::unmap(LV2_URID urid) const {
  return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

Lv2World& Lv2World::get() {
  static Lv2World shared;
  if (!shared.world) {
    shared.world = lilv_world_new();
    LilvNode* bundle = lilv_new_file_uri(shared.world, nullptr, ORVALIS_LV2_BUNDLE "/");
    lilv_world_load_bundle(shared.world, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(shared.world, orvalis::lv2::kPluginUri);
    shared.plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(shared.world), uri);
    lilv_node_free(uri);
  }
  return shared;
}

std::vector<std::string> Lv2World::presetUris() {
  std::vector<std::string> out;
  LilvNode* presetClass = lilv_new_uri(world, LV2_PRESETS__Preset);
  LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
  LILV_FOREACH(nodes, i, presets) out.emplace_back(lilv_node_as_uri(lilv_nodes_get(presets, i)));
  lilv_nodes_free(presets);
  lilv_node_free(presetClass);
  return out;
}

std::string Lv2World::presetFamily(const std::string& uri) {
  LilvNode* preset = lilv_new_uri(world, uri.c_str());
  LilvNode* bankProperty = lilv_new_uri(world, LV2_PRESETS__bank);
  LilvNode* label = lilv_new_uri(world, LILV_NS_RDFS "label");
  lilv_world_load_resource(world, preset);
  LilvNode* bank = lilv_world_get(world, preset, bankProperty, nullptr);
  LilvNode* name = bank ? lilv_world_get(world, bank, label, nullptr) : nullptr;
  std::string family = name ? lilv_node_as_string(name) : "";
  for (LilvNode* n : {preset, bankProperty, label, bank, name}) lilv_node_free(n);
  return family;
}

LilvState* Lv2World::loadPreset(const std::string& uri) {
  LilvNode* node = lilv_new_uri(world, uri.c_str());
  lilv_world_load_resource(world, node);
  LilvState* state = lilv_state_new_from_world(world, &urids.mapFeature, node);
  lilv_node_free(node);
  return state;
}

Lv2Host::Lv2Host(double sampleRate) : world(Lv2World::get()) {
  if (!world.plugin) return;
  UridMap& u = world.urids;
  const LV2_URID intType = u.map(LV2_ATOM__Int);
  options = {{LV2_OPTIONS_INSTANCE, 0, u.map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
              intType, &maxBlock},
             {LV2_OPTIONS_INSTANCE, 0, u.map(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t),
              intType, &nominalBlock},
             {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  mapFeature = {LV2_URID__map, &u.mapFeature};
  unmapFeature = {LV2_URID__unmap, &u.unmapFeature};
  optionsFeature = {LV2_OPTIONS__options, options.data()};
  boundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
  features = {&mapFeature, &unmapFeature, &optionsFeature, &boundedFeature, nullptr};

  instance = lilv_plugin_instantiate(world.plugin, sampleRate, features.data());
  if (!instance) return;
  const uint32_t ports = lilv_plugin_get_num_ports(world.plugin);
  std::vector<float> defaults(ports);
  lilv_plugin_get_port_ranges_float(world.plugin, nullptr, nullptr, defaults.data());
  controls.assign(defaults.begin(), defaults.begin() + orvalis::lv2::kMidiIn);
  outLeft.resize(kMaxBlock);
  outRight.resize(kMaxBlock);
  for (uint32_t i = 0; i < orvalis::lv2::kMidiIn; ++i)
    lilv_instance_connect_port(instance, i, &controls[i]);
  lilv_instance_connect_port(instance, orvalis::lv2::kMidiIn, midiIn);
  lilv_instance_connect_port(instance, orvalis::lv2::kOutLeft, outLeft.data());
  lilv_instance_connect_port(instance, orvalis::lv2::kOutRight, outRight.data());
  lilv_instance_connect_port(instance, orvalis::lv2::kNotify, notify);
  auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(midiIn);
  lv2_atom_sequence_clear(seq);
  seq->atom.type = u.map(LV2_ATOM__Sequence);
  lilv_instance_activate(instance);
}

Lv2Host::~Lv2Host() {
  if (!instance) return;
  lilv_instance_deactivate(instance);
  lilv_instance_free(instance);
}

void Lv2Host::midi(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2) {
  auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(midiIn);
  struct {
    LV2_Atom_Event event;
    uint8_t bytes[3];
  } message;
  message.event.time.frames = frame;
  message.event.body.type = world.urids.map(LV2_MIDI__MidiEvent);
  // Program change and channel pressure have one data byte.
  const bool twoBytes = (status & 0xE0) == 0xC0;
  message.event.body.size = twoBytes ? 2 : 3;
  message.bytes[0] = status;
  message.bytes[1] = data1;
  message.bytes[2] = twoBytes ? 0 : data2;
  lv2_atom_sequence_append_event(seq, kAtomCapacity - sizeof(LV2_Atom), &message.event);
}

void Lv2Host::run(std::vector<float>& left, std::vector<float>& right, uint32_t frames) {
  auto* out = reinterpret_cast<LV2_Atom_Sequence*>(notify);
  out->atom.size = kAtomCapacity - sizeof(LV2_Atom);
  out->atom.type = world.urids.map(LV2_ATOM__Chunk);
  lilv_instance_run(instance, frames);
  left.insert(left.end(), outLeft.begin(), outLeft.begin() + frames);
  right.insert(right.end(), outRight.begin(), outRight.begin() + frames);
  lv2_atom_sequence_clear(reinterpret_cast<LV2_Atom_Sequence*>(midiIn));
}

std::vector<std::vector<uint8_t>> Lv2Host::notifications() const {
  std::vector<std::vector<uint8_t>> events;
  const auto* seq = reinterpret_cast<const LV2_Atom_Sequence*>(notify);
  if (seq->atom.type != world.urids.map(LV2_ATOM__Sequence)) return events;
  LV2_ATOM_SEQUENCE_FOREACH(seq, event) {
    const auto* begin = reinterpret_cast<const uint8_t*>(&event->body);
    events.emplace_back(begin, begin + sizeof(LV2_Atom) + event->body.size);
  }
  return events;
}

namespace {

struct Property {
  LV2_URID key = 0, type = 0;
  uint32_t flags = 0;
  std::vector<uint8_t> value;
};

const LV2_State_Interface* stateInterface(LilvInstance* instance) {
  return static_cast<const LV2_State_Interface*>(
      lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

}  // namespace

std::vector<uint8_t> Lv2Host::savedBlob() {
  std::vector<Property> stored;
  auto store = [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                  uint32_t flags) -> LV2_State_Status {
    const auto* bytes = static_cast<const uint8_t*>(value);
    static_cast<std::vector<Property>*>(h)->push_back(
        {key, type, flags, std::vector<uint8_t>(bytes, bytes + size)});
    return LV2_STATE_SUCCESS;
  };
  const LV2_State_Interface* state = stateInterface(instance);
  if (!state) return {};
  state->save(lilv_instance_get_handle(instance), store, &stored, LV2_STATE_IS_POD,
              features.data());
  const LV2_URID key = world.urids.map(orvalis::lv2::kStateBankKey);
  for (const Property& p : stored)
    if (p.key == key && p.type == world.urids.map(LV2_ATOM__Chunk)) return p.value;
  return {};
}

LV2_State_Status Lv2Host::restoreBlob(const std::vector<uint8_t>& data, LV2_URID type) {
  Property given{world.urids.map(orvalis::lv2::kStateBankKey), type, LV2_STATE_IS_POD, data};
  auto retrieve = [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* valueType,
                     uint32_t* flags) -> const void* {
    const auto* p = static_cast<const Property*>(h);
    if (key != p->key) return nullptr;
    *size = p->value.size();
    *valueType = p->type;
    *flags = p->flags;
    // An empty value is still a value: some hosts hand a pointer with a size of 0.
    static const uint8_t nothing = 0;
    return p->value.empty() ? &nothing : p->value.data();
  };
  const LV2_State_Interface* state = stateInterface(instance);
  if (!state) return LV2_STATE_ERR_UNKNOWN;
  return state->restore(lilv_instance_get_handle(instance), retrieve, &given, 0, features.data());
}

LV2_State_Status Lv2Host::restoreWithoutBank() {
  auto retrieve = [](LV2_State_Handle, uint32_t, size_t*, uint32_t*, uint32_t*) -> const void* {
    return nullptr;
  };
  const LV2_State_Interface* state = stateInterface(instance);
  if (!state) return LV2_STATE_ERR_UNKNOWN;
  return state->restore(lilv_instance_get_handle(instance), retrieve, nullptr, 0, features.data());
}

const void* Lv2Host::portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type) {
  auto* host = static_cast<Lv2Host*>(self);
  const int index = orvalis::params::parameterIndexBySymbol(symbol);
  if (index < 0) return nullptr;
  *size = sizeof(float);
  *type = host->world.urids.map(LV2_ATOM__Float);
  return &host->controls[index];
}

void Lv2Host::setPortValue(const char* symbol, void* self, const void* value, uint32_t size,
                           uint32_t type) {
  auto* host = static_cast<Lv2Host*>(self);
  const int index = orvalis::params::parameterIndexBySymbol(symbol);
  if (index < 0) return;
  // Turtle numbers come back as floats, doubles or integers, depending on how they were written.
  UridMap& u = host->world.urids;
  float v;
  if (type == u.map(LV2_ATOM__Float) && size == sizeof(float))
    std::memcpy(&v, value, sizeof v);
  else if (type == u.map(LV2_ATOM__Double) && size == sizeof(double))
    v = static_cast<float>(*static_cast<const double*>(value));
  else if (type == u.map(LV2_ATOM__Int) && size == sizeof(int32_t))
    v = static_cast<float>(*static_cast<const int32_t*>(value));
  else if (type == u.map(LV2_ATOM__Long) && size == sizeof(int64_t))
    v = static_cast<float>(*static_cast<const int64_t*>(value));
  else
    return;
  host->controls[index] = v;
}

LilvState* Lv2Host::saveState() {
  return lilv_state_new_from_instance(world.plugin, instance, &world.urids.mapFeature, nullptr,
                                      nullptr, nullptr, nullptr, portValue, this,
                                      LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features.data());
}

void Lv2Host::restoreState(const LilvState* state) {
  lilv_state_restore(state, instance, setPortValue, this, 0, features.data());
}

}  // namespace orvalis::tests
