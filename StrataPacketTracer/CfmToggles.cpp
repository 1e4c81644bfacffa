#include "CfmToggles.h"

#include "Flagpole/Toggle.h"

namespace Strata {

namespace {
constexpr const char * cfmToggleFile = "StrataCfm.json";

bool
readToggle( const char * name ) {
   // The library's third argument is its fallback should the file be
   // unreadable: CFM stays available on a switch without the file.
   return ( getToggleState( name, cfmToggleFile, true ) & 1 ) != 0;
}
} // namespace

// Function-local constants: the language makes their one-time
// initialisation thread-safe, which is the guard against concurrent first use.
bool
toggleStrataCfmOnTH3Enabled() {
   static const bool enabled = readToggle( "StrataCfmOnTH3" );
   return enabled;
}

bool
toggleStrataCfmOnTH3MasqueradeEnabled() {
   static const bool enabled = readToggle( "StrataCfmOnTH3Masquerade" );
   return enabled;
}

bool
cfmProgrammingEnabled() {
   return toggleStrataCfmOnTH3Enabled() && toggleStrataCfmOnTH3MasqueradeEnabled();
}

} // namespace Strata
