#include "Flagpole/Toggle.h"

#include <mutex>

namespace Flagpole {

namespace {
struct Toggles {
   std::mutex mutex;
   std::map< std::string, bool > states;
   std::map< std::string, std::size_t > reads;
   std::map< std::string, Question > questions;
};
Toggles &
toggles() {
   static auto * instance = new Toggles;
   return *instance;
}
} // namespace

int
getToggleState( const std::string & name, const std::string & file, bool fallback ) {
   Toggles & t = toggles();
   std::lock_guard lock( t.mutex );
   ++t.reads[ name ];
   auto found = t.states.find( name );
   const bool on = found != t.states.end() && found->second;
   t.questions[ name ] = Question{ file, fallback, on };
   return on ? 1 : 0;
}

void
toggleStateIs( const std::string & name, bool on ) {
   Toggles & t = toggles();
   std::lock_guard lock( t.mutex );
   t.states[ name ] = on;
}

std::size_t
toggleReads( const std::string & name ) {
   Toggles & t = toggles();
   std::lock_guard lock( t.mutex );
   auto found = t.reads.find( name );
   return found == t.reads.end() ? 0 : found->second;
}

std::optional< Question >
lastQuestion( const std::string & name ) {
   Toggles & t = toggles();
   std::lock_guard lock( t.mutex );
   auto found = t.questions.find( name );
   return found == t.questions.end() ? std::nullopt : std::optional< Question >( found->second );
}

std::map< std::string, bool >
toggleStates() {
   Toggles & t = toggles();
   std::lock_guard lock( t.mutex );
   return t.states;
}

void
togglesClear() {
   Toggles & t = toggles();
   std::lock_guard lock( t.mutex );
   t.states.clear();
   t.reads.clear();
   t.questions.clear();
}

} // namespace Flagpole
