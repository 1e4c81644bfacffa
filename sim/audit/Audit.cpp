#include "audit/Audit.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

namespace Sim {

namespace {

std::string
portText( const StrataTypes::StrataPort & port ) {
   std::ostringstream text;
   text << port;
   return text.str();
}

// As chip diagnostic shells print a field: decimal below 10, else hexadecimal.
std::string
fieldValueText( U32 value ) {
   if( value < 10 ) {
      return std::to_string( value );
   }
   char text[ 16 ];
   std::snprintf( text, sizeof text, "0x%x", value );
   return text;
}

using FieldNames = std::vector< std::string >;

// An LPORT_TAB entry, every field of `fields`.
FieldValues
entryOf( const Shim::SimChip & chip, const FieldNames & fields, U16 unit, U32 index ) {
   FieldValues entry;
   for( const std::string & field : fields ) {
      entry[ field ] = chip.entryField( unit, chip.LPORT_TABm(), int( index ), field );
   }
   return entry;
}

// Where the entry differs from `wanted` (the fields it names), what it holds
// and what it should hold there, as "field=value,..." in the order of `fields`.
std::optional< std::pair< std::string, std::string > >
fieldDifferences( const FieldNames & fields, const FieldValues & entry, const FieldValues & wanted ) {
   std::string held;
   std::string want;
   for( const std::string & field : fields ) {
      const auto wantedField = wanted.find( field );
      if( wantedField == wanted.end() || entry.at( field ) == wantedField->second ) {
         continue;
      }
      held += ( held.empty() ? "" : "," ) + field + "=" + fieldValueText( entry.at( field ) );
      want += ( want.empty() ? "" : "," ) + field + "=" + fieldValueText( wantedField->second );
   }
   if( held.empty() ) {
      return std::nullopt;
   }
   return std::pair( held, want );
}

// A whole CFM entry by name when it is one of the two it should be.
std::optional< std::string >
cfmEntryName( const FieldValues & entry, const FieldValues & cfmProfile, const FieldValues & zero ) {
   if( entry == zero ) {
      return "zero";
   }
   if( entry == cfmProfile ) {
      return "the CFM profile";
   }
   return std::nullopt;
}

// Whose wish an entry that holds `held` instead of `wanted` breaks, and what
// the audit can say about it.
std::pair< Client, std::string >
sourceTrunkMapBlame( const PortIntent & wanted, U32 held ) {
   // (An entry the agent cannot program is pending, never a difference.)
   std::string note;
   if( held == tracerProfileIdx ) {
      note = wanted.profile == noProfileIdx ? "no current request applies it"
                                            : "the packet tracer's current request does not apply it";
   } else if( wanted.profile == noProfileIdx && held == cfmProfileIdx ) {
      note = "the port is not covered";
   } else if( wanted.profile == noProfileIdx ) {
      note = "no client uses profile " + std::to_string( held );
   }
   if( wanted.profile != noProfileIdx ) {
      return { wanted.client, note };
   }
   return { held == tracerProfileIdx ? Client::packetTracer
            : held == cfmProfileIdx  ? Client::cfm
                                     : Client::none,
            note };
}

} // namespace

std::string
Difference::line() const {
   std::string text = "unit " + std::to_string( unit ) + " " + table + " " + entry + ": holds " + holds +
                      ", should hold " + shouldHold + " (" + clientName( client );
   return text + ( note.empty() ? "" : ": " + note ) + ")";
}

Audit::Audit( const WorldView & world, std::optional< U16 > unit ) : unit_( unit ) {
   const ClientIntent intent( world );
   pending_ = intent.pending();
   pending_.insert( pending_.end(), world.notes.begin(), world.notes.end() );
   // Served or not: what the chip holds is held to account either way.
   sourceTrunkMapIs( world, intent );
   lportTabIs( *world.chip, intent );
   cpuPktProfileIs( *world.chip, intent );
   std::stable_sort( differences_.begin(), differences_.end(),
                     []( const Difference & a, const Difference & b ) { return a.unit < b.unit; } );
}

std::vector< std::string >
Audit::lines() const {
   std::vector< std::string > out;
   for( const Difference & difference : differences_ ) {
      out.push_back( difference.line() );
   }
   return out;
}

void
Audit::sourceTrunkMapIs( const WorldView & world, const ClientIntent & intent ) {
   if( !world.sourceTrunkMap ) {
      return;
   }
   // Why no entry can be written now, if none can.
   std::string noneWritten = intent.served() ? "" : "nothing serves the clients now";
   if( intent.served() && !world.sourceTrunkMapWritable ) {
      noneWritten = "the agent has no source-trunk-map request directory for the plug-in";
      pending_.push_back( noneWritten + ": no SOURCE_TRUNK_MAP entry can be written" );
   }
   const SourceTrunkMapView & table = *world.sourceTrunkMap;
   // An entry with a request on its way is in transition: not audited.
   std::set< std::pair< U16, U16 > > inFlight;
   for( const StrataCentral::PortTabWriteRequest & request : table.notCarriedOut ) {
      const U16 modId = request.key.modId.value();
      const U16 port = request.key.port.value();
      inFlight.insert( { modId, port } );
      pending_.push_back( "SOURCE_TRUNK_MAP request for module " + std::to_string( modId ) + " port " +
                          std::to_string( port ) + " (profile " + std::to_string( request.value ) +
                          "): not yet carried out by the agent" );
   }
   // Every entry a client wants something of or the agent has written.
   const PortIntent noWish;
   std::map< StrataTypes::StrataPort, const PortIntent * > entries;
   for( const auto & [ port, wanted ] : intent.ports() ) {
      entries[ port ] = &wanted;
   }
   for( const auto & [ unit, written ] : table.units ) {
      for( const auto & entry : written ) {
         entries.try_emplace( StrataTypes::StrataPort{ entry.first.first, unit, entry.first.second, 0 }, &noWish );
      }
   }
   for( const auto & [ port, wanted ] : entries ) {
      // A unit the chip does not have holds no entry: such a port can only
      // be a reason, given where a client's wish cannot be carried out.
      if( !audits( port.unit ) || inFlight.count( { port.modId, port.port } ) ) {
         continue;
      }
      const bool onChip = world.chip->soc_unit_valid( port.unit );
      const U32 held = onChip ? table.holds( port.unit, port.modId, port.port ) : 0;
      if( held == cfmProfileIdx ) {
         cfmPointedAt_[ port.unit ] = portText( port );
      }
      if( held == wanted->profile || ( wanted->tracerPending && held == tracerProfileIdx ) ) {
         continue;
      }
      const auto [ client, note ] = sourceTrunkMapBlame( *wanted, held );
      std::string cannot = wanted->unservable;
      if( cannot.empty() && wanted == &noWish && world.scsd ) {
         cannot = whyNotServed( world, port );
      }
      if( !cannot.empty() || !noneWritten.empty() ) {
         const std::string who = client == Client::none ? "no client" : clientName( client );
         const std::string entry = onChip ? "holds profile " + std::to_string( held ) + ", should hold " +
                                               std::to_string( wanted->profile ) + "; "
                                          : "";
         pending_.push_back( "port " + portText( port ) + " for " + who + ": " + entry +
                             ( cannot.empty() ? noneWritten : "it cannot be carried out: " + cannot ) );
         continue;
      }
      differences_.push_back( Difference{ port.unit, "SOURCE_TRUNK_MAP", portText( port ), std::to_string( held ),
                                          std::to_string( wanted->profile ), client, note } );
   }
}

void
Audit::lportTabIs( const Shim::SimChip & chip, const ClientIntent & intent ) {
   // In the chip's order. Every field of the CFM entry is CFM's: the
   // profile's fields 1, the rest 0.
   const FieldNames fields = chip.fieldNames( chip.LPORT_TABm() );
   FieldValues cfmProfile;
   FieldValues zero;
   for( const std::string & field : fields ) {
      const auto profileField = ClientIntent::cfmProfile().find( field );
      cfmProfile[ field ] = profileField == ClientIntent::cfmProfile().end() ? 0 : profileField->second;
      zero[ field ] = 0;
   }
   for( U16 unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
      if( !audits( unit ) ) {
         continue;
      }
      if( const FieldValues * settings = intent.tracerEntry( unit ) ) {
         const FieldValues entry = entryOf( chip, fields, unit, tracerProfileIdx );
         if( const auto differ = fieldDifferences( fields, entry, *settings ) ) {
            differences_.push_back( Difference{ unit, "LPORT_TAB", std::to_string( tracerProfileIdx ), differ->first,
                                                differ->second, Client::packetTracer, "" } );
         }
      }
      // A port that points at the CFM profile needs it, whatever CFM wants.
      const auto pointedAt = cfmPointedAt_.find( unit );
      std::optional< bool > inUse = intent.cfmProfileWanted( unit );
      std::string note = inUse && !*inUse ? "no port on the unit is covered" : "";
      if( pointedAt != cfmPointedAt_.end() && !inUse.value_or( false ) ) {
         inUse = true;
         note = "port " + pointedAt->second + " points at it";
      }
      if( !inUse || ( !*inUse && chip.entryIsZero( unit, chip.LPORT_TABm(), int( cfmProfileIdx ) ) ) ) {
         continue;
      }
      const FieldValues entry = entryOf( chip, fields, unit, cfmProfileIdx );
      const FieldValues & wanted = *inUse ? cfmProfile : zero;
      if( const auto differ = fieldDifferences( fields, entry, wanted ) ) {
         // Named whole where it is one of the two it should be, else by the
         // fields that differ.
         const std::optional< std::string > held = cfmEntryName( entry, cfmProfile, zero );
         differences_.push_back(
            Difference{ unit, "LPORT_TAB", std::to_string( cfmProfileIdx ), held ? *held : differ->first,
                        held ? *cfmEntryName( wanted, cfmProfile, zero ) : differ->second, Client::cfm, note } );
      }
   }
}

void
Audit::cpuPktProfileIs( const Shim::SimChip & chip, const ClientIntent & intent ) {
   for( U16 unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
      const std::optional< bool > wanted = intent.tracerCpuBit( unit );
      if( !audits( unit ) || !wanted ) {
         continue;
      }
      const bool held = ( chip.cpuPktProfile2( unit ) & tracerCpuBit ) != 0;
      if( held != *wanted ) {
         differences_.push_back( Difference{ unit, "CPU_PKT_PROFILE_2", "bit 2", held ? "1" : "0", *wanted ? "1" : "0",
                                             Client::packetTracer, "" } );
      }
   }
}

} // namespace Sim
