// A VST 2 plug-in library, loaded for as long as this object lives, and its entry points. The
// system counts loads: two objects for one path share one copy of the library.
#pragma once

#include <string>

#include "plugin/vst2.h"

namespace orvalis::host {

using Entry = AEffect* (*)(audioMasterCallback);

class PluginLibrary {
 public:
  explicit PluginLibrary(const std::string& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool loaded() const { return handle != nullptr; }
  // Why the library did not load, or names no entry; empty otherwise.
  const std::string& error() const { return reason; }
  // VSTPluginMain, or else the older name main: what a host calls.
  Entry hostEntry() const { return entry ? entry : mainEntry; }

  Entry entry = nullptr;      // VSTPluginMain
  Entry mainEntry = nullptr;  // main

 private:
  void* handle = nullptr;
  std::string reason;
};

}  // namespace orvalis::host
