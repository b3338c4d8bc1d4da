#include "clap/descriptor.h"

#include "clap/clap_extensions.h"

#ifndef ORVALIS_VERSION_STRING
#error "the build gives the product's version"
#endif

namespace orvalis::clap {

namespace {

const char* const kFeatures[] = {kFeatureInstrument, kFeatureSynthesizer, kFeatureStereo, nullptr};

// Orvalis owns no web site: the address fields stay empty, which hosts show as nothing.
const PluginDescriptor kDescriptor = {kVersion,
                                      kPluginId,
                                      "Orvalis",
                                      "Tavrelin",
                                      "",
                                      "",
                                      "",
                                      ORVALIS_VERSION_STRING,
                                      "Eight-voice polyphonic synthesizer",
                                      kFeatures};

}  // namespace

const PluginDescriptor& descriptor() { return kDescriptor; }

}  // namespace orvalis::clap
