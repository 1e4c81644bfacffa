// The small, fixed world the model-based runs play in: one chip unit, a few
// modules, interfaces and ports, and the PORT_TAB contents the packet tracer
// copies from. It is kept small on purpose so that random runs keep meeting
// the same ports from different directions:
// - Ethernet1 (1/0/3) and Ethernet2 (2/0/3) share port number 3 on two
//   modules, so per-port-number bookkeeping collides;
// - Ethernet5 sits on port 200, beyond the 160 indices of the plug-in's
//   allocation bitmaps;
// - 1/0/9 is a port no interface ever names (a bare LAG member);
// - Loopback0 and the port-channels are interfaces without a chip port;
// - Ethernet99 is never added: requests and CFM keys for it name an unknown
//   interface.
#pragma once

#include "Agent/StrataTypes.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ModelTest {

using Port = StrataTypes::StrataPort;
// A field of a chip entry by its host-side name, and its value.
using FieldValues = std::map< std::string, U32 >;

inline constexpr U16 chipUnit = 0;
inline constexpr U16 chipUnitModInfo = 0x100;
// CPU_PKT_PROFILE_2 of the chip unit before the agent starts: bits around
// the tracer's bit 2, inside and outside the register's field, that the
// plug-in's read-modify-write must keep.
inline constexpr U32 cpuPktProfilePreset = 0x1A3;

// The profile indices and bitmap size a slice starts with.
inline constexpr U32 reservedProfileIdx = 0;
inline constexpr U32 cfmProfileIdx = 1;
inline constexpr U32 tracerProfileIdx = 5;
inline constexpr U32 claimTableSize = 160;
inline constexpr double defaultTimeout = 2.0;

struct InterfaceDef {
   std::string name;
   std::optional< Port > port; // none: the interface has no chip port
};

class Universe {
 public:
   Universe();

   const std::vector< InterfaceDef > & interfaces() const noexcept { return interfaces_; }
   // Interfaces that a run may add; Ethernet99 is not one of them.
   std::vector< std::string > addableInterfaces() const;
   // Every interface name a request or a CFM key may name.
   std::vector< std::string > nameableInterfaces() const;
   std::vector< std::string > portChannels() const { return { "Port-Channel1", "Port-Channel2" }; }
   const std::vector< Port > & ports() const noexcept { return ports_; }
   std::vector< unsigned > modules() const { return { 1, 2, 3 }; }
   std::vector< U16 > vlans() const { return { 10, 20 }; }
   std::vector< double > timeouts() const { return { 0.0, 0.25, 0.5, 1.0, 2.0, 3.5 }; }
   std::vector< double > clockSteps() const { return { 0.0, 0.25, 0.5, 1.0, 2.0, 4.0 }; }

   // The chip port an interface is added with, if any.
   std::optional< Port > portOf( const std::string & intf ) const;
   // The PORT_TAB entry of a port number on the chip unit, as preset before
   // the agent starts; fields not listed are 0.
   FieldValues portTab( U16 portNumber ) const;
   // LPORT_TAB entries preset before the agent starts (index to fields).
   std::map< int, FieldValues > lportTabPresets() const;

 private:
   std::vector< InterfaceDef > interfaces_;
   std::vector< Port > ports_;
};

// The LportTableFields members that the packet tracer copies from PORT_TAB
// into LPORT_TAB, by their chip field names; the first fifteen are flags.
const std::vector< std::string > & tracerFieldNames();
inline constexpr std::size_t tracerFlagCount = 15;
// The fields the CFM profile entry sets to 1; every other field is 0.
const std::vector< std::string > & cfmProfileFieldNames();

std::string portText( const Port & port ); // "MOD/UNIT/PORT"

} // namespace ModelTest
