// Libraries that look like VST 2 plug-ins but are not what the renderer needs: compiled once
// with FAKE_WRONG_MAGIC (a record with a bad magic number), once with FAKE_CHUNK_INSTRUMENT (an
// instrument keeping its programs as chunks, which no parameter bank holds) and once as an
// effect, not an instrument.
#include <cstring>

#include "plugin/vst2.h"

namespace {
AEffect record;

intptr_t VSTCALLBACK dispatch(AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }
void VSTCALLBACK process(AEffect*, float**, float**, int32_t) {}
void VSTCALLBACK setParameter(AEffect*, int32_t, float) {}
float VSTCALLBACK getParameter(AEffect*, int32_t) { return 0.f; }
}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
  std::memset(&record, 0, sizeof record);
#if defined(FAKE_WRONG_MAGIC)
  record.magic = 0x12345678;
#elif defined(FAKE_CHUNK_INSTRUMENT)
  record.magic = kEffectMagic;
  record.flags = effFlagsCanReplacing | effFlagsIsSynth | effFlagsProgramChunks;
  record.numPrograms = 1;
#else
  record.magic = kEffectMagic;
  record.flags = effFlagsCanReplacing;  // an effect: no instrument flag
#endif
  record.dispatcher = dispatch;
  record.process = process;
  record.processReplacing = process;
  record.setParameter = setParameter;
  record.getParameter = getParameter;
  record.numInputs = record.numOutputs = 2;
  return &record;
}
