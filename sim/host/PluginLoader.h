// Loads the plug-in library the way the agent does: dlopen with RTLD_NOW |
// RTLD_GLOBAL, after which the library's static initialiser has registered its
// type module. The library is never closed: a later `agent start` in the same
// process reuses it, and its type module stays registered exactly once.
#pragma once

#include <string>

namespace Sim {

class PluginLoader {
 public:
   // `path` empty: the plug-in built with the simulator (see defaultPath()).
   explicit PluginLoader( std::string path = {} ) : requested_( std::move( path ) ) {}

   // Loads the library the first time; does nothing afterwards. Throws
   // ScenarioError naming the path tried and the loader's reason.
   void load();
   bool loaded() const noexcept { return handle_ != nullptr; }
   // The library loaded, or "" before load().
   const std::string & path() const noexcept { return loadedPath_; }

   // The plug-in built with the simulator, found from the running executable's
   // own folder (/proc/self/exe) by the path the build compiled in, which holds
   // in the build tree and under any install prefix:
   //    bin/strata-agent-sim
   //    lib/strata-agent/plugins/libStrataPacketTracerSlice.so.MAJOR
   // Throws ScenarioError when the executable's location cannot be read.
   static std::string defaultPath();

 private:
   std::string requested_;
   std::string loadedPath_;
   void * handle_ = nullptr; // never dlclosed, on purpose
};

} // namespace Sim
