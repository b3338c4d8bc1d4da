#include "vst3/plugin_factory.h"

#include "vst3/class_identity.h"
#include "vst3/instrument_component.h"
#include "vst3/text16.h"

namespace orvalis::vst3 {

namespace {

void copyField16(char16* field, std::size_t units, const char* text) {
  std::size_t i = 0;
  for (; text && text[i] && i + 1 < units; ++i)
    field[i] = static_cast<char16>(static_cast<unsigned char>(text[i]));
  for (; i < units; ++i) field[i] = 0;
}

class Factory final : public IPluginFactory3 {
 public:
  tresult ORVALIS_VST3_CALL queryInterface(const TUID iid, void** object) override {
    if (!object) return kInvalidArgument;
    if (sameId(iid, FUnknown::iid) || sameId(iid, IPluginFactory::iid) ||
        sameId(iid, IPluginFactory2::iid) || sameId(iid, IPluginFactory3::iid)) {
      *object = this;
      return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
  }
  uint32_t ORVALIS_VST3_CALL addRef() override { return 1; }
  uint32_t ORVALIS_VST3_CALL release() override { return 1; }

  tresult ORVALIS_VST3_CALL getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    copyField(info->vendor, sizeof info->vendor, kVendorName);
    copyField(info->url, sizeof info->url, "");
    copyField(info->email, sizeof info->email, "");
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
  }
  int32_t ORVALIS_VST3_CALL countClasses() override { return 1; }

  tresult ORVALIS_VST3_CALL getClassInfo(int32_t index, PClassInfo* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    std::memcpy(info->cid, kInstrumentClassId.bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    copyField(info->category, sizeof info->category, kCategory);
    copyField(info->name, sizeof info->name, kPluginName);
    return kResultOk;
  }

  tresult ORVALIS_VST3_CALL getClassInfo2(int32_t index, PClassInfo2* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    std::memcpy(info->cid, kInstrumentClassId.bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    copyField(info->category, sizeof info->category, kCategory);
    copyField(info->name, sizeof info->name, kPluginName);
    info->classFlags = 0;
    copyField(info->subCategories, sizeof info->subCategories, kSubCategories);
    copyField(info->vendor, sizeof info->vendor, kVendorName);
    copyField(info->version, sizeof info->version, kPluginVersion);
    copyField(info->sdkVersion, sizeof info->sdkVersion, kInterfaceVersion);
    return kResultOk;
  }

  tresult ORVALIS_VST3_CALL getClassInfoUnicode(int32_t index, PClassInfoW* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    std::memcpy(info->cid, kInstrumentClassId.bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    copyField(info->category, sizeof info->category, kCategory);
    copyField16(info->name, 64, kPluginName);
    info->classFlags = 0;
    copyField(info->subCategories, sizeof info->subCategories, kSubCategories);
    copyField16(info->vendor, 64, kVendorName);
    copyField16(info->version, 64, kPluginVersion);
    copyField16(info->sdkVersion, 64, kInterfaceVersion);
    return kResultOk;
  }

  // The host's context is not needed: instances get theirs in initialize().
  tresult ORVALIS_VST3_CALL setHostContext(FUnknown*) override { return kResultOk; }

  tresult ORVALIS_VST3_CALL createInstance(FIDString cid, FIDString iid, void** object) override {
    if (!object) return kInvalidArgument;
    *object = nullptr;
    if (!cid || !iid || !sameId(cid, kInstrumentClassId)) return kNoInterface;
    InstrumentComponent* instance = InstrumentComponent::create();
    if (!instance) return kOutOfMemory;
    const tresult r = instance->queryInterface(iid, object);
    instance->release();  // the query holds the host's reference
    return r;
  }
};

const Factory theFactory;

}  // namespace

IPluginFactory* pluginFactory() { return const_cast<Factory*>(&theFactory); }

}  // namespace orvalis::vst3
