// A fuzz target without libFuzzer: every file in the directories named on the
// command line goes through LLVMFuzzerTestOneInput once. The target stops the
// process on a broken promise, after this has named the input, so a kept
// input that fails again fails the test that runs this. Stricter than the
// fuzz run, every kept input must also get past the target's reader: one it
// refuses as malformed is stale, and fails the test too (see KeptInput.h).
#include "KeptInput.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput( const std::uint8_t * data, std::size_t size );

int
main( int argc, char ** argv ) {
   int inputs = 0;
   int stale = 0;
   for( int i = 1; i < argc; ++i ) {
      for( const auto & entry : std::filesystem::directory_iterator( argv[ i ] ) ) {
         std::fprintf( stderr, "%s\n", entry.path().c_str() ); // unbuffered: shown before a stop
         std::ifstream file( entry.path(), std::ios::binary );
         if( !file ) {
            std::fprintf( stderr, "cannot read %s\n", entry.path().c_str() );
            return 1;
         }
         const std::string text( ( std::istreambuf_iterator< char >( file ) ), std::istreambuf_iterator< char >() );
         LLVMFuzzerTestOneInput( reinterpret_cast< const std::uint8_t * >( text.data() ), text.size() );
         ++inputs;
         const std::string refusal = FuzzCheck::keptInputRefusal( text );
         if( !refusal.empty() ) {
            std::printf( "%s is stale: the reader refuses it: %s\n", entry.path().c_str(), refusal.c_str() );
            ++stale;
         }
      }
   }
   if( stale > 0 ) {
      std::printf( "%d of %d kept inputs are stale: bring each up to date with what the reader takes\n", stale,
                   inputs );
      return 1;
   }
   std::printf( "%d kept inputs held\n", inputs );
   return inputs > 0 ? 0 : 1;
}
