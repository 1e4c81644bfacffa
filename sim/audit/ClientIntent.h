// What the plug-in's two clients want of the chip, derived from the state
// database alone. These are the rules of intent: what the packet tracer and
// CFM ask for, not the steps the plug-in takes to get there. The simulator's
// `audit` holds the chip against them, and the model test checks its runs
// with the very same rules.
//
// The packet tracer. Its request entity holds one request (once its version
// has moved): an interface, apply or withdraw, and whether the CPU
// packet-profile bit goes with it. The request is completed when the status
// reports state 4 with the request's id and has caught up with the request's
// version; while the request's version is ahead of the status's it is
// pending, whatever the ids say, which is not a fault. A completed
//  - apply wants the interface's port on the tracer's profile, the tracer's
//    LPORT_TAB entry on the port's unit holding the port's PORT_TAB settings
//    (each flag on where the port's field is not 0, each number whole as far
//    as the entry's field holds it) and, with the CPU bit asked for, bit 2 of
//    the unit's CPU_PKT_PROFILE_2 set;
//  - withdraw wants the port where it would be without the tracer, every
//    setting of the tracer's entry on the port's unit 0 and, with the CPU bit
//    asked for, bit 2 clear.
// What a completed request left in the chip stays there whatever happens to
// the agent since (its unit losing module information, its module going, the
// agent stopping): the entry and the bit are held for any port on a unit of
// the chip that the agent could program when it carried the request out.
// Only the current request is in the state database: a port that an earlier
// request applied and no withdrawal took back is named by no request, so it
// should be where it would be without the tracer. While the request is
// pending, its port may be on the tracer's profile or where it would be
// without it, and the tracer's entry and CPU bit on its unit are not held
// against it. A request the agent cannot carry out (see below) is pending for
// ever, and says why.
//
// CFM, while both its feature toggles are on as the running plug-in read them,
// covers the port of every plain interface with a forwarding configuration,
// every member of a port-channel with one, and every port-channel member that
// has an interface of its own. A covered port wants the CFM profile, unless
// the packet tracer wants it: the tracer's wins. On a chip unit where CFM
// covers a port it can program and a slice serves, the CFM LPORT_TAB entry
// holds exactly the CFM profile; where the only such ports have no slice it
// may hold either; on any other unit it is all zero. A key on a plain interface
// without a chip port covers nothing: it cannot be carried out, and says why.
//
// Every other port wants no profile (0). Where the agent does not run, gives
// the plug-in no shared state, or the shared state lists no chip module (so
// no slice serves the clients), no new work can be carried out: it is all
// pending, but what the chip already holds is still held to account (see
// Audit.h).
//
// What the agent can program: a port on a unit of the chip, with a module id
// a request key can hold (at most 64) and a port number below the 160 ports
// its source-trunk claims hold. It serves a port only while the port's module
// is listed in strataModIdToUnit (each module's slice serves its own ports),
// and it can key a port's SOURCE_TRUNK_MAP entry only once the port's unit has
// module information.
#pragma once

#include "audit/WorldView.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Sim {

// The LPORT profile indices the agent configures for the clients by default.
// They are the intent's own: a profile index moved through a slice's
// attributes is, to the audit, a profile no client asked for.
inline constexpr U32 noProfileIdx = 0;
inline constexpr U32 cfmProfileIdx = 1;
inline constexpr U32 tracerProfileIdx = 5;
// The agent's limits for a port it programs.
inline constexpr U16 moduleIdMax = 64;
inline constexpr U32 claimablePorts = 160;
// CPU_PKT_PROFILE_2's bit for the packet tracer's packets.
inline constexpr U32 tracerCpuBit = 0x4;

enum class Client { none, packetTracer, cfm };
// "packet tracer", "CFM", "none".
const char * clientName( Client client ) noexcept;

// Chip fields by the names the simulated chip gives them.
using FieldValues = std::map< std::string, U32 >;

// Why the agent cannot program the port's SOURCE_TRUNK_MAP entry now (see
// above); empty when it can. `world.scsd` and `world.chip` must not be null.
std::string whyNotServed( const WorldView & world, const StrataTypes::StrataPort & port );

// What one port's SOURCE_TRUNK_MAP entry should hold.
struct PortIntent {
   U32 profile = noProfileIdx;   // once every request is carried out
   Client client = Client::none; // whose profile that is
   // The tracer's pending request names the port: its profile is right too.
   bool tracerPending = false;
   // Why the agent cannot program the entry; empty when it can.
   std::string unservable;
};

class ClientIntent {
 public:
   // The intent in `world` as it is now. `world.chip` must not be null.
   explicit ClientIntent( const WorldView & world );

   // False when no new work can be carried out now; pending() says why.
   bool served() const noexcept { return served_; }
   // Work the clients asked for that is not yet done, one line each.
   const std::vector< std::string > & pending() const noexcept { return pending_; }
   // Every port a client asks something of (by module id, unit and port
   // number); every other port wants no profile.
   const std::map< StrataTypes::StrataPort, PortIntent > & ports() const noexcept { return ports_; }
   // The settings the tracer's LPORT_TAB entry on `unit` should hold, or null
   // where the clients want nothing of it.
   const FieldValues * tracerEntry( U16 unit ) const;
   // Whether the CFM entry on `unit` should hold the CFM profile (else be
   // zero), or nothing while CFM is switched off, nothing serves it, or the
   // only ports it would serve there have no slice.
   std::optional< bool > cfmProfileWanted( U16 unit ) const;
   // Whether the tracer's bit of `unit`'s CPU_PKT_PROFILE_2 should be set, or
   // nothing where no completed request asks.
   std::optional< bool > tracerCpuBit( U16 unit ) const;

   // The CFM profile's fields that are 1; every other field is 0.
   static const FieldValues & cfmProfile();
   // The settings the tracer's profile copies from PORT_TAB, flags first: the
   // audit's own list, kept apart from the plug-in's on purpose (see
   // ClientIntent.cpp).
   static const std::vector< std::string > & tracerSettings();
   // How many of tracerSettings() are flags; the rest are numbers.
   static std::size_t tracerFlagCount();

 private:
   void cfmIs( const WorldView & world );
   void cfmKeyCovers( const WorldView & world, const Lumo::IntfId & intf );
   void cfmCovers( const WorldView & world, const StrataTypes::StrataPort & port );
   void tracerIs( const WorldView & world );

   bool served_ = false;
   std::vector< std::string > pending_;
   std::map< StrataTypes::StrataPort, PortIntent > ports_;
   std::map< U16, FieldValues > tracerEntries_;
   std::map< U16, bool > tracerCpuBits_;
   std::set< U16 > cfmUnits_;             // units with a CFM port the agent can program
   std::set< U16 > cfmUnitsWithoutSlice_; // ... that it could, had the port's module a slice
   bool cfmOn_ = false;
};

} // namespace Sim
