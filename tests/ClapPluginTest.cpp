// The CLAP plug-in from the built Orvalis.clap: its entry and factory, what it declares, its
// parameters' texts beside the VST 2 plug-in's, and its state through the host's streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "clap/clap_presets.h"
#include "clap/descriptor.h"
#include "params/factory_bank.h"
#include "params/parameter_table.h"
#include "tests/support/clap_host.h"
#include "tests/support/test_host.h"

using orvalis::tests::ClapHost;
using orvalis::tests::ClapLibrary;
using namespace orvalis::clap;
namespace params = orvalis::params;

namespace {

ParamInfo infoOf(const ClapHost& host, uint32_t index) {
  ParamInfo info;
  std::memset(&info, 0, sizeof info);
  EXPECT_TRUE(host.extension<PluginParams>(kExtParams)->get_info(host.plugin, index, &info));
  return info;
}

// Plain values across a parameter's range: positions of a switch, 0..1 in 40 steps otherwise,
// and the table's default.
std::vector<double> sweep(const ParamInfo& info) {
  std::vector<double> values;
  if (info.flags & kParamIsStepped) {
    for (double k = info.min_value; k <= info.max_value; ++k) values.push_back(k);
  } else {
    for (int s = 0; s <= 40; ++s) values.push_back(s / 40.0);
    values.push_back(info.default_value);
  }
  return values;
}

std::vector<double> allValues(const ClapHost& host) {
  std::vector<double> v;
  for (clap_id i = 0; i < params::kNumParams; ++i) v.push_back(host.value(i));
  return v;
}

}  // namespace

TEST(ClapEntry, OneInstrumentThroughTheFactoryWhateverTheOrderOfInitAndDeinit) {
  const ClapLibrary& library = ClapLibrary::get();
  ASSERT_NE(library.entry, nullptr) << library.error;
  EXPECT_EQ(library.entry->clap_version.major, 1u);
  EXPECT_EQ(library.entry->clap_version.minor, 1u);
  // Scanners deinit without init, init twice, and go on after a deinit.
  library.entry->deinit();
  EXPECT_TRUE(library.entry->init(ORVALIS_CLAP_PATH));
  EXPECT_TRUE(library.entry->init(ORVALIS_CLAP_PATH));
  library.entry->deinit();
  library.entry->deinit();
  EXPECT_TRUE(library.entry->init(ORVALIS_CLAP_PATH));
  EXPECT_EQ(library.entry->get_factory("clap.preset-discovery-factory/none"), nullptr);
  const auto* factory =
      static_cast<const PluginFactory*>(library.entry->get_factory(kPluginFactoryId));
  ASSERT_EQ(factory, library.factory);
  ASSERT_EQ(factory->get_plugin_count(factory), 1u);
  EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);
  const PluginDescriptor* d = factory->get_plugin_descriptor(factory, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->clap_version.major, 1u);
  EXPECT_STREQ(d->id, "org.orvalis.instrument");
  EXPECT_STREQ(d->name, "Orvalis");
  EXPECT_STREQ(d->vendor, "Tavrelin");
  EXPECT_STREQ(d->version, ORVALIS_PROJECT_VERSION);
  for (const char* field : {d->url, d->manual_url, d->support_url, d->description})
    EXPECT_NE(field, nullptr);
  std::vector<std::string> features;
  for (const char* const* f = d->features; *f; ++f) features.emplace_back(*f);
  EXPECT_EQ(features, (std::vector<std::string>{"instrument", "synthesizer", "stereo"}));

  orvalis::tests::ClapHost probe(false);
  EXPECT_EQ(factory->create_plugin(factory, nullptr, kPluginId), nullptr);
  const Host other{};
  EXPECT_EQ(factory->create_plugin(factory, &other, "org.other"), nullptr);
  ASSERT_NE(probe.plugin, nullptr);
  EXPECT_EQ(probe.plugin->desc, d);
  // A host may destroy an instance it never initialised (the probe's destructor does).
}

