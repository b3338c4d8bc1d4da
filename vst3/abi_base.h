// The published VST 3 binary interface, base part: our own declarations of the calling
// convention, the result codes, the 16-byte ids and the interfaces every object shares
// (FUnknown, IPluginBase), the factory and the byte stream. Only what the adapter and our test
// host use. Ids are given as the four 32-bit words the interface documentation lists; the bytes
// they become differ between Windows (COM order) and everything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32) && !defined(_WIN64)
#define ORVALIS_VST3_CALL __stdcall
#else
#define ORVALIS_VST3_CALL
#endif

namespace orvalis::vst3 {

using tresult = int32_t;
using TBool = uint8_t;
using char16 = char16_t;
using String128 = char16[128];
using FIDString = const char*;
using TUID = char[16];

#if defined(_WIN32)
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
constexpr tresult kResultOk = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif
constexpr tresult kResultTrue = kResultOk;

// A 16-byte id from its four documented words.
struct Uid {
  char bytes[16];
  constexpr Uid(uint32_t a, uint32_t b, uint32_t c, uint32_t d) : bytes {
#if defined(_WIN32)
    // COM order: the first word and the two halves of the second little-endian.
    byte(a, 0), byte(a, 8), byte(a, 16), byte(a, 24), byte(b, 16), byte(b, 24), byte(b, 0),
        byte(b, 8),
#else
    byte(a, 24), byte(a, 16), byte(a, 8), byte(a, 0), byte(b, 24), byte(b, 16), byte(b, 8),
        byte(b, 0),
#endif
        byte(c, 24), byte(c, 16), byte(c, 8), byte(c, 0), byte(d, 24), byte(d, 16), byte(d, 8),
        byte(d, 0)
  }
  {}
  bool operator==(const char* other) const {
    return other && std::memcmp(bytes, other, sizeof bytes) == 0;
  }

 private:
  static constexpr char byte(uint32_t word, int shift) {
    return static_cast<char>(static_cast<uint8_t>(word >> shift));
  }
};

class FUnknown {
 public:
  virtual tresult ORVALIS_VST3_CALL queryInterface(const TUID iid, void** object) = 0;
  virtual uint32_t ORVALIS_VST3_CALL addRef() = 0;
  virtual uint32_t ORVALIS_VST3_CALL release() = 0;
  static constexpr Uid iid{0x00000000, 0x00000000, 0xC0000000, 0x00000046};

 protected:
  ~FUnknown() = default;
};

class IPluginBase : public FUnknown {
 public:
  virtual tresult ORVALIS_VST3_CALL initialize(FUnknown* context) = 0;
  virtual tresult ORVALIS_VST3_CALL terminate() = 0;
  static constexpr Uid iid{0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625};

 protected:
  ~IPluginBase() = default;
};

struct PFactoryInfo {
  enum : int32_t { kUnicode = 1 << 4 };
  char vendor[64];
  char url[256];
  char email[128];
  int32_t flags;
};

struct PClassInfo {
  static constexpr int32_t kManyInstances = 0x7FFFFFFF;
  TUID cid;
  int32_t cardinality;
  char category[32];
  char name[64];
};

struct PClassInfo2 {
  TUID cid;
  int32_t cardinality;
  char category[32];
  char name[64];
  uint32_t classFlags;
  char subCategories[128];
  char vendor[64];
  char version[64];
  char sdkVersion[64];
};

struct PClassInfoW {
  TUID cid;
  int32_t cardinality;
  char category[32];
  char16 name[64];
  uint32_t classFlags;
  char subCategories[128];
  char16 vendor[64];
  char16 version[64];
  char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown {
 public:
  virtual tresult ORVALIS_VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32_t ORVALIS_VST3_CALL countClasses() = 0;
  virtual tresult ORVALIS_VST3_CALL getClassInfo(int32_t index, PClassInfo* info) = 0;
  virtual tresult ORVALIS_VST3_CALL createInstance(FIDString cid, FIDString iid, void** object) = 0;
  static constexpr Uid iid{0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F};

 protected:
  ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
 public:
  virtual tresult ORVALIS_VST3_CALL getClassInfo2(int32_t index, PClassInfo2* info) = 0;
  static constexpr Uid iid{0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB};

 protected:
  ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  virtual tresult ORVALIS_VST3_CALL getClassInfoUnicode(int32_t index, PClassInfoW* info) = 0;
  virtual tresult ORVALIS_VST3_CALL setHostContext(FUnknown* context) = 0;
  static constexpr Uid iid{0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931};

 protected:
  ~IPluginFactory3() = default;
};

class IBStream : public FUnknown {
 public:
  enum : int32_t { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };
  virtual tresult ORVALIS_VST3_CALL read(void* buffer, int32_t bytes, int32_t* bytesRead) = 0;
  virtual tresult ORVALIS_VST3_CALL write(void* buffer, int32_t bytes, int32_t* bytesWritten) = 0;
  virtual tresult ORVALIS_VST3_CALL seek(int64_t position, int32_t mode, int64_t* result) = 0;
  virtual tresult ORVALIS_VST3_CALL tell(int64_t* position) = 0;
  static constexpr Uid iid{0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B};

 protected:
  ~IBStream() = default;
};

static_assert(sizeof(Uid) == 16, "an id is 16 bytes");
static_assert(sizeof(PFactoryInfo) == 452, "PFactoryInfo layout");
static_assert(sizeof(PClassInfo) == 116, "PClassInfo layout");
static_assert(offsetof(PClassInfo2, classFlags) == 116 &&
                  offsetof(PClassInfo2, sdkVersion) == 376 && sizeof(PClassInfo2) == 440,
              "PClassInfo2 layout");
static_assert(offsetof(PClassInfoW, classFlags) == 180 && offsetof(PClassInfoW, vendor) == 312 &&
                  sizeof(PClassInfoW) == 696,
              "PClassInfoW layout");

// Ids compare as bytes: hosts pass them as plain 16-byte arrays.
inline bool sameId(const char* a, const Uid& b) { return b == a; }

}  // namespace orvalis::vst3
