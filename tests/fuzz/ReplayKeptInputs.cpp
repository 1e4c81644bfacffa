// A fuzz target without libFuzzer: every file in the directories named on the
// command line goes through LLVMFuzzerTestOneInput once. The target stops the
// process on a broken promise, after this has named the input, so a kept
// input that fails again fails the test that runs this.
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
      }
   }
   std::printf( "%d kept inputs held\n", inputs );
   return inputs > 0 ? 0 : 1;
}