TEST(ClapPlugin, DeclaresStereoOutNoteInNoLatencyAndEightVoices) {
  ClapHost host;
  ASSERT_NE(host.plugin, nullptr);
  const auto* audio = host.extension<PluginAudioPorts>(kExtAudioPorts);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->count(host.plugin, true), 0u);
  ASSERT_EQ(audio->count(host.plugin, false), 1u);
  AudioPortInfo port;
  ASSERT_TRUE(audio->get(host.plugin, 0, false, &port));
  EXPECT_EQ(port.flags & kAudioPortIsMain, kAudioPortIsMain);
  EXPECT_EQ(port.channel_count, 2u);
  EXPECT_STREQ(port.port_type, "stereo");
  EXPECT_FALSE(audio->get(host.plugin, 1, false, &port));
  EXPECT_FALSE(audio->get(host.plugin, 0, true, &port));

  const auto* notes = host.extension<PluginNotePorts>(kExtNotePorts);
  ASSERT_NE(notes, nullptr);
  ASSERT_EQ(notes->count(host.plugin, true), 1u);
  EXPECT_EQ(notes->count(host.plugin, false), 0u);
  NotePortInfo note;
  ASSERT_TRUE(notes->get(host.plugin, 0, true, &note));
  EXPECT_EQ(note.supported_dialects, kNoteDialectClap | kNoteDialectMidi);
  EXPECT_EQ(note.preferred_dialect, kNoteDialectClap);

  EXPECT_EQ(host.extension<PluginLatency>(kExtLatency)->get(host.plugin), 0u);
  const auto* voices = host.extension<PluginVoiceInfo>(kExtVoiceInfo);
  VoiceInfo info;
  ASSERT_TRUE(voices->get(host.plugin, &info));
  EXPECT_EQ(info.voice_capacity, 8u);
  EXPECT_EQ(info.voice_count, 8u);
  EXPECT_EQ(host.extension<void>("clap.unknown"), nullptr);
  // The host extensions it asked for, all of CLAP 1.1.
  for (const char* id : {kExtParams, kExtState, kExtLog})
    EXPECT_NE(std::find(host.askedExtensions.begin(), host.askedExtensions.end(), id),
              host.askedExtensions.end())
        << id;
}

TEST(ClapParams, SixtyOneParametersNamedAndGroupedAsTheTableSays) {
  ClapHost host;
  ASSERT_NE(host.plugin, nullptr);
  const auto* p = host.extension<PluginParams>(kExtParams);
  ASSERT_EQ(p->count(host.plugin), 61u);
  ParamInfo info;
  EXPECT_FALSE(p->get_info(host.plugin, 61, &info));
  EXPECT_FALSE(p->get_info(host.plugin, 0, nullptr));
  for (int i = 0; i < params::kNumParams; ++i) {
    SCOPED_TRACE(i);
    info = infoOf(host, static_cast<uint32_t>(i));
    EXPECT_EQ(info.id, static_cast<clap_id>(i));
    EXPECT_STREQ(info.name, params::parameterTableName(i));
    EXPECT_NE(info.module[0], 0);
    EXPECT_EQ((info.flags & kParamIsHidden) != 0, params::isHidden(i));
    EXPECT_EQ((info.flags & kParamIsAutomatable) != 0, !params::isHidden(i));
    int choices = 0;
    params::choiceNames(i, &choices);
    EXPECT_EQ((info.flags & kParamIsStepped) != 0, choices > 0);
    EXPECT_EQ(info.min_value, 0.0);
    EXPECT_EQ(info.max_value, choices > 0 ? choices - 1 : 1.0);
  }
  EXPECT_STREQ(infoOf(host, params::kLfoSpeed).module, "LFO");
  EXPECT_STREQ(infoOf(host, params::kFilter2ResoLow).module, "Filters/Filter 2");
  double v = 0;
  EXPECT_FALSE(p->get_value(host.plugin, 61, &v));
  EXPECT_EQ(host.text(61, 0.5), "<none>");
  EXPECT_FALSE(p->text_to_value(host.plugin, 61, "1", &v));
}

TEST(ClapParams, ANewInstanceHoldsTheFactoryBank) {
  ClapHost host;
  ASSERT_NE(host.plugin, nullptr);
  const params::FactoryProgram first = params::factoryProgram(0);
  for (int i = 0; i < params::kNumParams; ++i) {
    const auto id = static_cast<clap_id>(i);
    char display[64];
    params::formatDisplay(i, first.record.values[i], display, sizeof display);
    if (!(infoOf(host, id).flags & kParamIsStepped)) {
      EXPECT_EQ(host.value(id), static_cast<double>(first.record.values[i])) << i;
    } else {
      EXPECT_EQ(host.text(id, host.value(id)), display) << i;
    }
  }
}

