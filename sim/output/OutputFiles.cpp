#include "output/OutputFiles.h"

#include "language/Printable.h"
#include "language/ScenarioError.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace Sim {

namespace {

// Whether two names are one file: the same inode when both exist (a hard
// link, a symbolic link), else the same path once `.`, `..` and links in the
// folders are resolved.
bool
sameFile( const std::string & a, const std::string & b ) {
   struct stat sa {
   }, sb{};
   if( ::stat( a.c_str(), &sa ) == 0 && ::stat( b.c_str(), &sb ) == 0 ) {
      return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
   }
   std::error_code ea, eb;
   const auto ca = std::filesystem::weakly_canonical( a, ea );
   const auto cb = std::filesystem::weakly_canonical( b, eb );
   return ea || eb ? a == b : ca == cb;
}

} // namespace

std::optional< std::string >
OutputFiles::open( const std::vector< Input > & inputs ) {
   for( auto first = paths_.begin(); first != paths_.end(); ++first ) {
      const auto & [ option, path ] = *first;
      struct stat target {};
      if( ::stat( path.c_str(), &target ) == 0 ) {
         for( const Input & input : inputs ) {
            struct stat read {};
            if( ::fstat( input.fd, &read ) == 0 && read.st_dev == target.st_dev && read.st_ino == target.st_ino ) {
               return option + " " + printable( path ) + " is an input of this run (" + printable( input.name ) +
                      "); writing over it would destroy it";
            }
         }
      }
      for( auto other = std::next( first ); other != paths_.end(); ++other ) {
         if( sameFile( path, other->second ) ) {
            return option + " " + printable( path ) + " is also the file of " + other->first +
                   ": each output needs a file of its own";
         }
      }
   }
   // Each is opened without truncating first, so that when one of them
   // cannot be written the others keep what they held.
   for( const auto & [ option, path ] : paths_ ) {
      std::ofstream & file = files_[ option ];
      file.open( path, std::ios::out | std::ios::app );
      if( !file ) {
         files_.clear();
         return option + ": cannot write " + printable( path ) + ": " + systemReason();
      }
   }
   for( auto & [ option, file ] : files_ ) {
      file.close();
      file.open( paths_.at( option ), std::ios::out | std::ios::trunc );
      if( !file ) {
         return option + ": cannot write " + printable( paths_.at( option ) ) + ": " + systemReason();
      }
   }
   return std::nullopt;
}

std::ofstream *
OutputFiles::file( const std::string & option ) {
   auto found = files_.find( option );
   return found == files_.end() ? nullptr : &found->second;
}

} // namespace Sim
