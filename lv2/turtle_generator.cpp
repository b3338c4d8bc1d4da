// Writes the bundle's Turtle from the parameter table and the factory presets:
//   orvalis_lv2_turtle <bundle dir> <plug-in binary> <UI binary>
// Refuses (and writes nothing) when the table would give a bundle hosts misread: repeated or
// malformed symbols, scale points that do not select their choice, repeated preset names.
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "io/safe_file.h"
#include "lv2/factory_presets.h"
#include "lv2/turtle_text.h"
#include "lv2/uris.h"
#include "orvalis_version.h"
#include "params/factory_bank.h"

using namespace orvalis::lv2;
using orvalis::params::Display;

namespace {

// The project version's minor and patch numbers (even minor numbers are releases); hosts prefer
// the bundle with the higher version.
constexpr int kMinorVersion = ORVALIS_VERSION_MINOR;
constexpr int kMicroVersion = ORVALIS_VERSION_PATCH;

const char* const kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string iri(const std::string& uri) { return "<" + uri + ">"; }

bool fail(const std::string& why) {
  std::fprintf(stderr, "orvalis_lv2_turtle: %s\n", why.c_str());
  return false;
}

bool isSymbol(const std::string& s) {
  if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

// Hidden rows have no name: "pitch_attack_h" is shown as "Pitch attack h".
std::string portName(const orvalis::params::ParameterInfo& row) {
  if (row.name) return row.name;
  std::string name = row.symbol;
  for (char& c : name)
    if (c == '_') c = ' ';
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

// Values 0 and 1 as the instrument displays them, for a host that shows the bare 0..1 value.
std::string displayRange(const orvalis::params::ParameterInfo& row) {
  auto shown = [&](float v) {
    char text[32];
    orvalis::params::formatDisplay(row.index, v, text, sizeof text);
    std::string s = text;
    if (row.label && *row.label) s += std::string(" ") + row.label;
    return s;
  };
  const char* curve = row.display == Display::Linear   ? "linear"
                      : row.display == Display::Square ? "quadratic"
                      : row.display == Display::Pan    ? "linear"
                                                       : "exponential";
  return "Shows " + shown(0.f) + " at 0 and " + shown(1.f) + " at 1 (" + curve + ").";
}

// Switch position k of n sits at k/(n-1), the value the panel's switches write.
bool choicePoints(const orvalis::params::ParameterInfo& row, std::ostringstream& port) {
  int n = 0;
  const char* const* names = orvalis::params::choiceNames(row.index, &n);
  port << "        lv2:portProperty lv2:enumeration ;\n        lv2:scalePoint ";
  for (int k = 0; k < n; ++k) {
    const float v = static_cast<float>(k) / static_cast<float>(n - 1);
    const int chosen = row.display == Display::OscType ? orvalis::params::oscModeOf(v)
                                                       : orvalis::params::choiceIndex(v, n);
    if (chosen != k)
      return fail(std::string("scale point ") + names[k] + " selects another choice");
    port << (k ? " , " : "") << "[ rdfs:label " << turtleString(names[k]) << " ; rdf:value "
         << turtleNumber(v) << " ]";
  }
  port << " ;\n";
  return true;
}

// A fresh instance holds the factory bank with program 0 selected: its values are the defaults.
float defaultOf(int index) { return orvalis::params::factoryProgram(0).record.values[index]; }

bool controlPort(int index, std::ostringstream& out) {
  const orvalis::params::ParameterInfo& row = orvalis::params::parameterInfo(index);
  out << "    [\n        a lv2:InputPort , lv2:ControlPort ;\n"
      << "        lv2:index " << index << " ;\n"
      << "        lv2:symbol " << turtleString(row.symbol) << " ;\n"
      << "        lv2:name " << turtleString(portName(row)) << " ;\n"
      << "        lv2:default " << turtleNumber(defaultOf(index)) << " ;\n"
      << "        lv2:minimum 0.0 ;\n        lv2:maximum 1.0 ;\n";
  int choices = 0;
  orvalis::params::choiceNames(index, &choices);
  if (choices > 0) {
    if (!choicePoints(row, out)) return false;
  } else if (row.display == Display::Hidden) {
    // Acts on the sound, but the instrument shows it nowhere.
    out << "        lv2:portProperty pprops:notOnGUI ;\n";
  } else if (row.display == Display::Linear && row.a == 1.0 && row.b == 0.0) {
    out << "        units:unit units:coef ;\n";
  } else {
    out << "        rdfs:comment " << turtleString(displayRange(row)) << " ;\n";
  }
  out << "    ]";
  return true;
}

bool pluginTurtle(const std::string& uiBinary, std::string& text) {
  std::ostringstream out;
  out << kPrefixes << iri(kPluginUri) << "\n"
      << "    a lv2:Plugin , lv2:InstrumentPlugin , doap:Project ;\n"
      << "    doap:name \"Orvalis\" ;\n"
      << "    doap:maintainer [ foaf:name \"Tavrelin\" ] ;\n"
      << "    lv2:minorVersion " << kMinorVersion << " ;\n"
      << "    lv2:microVersion " << kMicroVersion << " ;\n"
      << "    lv2:requiredFeature urid:map , opts:options ;\n"
      << "    lv2:optionalFeature lv2:hardRTCapable , bufsz:boundedBlockLength ;\n"
      << "    opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
      << "    lv2:extensionData state:interface ;\n"
      << "    ui:ui " << iri(kUiUri) << " ;\n"
      << "    lv2:port\n";
  std::set<std::string> symbols = {kMidiInSymbol, kOutLeftSymbol, kOutRightSymbol, kNotifySymbol};
  for (int i = 0; i < orvalis::params::kNumParams; ++i) {
    const std::string symbol = orvalis::params::parameterInfo(i).symbol;
    if (!isSymbol(symbol)) return fail("malformed port symbol \"" + symbol + "\"");
    if (!symbols.insert(symbol).second) return fail("repeated port symbol \"" + symbol + "\"");
    if (!controlPort(i, out)) return false;
    out << " ,\n";
  }
  out << "    [\n        a lv2:InputPort , atom:AtomPort ;\n"
      << "        atom:bufferType atom:Sequence ;\n"
      << "        atom:supports midi:MidiEvent ;\n"
      << "        lv2:designation lv2:control ;\n"
      << "        lv2:index " << kMidiIn << " ;\n"
      << "        lv2:symbol \"" << kMidiInSymbol << "\" ;\n"
      << "        lv2:name \"MIDI in\"\n    ] ,\n";
  const struct {
    uint32_t index;
    const char* symbol;
    const char* name;
  } outputs[2] = {{kOutLeft, kOutLeftSymbol, "Left"}, {kOutRight, kOutRightSymbol, "Right"}};
  for (const auto& o : outputs)
    out << "    [\n        a lv2:OutputPort , lv2:AudioPort ;\n"
        << "        lv2:index " << o.index << " ;\n"
        << "        lv2:symbol \"" << o.symbol << "\" ;\n"
        << "        lv2:name \"" << o.name << "\"\n    ] ,\n";
  out << "    [\n        a lv2:OutputPort , atom:AtomPort ;\n"
      << "        atom:bufferType atom:Sequence ;\n"
      << "        lv2:index " << kNotify << " ;\n"
      << "        lv2:symbol \"" << kNotifySymbol << "\" ;\n"
      << "        lv2:name \"Display\" ;\n"
      << "        rdfs:comment \"Envelopes, filter and timbre positions and load, for the "
         "editor.\"\n"
      << "    ] .\n\n";

  out << iri(kUiUri) << "\n"
      << "    a ui:X11UI ;\n"
      << "    lv2:binary <" << uiBinary << "> ;\n"
      << "    lv2:requiredFeature urid:map , ui:parent , ui:idleInterface ;\n"
      << "    lv2:optionalFeature ui:noUserResize , ui:touch , opts:options ;\n"
      << "    lv2:extensionData ui:idleInterface ;\n"
      << "    opts:supportedOption ui:scaleFactor ;\n"
      << "    ui:portNotification [\n"
      << "        ui:plugin " << iri(kPluginUri) << " ;\n"
      << "        lv2:symbol \"" << kNotifySymbol << "\" ;\n"
      << "        ui:protocol atom:eventTransfer\n    ] .\n";
  text = out.str();
  return true;
}

struct PresetNames {
  std::string uri, familyUri;
};

bool presetNames(const std::vector<FactoryPreset>& presets, std::vector<PresetNames>& names) {
  std::set<std::string> seen;
  for (const FactoryPreset& p : presets) {
    const std::string s = slug(p.label), f = slug(p.family);
    if (s.empty() || f.empty())
      return fail("preset \"" + p.label + "\" has no usable name or family");
    if (!seen.insert(s).second) return fail("two presets named like \"" + p.label + "\"");
    names.push_back({kPresetPrefix + s, kFamilyPrefix + f});
  }
  return true;
}

std::string presetsTurtle(const std::vector<FactoryPreset>& presets,
                          const std::vector<PresetNames>& names) {
  std::ostringstream out;
  out << kPrefixes;
  std::set<std::string> families;
  for (std::size_t i = 0; i < presets.size(); ++i) {
    if (families.insert(names[i].familyUri).second)
      out << iri(names[i].familyUri) << "\n    a pset:Bank ;\n    rdfs:label "
          << turtleString(presets[i].family) << " .\n\n";
  }
  for (std::size_t i = 0; i < presets.size(); ++i) {
    out << iri(names[i].uri) << "\n    a pset:Preset ;\n"
        << "    lv2:appliesTo " << iri(kPluginUri) << " ;\n"
        << "    rdfs:label " << turtleString(presets[i].label) << " ;\n"
        << "    pset:bank " << iri(names[i].familyUri) << " ;\n"
        << "    lv2:port\n";
    for (int p = 0; p < orvalis::params::kNumParams; ++p)
      out << "        [ lv2:symbol " << turtleString(orvalis::params::parameterInfo(p).symbol)
          << " ; pset:value " << turtleNumber(presets[i].values[p]) << " ]"
          << (p + 1 < orvalis::params::kNumParams ? " ,\n" : " .\n\n");
  }
  return out.str();
}

std::string manifestTurtle(const std::string& dspBinary, const std::vector<PresetNames>& names) {
  std::ostringstream out;
  out << kPrefixes << iri(kPluginUri) << "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
      << "    lv2:binary <" << dspBinary << "> ;\n    rdfs:seeAlso <orvalis.ttl> .\n";
  for (const PresetNames& n : names)
    out << "\n"
        << iri(n.uri) << "\n    a pset:Preset ;\n    lv2:appliesTo " << iri(kPluginUri)
        << " ;\n    rdfs:seeAlso <presets.ttl> .\n";
  return out.str();
}

// Each file is written and flushed before any is put in place, so that a failed run leaves the
// bundle's Turtle as it was, never half new.
bool writeBundle(const std::string (&paths)[3], const std::string (&texts)[3]) {
  orvalis::io::SafeFile files[3];
  std::string error;
  for (int i = 0; i < 3; ++i)
    if (!files[i].open(paths[i], error) ||
        !files[i].write(texts[i].data(), texts[i].size(), error) || !files[i].finish(error))
      return fail(error);
  for (orvalis::io::SafeFile& file : files)
    if (!file.commit(error)) return fail(error);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: orvalis_lv2_turtle <bundle dir> <plug-in binary> <UI binary>\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::vector<FactoryPreset> presets = factoryPresets();
  std::vector<PresetNames> names;
  std::string plugin;
  if (!presetNames(presets, names) || !pluginTurtle(argv[3], plugin)) return 1;
  const std::string paths[3] = {dir + "/orvalis.ttl", dir + "/presets.ttl", dir + "/manifest.ttl"};
  const std::string texts[3] = {plugin, presetsTurtle(presets, names),
                                manifestTurtle(argv[2], names)};
  return writeBundle(paths, texts) ? 0 : 1;
}
