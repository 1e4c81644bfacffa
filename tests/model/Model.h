// The vocabulary of the model-based runs: the small fixed world they play in,
// the actions they take and the observation compared after every action.
//
// The world is kept small on purpose, so that random runs keep meeting the
// same ports from different directions:
// - two chip units: modules 1 and 2 live on unit 0, module 3 on unit 1;
// - Ethernet1 (1/0/3), Ethernet2 (2/0/3) and Ethernet6 (3/1/3) share port
//   number 3 on three modules, so per-port-number bookkeeping collides;
// - Ethernet5 sits on port 200, beyond the 160 ports the claims hold, so
//   both clients refuse it;
// - 1/0/9 and 3/1/9 are ports no interface ever names (bare LAG members);
// - Loopback0 and the port-channels are interfaces without a chip port;
// - Ethernet99 is never added: requests and CFM keys for it name an unknown
//   interface.
#pragma once

#include "Agent/StrataTypes.h"
#include "audit/ClientIntent.h"

#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ModelTest {

using Port = StrataTypes::StrataPort;
// Chip fields by their host-side names; fields that are 0 are left out.
using Sim::FieldValues;
// The profile indices and the claims' size are the world's: the same for
// the clients' intent.
using Sim::cfmProfileIdx;
using Sim::tracerProfileIdx;
inline constexpr U32 claimTableSize = Sim::claimablePorts;

// The chip units and the modules on them.
inline const std::vector< U16 > chipUnits{ 0, 1 };
inline constexpr unsigned moduleCount = 3; // modules 1 to 3
U16 unitOfModule( unsigned modId );        // 1 and 2: unit 0; 3: unit 1
inline U16
modInfoOfUnit( U16 unit ) {
   return U16( 0x100 * ( unit + 1 ) );
}
// Bits around the tracer's bit 2, inside and outside the register's field,
// that the plug-in's read-modify-write must keep.
inline constexpr U32 cpuPktProfilePreset = 0x1A3;

struct InterfaceDef {
   std::string name;
   std::optional< Port > port; // none: the interface has no chip port
};
// The interfaces a run may add (Ethernet99 is not one of them).
const std::vector< InterfaceDef > & interfaces();
std::optional< Port > portOf( const std::string & intf );
// Every chip port of the world: the interfaces' and the bare 1/0/9.
const std::vector< Port > & ports();
// A port's PORT_TAB entry as preset before the agent starts: every field of
// the chip's PORT_TAB, copied by the tracer or not.
FieldValues portTab( const Port & port );
// LPORT_TAB entries preset before the agent starts (index to fields).
std::map< int, FieldValues > lportTabPresets();
// The settings the tracer copies from PORT_TAB, flags first, and how many are
// flags: the clients' intent's own (sim/ClientIntent.h), which the audit
// holds the chip to.
inline const std::vector< std::string > &
tracerFieldNames() {
   return Sim::ClientIntent::tracerSettings();
}
inline std::size_t
tracerFlagCount() {
   return Sim::ClientIntent::tracerFlagCount();
}
// The fields the CFM profile sets to 1; every other field is 0.
FieldValues cfmProfile();
std::string portText( const Port & port );            // "MOD/UNIT/PORT"
std::string fieldsText( const FieldValues & fields ); // "zero" when empty
std::string numberText( double value );

enum class ActionKind {
   moduleAdd,
   moduleRemove,
   intfAdd,
   intfRemove,
   lagSet,
   lagRemove,
   cfmAdd,
   cfmRemove,
   tracer,      // a packet-tracer request: apply (enable) or withdraw
   timeout,     // every live slice's timeout
   advance,     // virtual time moves on
   restart,     // agent stop, then agent start
   unitModInfo, // a chip unit's module information arrives, or goes
   toggle,      // a CFM toggle set after the plug-in read it: no effect
};

// One step of a run, read from its line in the simulator's language (a
// timeout reads "timeout S" for every slice, a restart "agent restart").
// Every action is valid in every state (removing what is absent, naming an
// unknown interface...), so that a shrinker can drop any step of a sequence
// and replay the rest.
struct Action {
   ActionKind kind = ActionKind::advance;
   unsigned module = 0;         // moduleAdd, moduleRemove; unitModInfo: the unit
   std::string intf;            // interface, port-channel or key interface
   bool unused = false;         // intfAdd: into unusedIntf instead of intf
   std::vector< Port > members; // lagSet, in the order the host writes them
   U16 vlan = 0;
   bool enable = false;   // tracer: apply (true) or withdraw; unitModInfo: present
   bool cpu = false;      // tracer: the CPU packet profile too
   U32 requestNumber = 0; // tracer: the request id is "r:N"
   double seconds = 0;    // timeout value (written through the generic interface), or clock step
};
Action parseAction( const std::string & line );
using Sequence = std::vector< std::string >;
Sequence parseSequence( const std::string & text ); // lines separated by ';'

// What a run compares after every step, item by item: "SOURCE_TRUNK_MAP
// MOD/PORT" (the profile the agent last wrote), "LPORT_TAB UNIT INDEX" and
// "CPU_PKT_PROFILE_2 UNIT" (entries that are not zero), "status",
// "completions" (the times of the completions published during the step) and
// "slice MOD" (claims, timeout and clock of each slice).
using Observation = std::map< std::string, std::string >;
std::string stmKey( U16 modId, U16 port );
std::string lportKey( U16 unit, int index );
std::string statusText( unsigned state, const std::string & requestId, U32 version );
std::string timesText( const std::vector< double > & times );
std::string sliceText( double timeout, bool handleClockCalled, const std::string & wakeUp,
                       const std::set< U32 > & tracerClaims, const std::set< U32 > & cfmClaims );