// Every parameter's text is the VST 2 plug-in's display of the same stored value, and where a
// text has an inverse it gives a value of that same text.
TEST(ClapParams, TextsAreTheVst2DisplaysAndReadBack) {
  ClapHost host;
  ASSERT_NE(host.plugin, nullptr);
  orvalis::tests::TestHost vst;
  const auto* p = host.extension<PluginParams>(kExtParams);
  for (int i = 0; i < params::kNumParams; ++i) {
    const ParamInfo info = infoOf(host, static_cast<uint32_t>(i));
    const bool stepped = info.flags & kParamIsStepped;
    for (double plain : sweep(info)) {
      SCOPED_TRACE(std::string(info.name) + " at " + std::to_string(plain));
      const float stored =
          stepped ? static_cast<float>(plain / info.max_value) : static_cast<float>(plain);
      vst.setParameter(i, stored);
      const std::string display = vst.parameterText(effGetParamDisplay, i);
      if (params::isHidden(i)) {
        EXPECT_EQ(host.text(static_cast<clap_id>(i), plain), "<none>");
        continue;
      }
      const std::string text = host.text(static_cast<clap_id>(i), plain);
      EXPECT_EQ(text, display);
      double back = -1;
      ASSERT_TRUE(p->text_to_value(host.plugin, static_cast<clap_id>(i), text.c_str(), &back));
      EXPECT_GE(back, info.min_value);
      EXPECT_LE(back, info.max_value);
      EXPECT_EQ(host.text(static_cast<clap_id>(i), back), text);
    }
  }
  double v = 0;
  EXPECT_FALSE(p->text_to_value(host.plugin, params::kGain, "loud", &v));
  EXPECT_FALSE(p->text_to_value(host.plugin, params::kFilter1Type, "Notch", &v));
  EXPECT_FALSE(p->text_to_value(host.plugin, params::kLaneWeights, "0.5", &v));
  ASSERT_TRUE(p->text_to_value(host.plugin, params::kGain, "0 dB", &v));
  EXPECT_DOUBLE_EQ(v, 0.5);
}

TEST(ClapState, RoundTripThroughStreamsOfOneByteAtATime) {
  ClapHost a;
  ASSERT_NE(a.plugin, nullptr);
  a.param(0, params::kGain, 0.2);
  a.param(0, params::kOscType, 3);
  a.flush();
  std::vector<uint8_t> saved, whole;
  ASSERT_TRUE(a.saveState(saved, 1));
  ASSERT_TRUE(a.saveState(whole));
  EXPECT_EQ(saved, whole);

  ClapHost b;
  ASSERT_TRUE(b.loadState(saved, 1));
  EXPECT_EQ(allValues(b), allValues(a));
  EXPECT_FLOAT_EQ(static_cast<float>(b.value(params::kGain)), 0.2f);
  EXPECT_EQ(b.value(params::kOscType), 3.0);
  EXPECT_GT(b.rescans, 0);
  std::vector<uint8_t> again;
  ASSERT_TRUE(b.saveState(again, 7));
  EXPECT_EQ(again, saved);
}

