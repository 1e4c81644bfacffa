#include "host/PluginLoader.h"

#include "language/ScenarioError.h"

#include <dlfcn.h>

#include <filesystem>

#ifndef STRATA_PLUGIN_FROM_BINDIR
#error "STRATA_PLUGIN_FROM_BINDIR must name the plug-in relative to the simulator's folder"
#endif

namespace Sim {

std::string
PluginLoader::defaultPath() {
   std::error_code error;
   const std::filesystem::path exe = std::filesystem::read_symlink( "/proc/self/exe", error );
   if( error ) {
      throw ScenarioError( "cannot find the plug-in: the simulator's own location "
                           "(/proc/self/exe) cannot be read: " +
                           error.message() + "; name the plug-in with --plugin PATH" );
   }
   return ( exe.parent_path() / STRATA_PLUGIN_FROM_BINDIR ).lexically_normal();
}

void
PluginLoader::load() {
   if( handle_ ) {
      return;
   }
   const std::string path = requested_.empty() ? defaultPath() : requested_;
   // A bare name would make dlopen search the library path: insist on a file.
   const std::string openPath = path.find( '/' ) == std::string::npos ? "./" + path : path;
   handle_ = ::dlopen( openPath.c_str(), RTLD_NOW | RTLD_GLOBAL );
   if( !handle_ ) {
      const char * reason = ::dlerror();
      throw ScenarioError( "cannot load the plug-in (tried " + path + "): " + ( reason ? reason : "unknown reason" ) +
                           ( requested_.empty() ? "; --plugin PATH names another" : "" ) );
   }
   loadedPath_ = path;
}

} // namespace Sim