// Each item in which `actual` differs from `expected`, in words.
std::vector< std::string > differences( const Observation & expected, const Observation & actual );

// Runs of sequences against the real plug-in and the reference model side by
// side (AgentHarness.cpp). After every step a run checks that the plug-in's
// observation equals the model's and, after an agent stop (a restart, and
// the run's end), that nothing is left behind; when asked, it also holds the
// plug-in's work against the clients' intent with the simulator's audit
// (sim/audit/Audit.h): a difference it finds is an "intent" failure, unless
// `excused` says the rules are known to lead there.
struct Failure {
   std::string kind; // "mismatch", "leftover", "exception" or "intent"
   std::size_t step; // index of the failing action; the length for the run's end
   std::vector< std::string > details;
};

using Excuse = std::function< bool( const std::string & difference ) >;
std::optional< Failure > runSequence( const Sequence & sequence, bool checkIntent = false,
                                      const Excuse & excused = {} );
// The functions whose trace lines carry each line number, over a run of
// `sequence` with every level of the plug-in's two handles on.
std::map< int, std::set< std::string > > traceSites( const Sequence & sequence );

// The reference model: an independent account of what the plug-in should do,
// written from the design's rules and nothing else. It replays each host
// action on its own picture of the world, delivers the resulting changes to
// its slices in the order the agent's publishers would (slices in the order
// they subscribed, that is, were made), and predicts the observation.
//
// It keeps the rules only. What the clients mean is the audit's business:
// where the rules themselves lead away from it, the model still follows the
// rules, and the audit reports the break, not a mismatch with the plug-in.
inline constexpr double never = std::numeric_limits< double >::infinity();

struct CfmKey {
   std::string intf;
   U16 vlan = 0;
   auto operator<=>( const CfmKey & ) const = default; // interface, then VLAN
};

// Everything outside the plug-in, as the model sees it.
struct World {
   // The shared Strata state.
   std::map< unsigned, U16 > modules; // strataModIdToUnit
   std::set< std::string > intf, unusedIntf;
   std::map< std::string, Port > intfToPort;
   std::map< Port, std::string > portToIntf;
   std::map< std::string, std::set< Port > > lagToPort;
   std::map< Port, std::string > portToLag;
   // The clients.
   // In the configuration's own order: the order the keys were added (a key
   // added again after its removal goes last).
   std::vector< CfmKey > cfmKeys;
   bool cfmKeyPresent( const CfmKey & key ) const;
   struct {
      U32 number = 0; // the request id "r:N"
      std::string intf;
      bool enable = false, cpu = false;
      U32 version = 0;
   } request;
   unsigned statusState = 0;
   std::string statusRequestId = ":0";
   U32 statusVersion = 0;
   // The chip units and the agent's table.
   std::set< U16 > unitsWithModInfo{ chipUnits.begin(), chipUnits.end() }; // in strataModId
   std::map< U16, std::map< int, FieldValues > > lportTab;                 // by unit, then index
   std::map< U16, U32 > cpuPktProfile2;                                    // by unit
   World();
   std::map< std::pair< U16, U16 >, U32 > sourceTrunkMap;
   // Time, and the completions of the current step.
   double now = 0;
   U64 armSequence = 0; // orders wake-ups set for the same time
   std::vector< double > completions;

   bool intfKnown( const std::string & name ) const { return intf.count( name ) || unusedIntf.count( name ); }
};

// One slice: its claims by port number, its timeout and completion clock.
// A slice serves the ports of its own module and leaves every other port.
struct SliceModel {
   unsigned modId;
   double timeout = 2.0;
   bool handleClockCalled = false;
   U32 completingRequest = 0; // the number of the request it carried out last
   double wakeUp = never;
   U64 armSequence = 0;
   std::set< U32 > tracerClaims{}, cfmClaims{};
};

class ReferenceModel {
 public:
   ReferenceModel() { agentStart(); }

   void apply( const Action & action );
   // What the plug-in's work should have left after the last action.
   Observation expected() const;
   const World & world() const noexcept { return world_; }

 private:
   void agentStart();
   void sliceAdd( unsigned modId );
   // The slice handlers.
   void initialize( SliceModel & slice );
   void handleRequest( SliceModel & slice );
   // The tracer's ports of the slice that the current request does not name
   // go back to CFM's profile or to none, where the unit can be keyed.
   void takeBack( SliceModel & slice );
   void handleCfmKey( SliceModel & slice, const CfmKey & key );
   // Whether CFM covers the port: a key on its own interface or on its
   // port-channel, or membership with an interface of its own.
   bool cfmCovers( const Port & port ) const;
   void programCfmPort( SliceModel & slice, bool setup, const Port & port );
   // Sets the port up, or takes it down, where the slice's claim disagrees
   // with cfmCovers.
   void cfmPortFollows( SliceModel & slice, const Port & port );
   void handleClock( SliceModel & slice );
   // A port joined or left a port-channel, got or lost its interface: its
   // module's slice follows it (and, for an interface, lets the tracer's
   // ports go that the request no longer names).
   void portChanged( const Port & port, bool intfChanged );
   // The agent's SOURCE_TRUNK_MAP request for the port.
   void post( const Port & port, U32 profile );
   void modInfoArrived( U16 unit );
   void intfAdd( const std::string & intf, bool unused );
   void intfRemove( const std::string & intf );
   void lagMembersIs( const std::string & lag, const std::vector< Port > & members );
   void advance( double seconds );

   World world_;
   std::vector< SliceModel > slices_; // in subscription order
   // The CFM profile's users on each unit, across slices; the agent's, so
   // gone with a restart.
   std::map< U16, std::set< Port > > cfmUsers_;
   // The ports steered at the tracer's profile, across slices; the agent's too.
   std::set< Port > tracerPorts_;
};

} // namespace ModelTest