TEST(ClapState, BadStatesAreRefusedWholeAndChangeNothing) {
  ClapHost host;
  ASSERT_NE(host.plugin, nullptr);
  std::vector<uint8_t> good;
  ASSERT_TRUE(host.saveState(good));
  host.param(0, params::kGain, 0.9);
  host.flush();
  std::vector<uint8_t> before;
  ASSERT_TRUE(host.saveState(before));

  std::vector<uint8_t> truncated(good.begin(), good.end() - 1), longer = good, badMagic = good,
                                                                huge(good.size() * 5, 0);
  longer.push_back(0);
  badMagic[0] ^= 0xFF;
  const struct {
    const char* name;
    std::vector<uint8_t> data;
    bool failAtEnd;
  } cases[] = {{"empty", {}, false},
               {"truncated", truncated, false},
               {"one byte too long", longer, false},
               {"bad magic", badMagic, false},
               {"far too long", huge, false},
               {"the stream fails", good, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t lines = host.logLines.size();
    EXPECT_FALSE(host.loadState(c.data, 1000, c.failAtEnd));
    EXPECT_EQ(host.logLines.size(), lines + 1);
    std::vector<uint8_t> after;
    ASSERT_TRUE(host.saveState(after));
    EXPECT_EQ(after, before);
  }
  const auto* state = host.extension<PluginState>(kExtState);
  EXPECT_FALSE(state->load(host.plugin, nullptr));
  EXPECT_FALSE(state->save(host.plugin, nullptr));
}

namespace {

// What a host's preset indexer is told.
struct Indexed {
  std::vector<PresetLocation> locations;
  std::vector<std::string> names, keys, pluginIds;
  int stopAfter = -1;
};

}  // namespace

TEST(ClapPresets, TheBrowserListsTheFactoryBankAndALoadSelectsItsProgram) {
  const ClapLibrary& library = ClapLibrary::get();
  ASSERT_NE(library.entry, nullptr) << library.error;
  const auto* factory = static_cast<const PresetDiscoveryFactory*>(
      library.entry->get_factory(kPresetDiscoveryFactoryId));
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(library.entry->get_factory(kPresetDiscoveryFactoryIdDraft), factory);
  ASSERT_EQ(factory->count(factory), 1u);
  const PresetProviderDescriptor* d = factory->get_descriptor(factory, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(factory->get_descriptor(factory, 1), nullptr);

  Indexed indexed;
  PresetIndexer indexer = {};
  indexer.clap_version = kVersion;
  indexer.name = "test indexer";
  indexer.indexer_data = &indexed;
  indexer.declare_location = [](const PresetIndexer* i, const PresetLocation* l) {
    static_cast<Indexed*>(i->indexer_data)->locations.push_back(*l);
    return true;
  };
  EXPECT_EQ(factory->create(factory, &indexer, "org.other"), nullptr);
  const PresetProvider* provider = factory->create(factory, &indexer, d->id);
  ASSERT_NE(provider, nullptr);
  ASSERT_TRUE(provider->init(provider));
  ASSERT_EQ(indexed.locations.size(), 1u);
  EXPECT_EQ(indexed.locations[0].kind, kPresetLocationPlugin);
  EXPECT_EQ(indexed.locations[0].location, nullptr);
  EXPECT_EQ(indexed.locations[0].flags, kPresetIsFactoryContent);

  PresetMetadataReceiver receiver = {};
  receiver.receiver_data = &indexed;
  receiver.begin_preset = [](const PresetMetadataReceiver* r, const char* name, const char* key) {
    auto* i = static_cast<Indexed*>(r->receiver_data);
    if (i->stopAfter >= 0 && static_cast<int>(i->names.size()) == i->stopAfter) return false;
    i->names.emplace_back(name);
    i->keys.emplace_back(key);
    return true;
  };
  receiver.add_plugin_id = [](const PresetMetadataReceiver* r, const UniversalPluginId* id) {
    static_cast<Indexed*>(r->receiver_data)
        ->pluginIds.push_back(std::string(id->abi) + ":" + id->id);
  };
  EXPECT_FALSE(provider->get_metadata(provider, kPresetLocationFile, "/tmp", &receiver));
  ASSERT_TRUE(provider->get_metadata(provider, kPresetLocationPlugin, nullptr, &receiver));
  ASSERT_EQ(indexed.names.size(), 128u);
  for (int i = 0; i < 128; ++i) {
    EXPECT_EQ(indexed.names[i], params::factoryProgram(i).record.name);
    EXPECT_EQ(indexed.keys[i], std::to_string(i));
    EXPECT_EQ(indexed.pluginIds[i], "clap:org.orvalis.instrument");
  }
  // A receiver that says stop is not called again.
  indexed = Indexed{};
  indexed.stopAfter = 3;
  provider->get_metadata(provider, kPresetLocationPlugin, nullptr, &receiver);
  EXPECT_EQ(indexed.names.size(), 3u);
  provider->destroy(provider);

  ClapHost host;
  ASSERT_NE(host.plugin, nullptr);
  const auto* load = host.extension<PluginPresetLoad>(kExtPresetLoad);
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(host.extension<PluginPresetLoad>(kExtPresetLoadDraft), load);
  const int rescans = host.rescans;
  ASSERT_TRUE(load->from_location(host.plugin, kPresetLocationPlugin, nullptr, "46"));
  EXPECT_GT(host.rescans, rescans);
  const params::FactoryProgram harp = params::factoryProgram(46);
  for (int i = 0; i < params::kNumParams; ++i) {
    char display[64];
    params::formatDisplay(i, harp.record.values[i], display, sizeof display);
    if (!params::isHidden(i)) {
      EXPECT_EQ(host.text(i, host.value(i)), display) << i;
    }
  }
  std::vector<uint8_t> before, after;
  ASSERT_TRUE(host.saveState(before));
  for (const char* key : {"128", "-1", "07", "", "4x", " 4"})
    EXPECT_FALSE(load->from_location(host.plugin, kPresetLocationPlugin, nullptr, key)) << key;
  EXPECT_FALSE(load->from_location(host.plugin, kPresetLocationFile, "/tmp/x", "1"));
  EXPECT_FALSE(load->from_location(host.plugin, kPresetLocationPlugin, nullptr, nullptr));
  ASSERT_TRUE(host.saveState(after));
  EXPECT_EQ(after, before);
}
