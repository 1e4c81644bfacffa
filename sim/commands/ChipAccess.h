// What the chip's commands and views share: the language's names for the
// chip's tables and SDK operations, the readers of a unit and an index, and
// the translation of the host-side chip's range errors into the scenario's
// mistakes.
#pragma once

#include "Shim/SimChip.h"
#include "language/Command.h"
#include "language/ScenarioError.h"

#include <stdexcept>
#include <string>

namespace Sim {

struct SdkOpName {
   const char * name;
   Shim::SimChip::Op op;
};
inline constexpr SdkOpName sdkOps[] = {
   { "soc_mem_read", Shim::SimChip::Op::memRead },
   { "soc_mem_write", Shim::SimChip::Op::memWrite },
   { "soc_reg32_get", Shim::SimChip::Op::reg32Get },
   { "soc_reg32_set", Shim::SimChip::Op::reg32Set },
};

// A table of the chip as the language names it: "lport-tab" or "port-tab".
struct Memory {
   Shim::soc_mem_t mem;
   std::string word;    // "lport-tab"
   std::string sdkName; // "LPORT_TAB", as chip diagnostic shells name it
   bool byPort() const { return word == "port-tab"; }
};
// `word` must be "lport-tab" or "port-tab".
Memory memoryOf( const std::string & word );

// A chip unit (the chip itself checks that it is one of its units).
int unitFrom( Args & args );
// An entry index ("port" for PORT_TAB, "index" for LPORT_TAB).
int indexFrom( Args & args, const Memory & memory );

// Runs a host-side chip access: the chip throws std::out_of_range or
// std::invalid_argument for a unit, index or field it does not have, which is
// the scenario's mistake, reported as "WHAT: reason".
template < typename F >
auto
onChip( const std::string & what, F && access ) {
   try {
      return access();
   } catch( const std::out_of_range & e ) {
      throw ScenarioError( what + ": " + e.what() );
   } catch( const std::invalid_argument & e ) {
      throw ScenarioError( what + ": " + e.what() );
   }
}

} // namespace Sim
