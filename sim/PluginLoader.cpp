#include "PluginLoader.h"

#include "ScenarioError.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>

#ifndef STRATA_DEFAULT_PLUGIN_PATH
#define STRATA_DEFAULT_PLUGIN_PATH "libStrataPacketTracerSlice.so"
#endif

namespace Sim {

namespace {
constexpr const char * libraryName = "libStrataPacketTracerSlice.so";
} // namespace

std::vector< std::string >
PluginLoader::candidates() {
   std::vector< std::string > paths;
   std::error_code error;
   const std::filesystem::path exe = std::filesystem::read_symlink( "/proc/self/exe", error );
   if( !error ) {
      paths.push_back( ( exe.parent_path() / ".." / "lib" / libraryName ).lexically_normal() );
   }
   paths.push_back( STRATA_DEFAULT_PLUGIN_PATH );
   return paths;
}

void
PluginLoader::load() {
   if( handle_ ) {
      return;
   }
   std::vector< std::string > tried;
   if( !requested_.empty() ) {
      tried.push_back( requested_ );
   } else {
      for( const std::string & candidate : candidates() ) {
         tried.push_back( candidate );
         if( ::access( candidate.c_str(), F_OK ) == 0 ) {
            break;
         }
      }
   }
   const std::string & path = tried.back();
   // A bare name would make dlopen search the library path: insist on a file.
   const std::string openPath = path.find( '/' ) == std::string::npos ? "./" + path : path;
   handle_ = ::dlopen( openPath.c_str(), RTLD_NOW | RTLD_GLOBAL );
   if( !handle_ ) {
      std::string list;
      for( const std::string & t : tried ) {
         list += ( list.empty() ? "" : ", " ) + t;
      }
      const char * reason = ::dlerror();
      throw ScenarioError( "cannot load the plug-in (tried " + list + "): " +
                           ( reason ? reason : "unknown reason" ) );
   }
   loadedPath_ = path;
}

} // namespace Sim
