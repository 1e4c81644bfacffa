#include "audit/ClientIntent.h"

#include "Agent/CfmHwConfig.h"

#include <sstream>
#include <unordered_set>

namespace Sim {

namespace {

// The tracer's settings as the audit knows them: the flags, then the numbers.
// This list is the audit's own on purpose, written apart from the plug-in's
// member table (LportTableFields::members()) and never taken from it: the
// audit is an independent check of what the plug-in copies, and a list shared
// with the plug-in would agree with whatever the plug-in gets wrong. The
// model test (tests/model/) presets every PORT_TAB field, so that the two
// lists going apart is a mismatch there.
const std::vector< std::string > &
tracerFlags() {
   static const std::vector< std::string > names{ "vfpEnable",        "v4L3Enable",   "v6L3Enable",
                                                  "v6IpmcEnable",     "v4IpmcEnable", "usePortTableGroupId",
                                                  "trustIncomingVid", "trustDscpV4",  "trustDscpV6",
                                                  "parity",           "mplsEnable",   "ipmcDoVlan",
                                                  "filterEnable",     "enIfilter",    "disableStaticMoveDrop" };
   return names;
}

const std::vector< std::string > &
tracerNumbers() {
   static const std::vector< std::string > names{ "portVid", "outerTpidEnable" };
   return names;
}

// A port is one entry of SOURCE_TRUNK_MAP whatever its one-byte field holds.
StrataTypes::StrataPort
portKey( StrataTypes::StrataPort port ) {
   port.flags = 0;
   return port;
}

// Why the agent cannot program the port for either client, or nothing.
std::optional< std::string >
whyNotProgrammable( const Shim::SimChip & chip, const StrataTypes::StrataPort & port ) {
   if( !chip.soc_unit_valid( port.unit ) ) {
      return "unit " + std::to_string( port.unit ) + " is not a unit of the chip";
   }
   if( port.modId > moduleIdMax ) {
      return "module id " + std::to_string( port.modId ) + " is above " + std::to_string( moduleIdMax ) +
             ", which no request key holds";
   }
   if( port.port >= claimablePorts ) {
      return "port number " + std::to_string( port.port ) + " is beyond the " + std::to_string( claimablePorts ) +
             " ports the source-trunk claims hold";
   }
   return std::nullopt;
}

// Why no slice serves the port now: each slice serves its own module's ports.
std::optional< std::string >
whyNoSlice( const Strata::StrataCommonSmData & scsd, const StrataTypes::StrataPort & port ) {
   if( port.modId <= moduleIdMax && scsd.strataModIdToUnit.contains( StrataCentral::ModId( port.modId ) ) ) {
      return std::nullopt;
   }
   return "module " + std::to_string( port.modId ) + " has no slice: strataModIdToUnit does not list it";
}

// The port's PORT_TAB settings as the tracer's profile carries them: a flag
// is on where the port's field is not 0, a value is copied as far as the
// profile's field holds it.
FieldValues
settingsOf( const Shim::SimChip & chip, const StrataTypes::StrataPort & port ) {
   FieldValues settings;
   const std::vector< std::string > & names = ClientIntent::tracerSettings();
   for( std::size_t i = 0; i < names.size(); ++i ) {
      const U32 value = chip.entryField( port.unit, chip.PORT_TABm(), port.port, names[ i ] );
      const unsigned width = chip.fieldWidth( chip.LPORT_TABm(), names[ i ] );
      const U32 mask = width >= 32 ? ~0u : ( 1u << width ) - 1u;
      settings[ names[ i ] ] = i < ClientIntent::tracerFlagCount() ? U32( value != 0 ) : value & mask;
   }
   return settings;
}

FieldValues
noSettings() {
   FieldValues settings;
   for( const std::string & name : ClientIntent::tracerSettings() ) {
      settings[ name ] = 0;
   }
   return settings;
}

} // namespace

std::string
whyNotServed( const WorldView & world, const StrataTypes::StrataPort & port ) {
   if( const std::optional< std::string > why = whyNotProgrammable( *world.chip, port ) ) {
      return *why;
   }
   if( const std::optional< std::string > why = whyNoSlice( *world.scsd, port ) ) {
      return *why;
   }
   if( !world.scsd->strataModId.contains( port.unit ) ) {
      return "unit " + std::to_string( port.unit ) + " has no module information in strataModId";
   }
   return {};
}

const char *
clientName( Client client ) noexcept {
   switch( client ) {
   case Client::packetTracer: return "packet tracer";
   case Client::cfm: return "CFM";
   case Client::none: break;
   }
   return "none";
}

const FieldValues &
ClientIntent::cfmProfile() {
   static const FieldValues profile{ { "vfpEnable", 1 },        { "cfmOnly", 1 },   { "usePortTableGroupId", 1 },
                                     { "trustIncomingVid", 1 }, { "parity", 1 },    { "outerTpidEnable", 1 },
                                     { "filterEnable", 1 },     { "enIfilter", 1 }, { "disableStaticMoveDrop", 1 } };
   return profile;
}

const std::vector< std::string > &
ClientIntent::tracerSettings() {
   static const std::vector< std::string > names = [] {
      std::vector< std::string > all = tracerFlags();
      all.insert( all.end(), tracerNumbers().begin(), tracerNumbers().end() );
      return all;
   }();
   return names;
}

std::size_t
ClientIntent::tracerFlagCount() {
   return tracerFlags().size();
}

ClientIntent::ClientIntent( const WorldView & world ) {
   if( !world.agentRunning ) {
      pending_.push_back( "the agent is not running: nothing the clients ask is carried out" );
   } else if( !world.scsd ) {
      pending_.push_back( "the agent gives the plug-in no shared Strata state: no port can be programmed" );
   } else if( world.scsd->strataModIdToUnit.empty() ) {
      pending_.push_back( "no chip module is listed in strataModIdToUnit: nothing serves the clients" );
   } else {
      served_ = true;
   }
   // Without the shared state no request names a port; otherwise what the
   // clients want is worked out served or not, for what the chip already holds.
   if( !world.scsd ) {
      return;
   }
   cfmIs( world );
   // After CFM's: where both want a port, the tracer's wins.
   tracerIs( world );
}

const FieldValues *
ClientIntent::tracerEntry( U16 unit ) const {
   const auto found = tracerEntries_.find( unit );
   return found == tracerEntries_.end() ? nullptr : &found->second;
}

std::optional< bool >
ClientIntent::cfmProfileWanted( U16 unit ) const {
   if( !served_ || !cfmOn_ ) {
      return std::nullopt;
   }
   if( cfmUnits_.count( unit ) ) {
      return true;
   }
   // A covered port whose module has no slice: whether its module's last
   // slice set it up, and so whether the entry is in use, is not for the
   // clients' configuration to say.
   if( cfmUnitsWithoutSlice_.count( unit ) ) {
      return std::nullopt;
   }
   return false;
}

std::optional< bool >
ClientIntent::tracerCpuBit( U16 unit ) const {
   const auto found = tracerCpuBits_.find( unit );
   return found == tracerCpuBits_.end() ? std::nullopt : std::optional< bool >( found->second );
}

void
ClientIntent::cfmIs( const WorldView & world ) {
   cfmOn_ = world.cfmSwitchedOn;
   if( !cfmOn_ ) {
      return;
   }
   const Strata::StrataCommonSmData & scsd = *world.scsd;
   if( world.cfmConfig ) {
      // Keys come one per VLAN of an interface: each interface once.
      std::unordered_set< std::string > seen;
      for( const auto & entry : world.cfmConfig->forwardingConfig ) {
         const Lumo::IntfId & intf = entry.first.intfId();
         if( !seen.insert( intf.name() ).second ) {
            continue;
         }
         cfmKeyCovers( world, intf );
      }
   }
   for( const auto & membership : scsd.strataPortToLag ) {
      const Lumo::IntfId * own = scsd.strataPortToIntf.find( membership.first );
      if( own && !own->empty() ) {
         cfmCovers( world, membership.first );
      }
   }
}

void
ClientIntent::cfmKeyCovers( const WorldView & world, const Lumo::IntfId & intf ) {
   const Strata::StrataCommonSmData & scsd = *world.scsd;
   if( Lumo::PortChannelIntfId::isPortChannelIntfId( intf ) ) {
      // A port-channel without members has nothing to cover yet.
      if( const StrataTypes::StrataPortList * members = scsd.strataLagToPort.find( intf ) ) {
         for( const StrataTypes::StrataPort & member : *members ) {
            cfmCovers( world, member );
         }
      }
   } else if( const StrataTypes::StrataPort * port = scsd.strataIntfToPortCache.find( intf ) ) {
      cfmCovers( world, *port );
   } else {
      pending_.push_back( "CFM key on " + intf.name() + ": it cannot be carried out: " + intf.name() +
                          " has no chip port in strataIntfToPortCache" );
   }
}

void
ClientIntent::cfmCovers( const WorldView & world, const StrataTypes::StrataPort & port ) {
   PortIntent & intent = ports_[ portKey( port ) ];
   intent.profile = cfmProfileIdx;
   intent.client = Client::cfm;
   intent.unservable = whyNotServed( world, port );
   if( !whyNotProgrammable( *world.chip, port ) ) {
      ( whyNoSlice( *world.scsd, port ) ? cfmUnitsWithoutSlice_ : cfmUnits_ ).insert( port.unit );
   }
}

void
ClientIntent::tracerIs( const WorldView & world ) {
   const StrataPacketTracer::LPortTableWriteRequestConfig * request = world.request;
   // A request is posted by moving its version; an entity never posted to
   // asks for nothing.
   if( !request || request->version() == 0 || request->intfId().empty() ) {
      return;
   }
   const Strata::StrataCommonSmData & scsd = *world.scsd;
   const Lumo::IntfId & intf = request->intfId();
   const StrataTypes::StrataPort * found = scsd.strataIntfToPortCache.find( intf );
   std::string cannot;
   if( !scsd.intf.contains( intf ) && !scsd.unusedIntf.contains( intf ) ) {
      cannot = intf.name() + " is in neither intf nor unusedIntf of the shared state";
   } else if( !found ) {
      cannot = intf.name() + " has no chip port in strataIntfToPortCache";
   } else {
      cannot = whyNotServed( world, *found );
   }

   // Each completion moves the status's version on by one: a request whose
   // version the status has not reached is not answered yet, even where an
   // earlier request with the same id was.
   const StrataPacketTracer::LPortTableWriteRequestStatus * status = world.status;
   const bool completed = status && status->state() == PacketTracer::State::stateHandled &&
                          status->requestId() == request->requestId() && status->version() >= request->version();
   if( !completed ) {
      std::ostringstream line;
      line << "packet tracer request " << request->requestId() << " (" << ( request->enable() ? "apply " : "withdraw " )
           << intf << ( request->cpuPktProfileEnable() ? " cpu" : "" ) << "): not yet completed";
      if( !cannot.empty() ) {
         line << "; it cannot be carried out: " << cannot;
      }
      pending_.push_back( line.str() );
      if( found ) {
         // The port may also be where it would be without the tracer, which
         // the agent may be unable to bring about either.
         PortIntent & intent = ports_[ portKey( *found ) ];
         intent.tracerPending = true;
         if( intent.unservable.empty() ) {
            intent.unservable = whyNotServed( world, *found );
         }
      }
      return;
   }
   if( !found ) {
      return;
   }
   const StrataTypes::StrataPort port = portKey( *found );
   if( request->enable() ) {
      PortIntent & intent = ports_[ port ];
      intent.profile = tracerProfileIdx;
      intent.client = Client::packetTracer;
      intent.unservable = cannot;
   }
   // What the agent could not program when it carried the request out it
   // cannot have left in the chip either; what it could, it did, and the chip
   // keeps it when the port's unit loses its module information or nothing
   // serves the clients any more.
   if( whyNotProgrammable( *world.chip, port ) ) {
      return;
   }
   tracerEntries_[ port.unit ] = request->enable() ? settingsOf( *world.chip, port ) : noSettings();
   if( request->cpuPktProfileEnable() ) {
      tracerCpuBits_[ port.unit ] = request->enable();
   }
}

} // namespace Sim
