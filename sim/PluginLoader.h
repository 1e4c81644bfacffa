// Loads the plug-in library the way the agent does: dlopen with RTLD_NOW |
// RTLD_GLOBAL, after which the library's static initialiser has registered its
// type module. The library is never closed: a later `agent start` in the same
// process reuses it, and its type module stays registered exactly once.
#pragma once

#include <string>
#include <vector>

namespace Sim {

class PluginLoader {
 public:
   // `path` empty: the plug-in built with the simulator (see candidates()).
   explicit PluginLoader( std::string path = {} ) : requested_( std::move( path ) ) {}

   // Loads the library the first time; does nothing afterwards. Throws
   // ScenarioError naming every path tried and the loader's reason.
   void load();
   bool loaded() const noexcept { return handle_ != nullptr; }
   // The library loaded, or "" before load().
   const std::string & path() const noexcept { return loadedPath_; }

   // Where the default plug-in is looked for, in order: beside the executable
   // (<dir of the executable>/../lib, the build tree and install layout), then
   // the path the build compiled in.
   static std::vector< std::string > candidates();

 private:
   std::string requested_;
   std::string loadedPath_;
   void * handle_ = nullptr; // never dlclosed, on purpose
};

} // namespace Sim
