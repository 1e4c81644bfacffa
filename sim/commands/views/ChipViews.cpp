// What the chip holds, shown the way chip diagnostic shells show it: a table
// of a unit lists only the entries that differ from zero, each with only its
// non-zero fields ("LPORT_TAB.0[5]: <vfpEnable=1,portVid=0x123>"); one entry
// shows every field. SOURCE_TRUNK_MAP is the table the simulated agent wrote
// from the plug-in's posted requests.
#include "Shim/SimChip.h"
#include "commands/ChipAccess.h"
#include "commands/GenericAccess.h"
#include "commands/StandardCommands.h"
#include "session/CommandTable.h"
#include "session/Report.h"

#include <string>
#include <vector>

namespace Sim {

namespace {

// "1 entry differs from zero", "3 entries differ from zero".
std::string
differing( std::size_t count ) {
   return std::to_string( count ) + ( count == 1 ? " entry differs" : " entries differ" ) + " from zero";
}

std::string
entryName( const Memory & memory, int unit, int index ) {
   return memory.sdkName + "." + std::to_string( unit ) + "[" + std::to_string( index ) + "]";
}

// One entry of a listing: "NAME: <field=value,...>" for people, {"index": I,
// "fields": {...}} for scripts; only the fields that differ from zero.
void
addNonZeroEntry( Table & table, const Memory & memory, int unit, int index, const Style & style ) {
   Shim::SimChip & chip = Shim::simChip();
   std::string text;
   std::string json;
   for( const std::string & field : chip.fieldNames( memory.mem ) ) {
      const U32 value = chip.entryField( unit, memory.mem, index, field );
      if( value == 0 ) {
         continue;
      }
      const Cell cell = Cell::fieldValue( value );
      text += ( text.empty() ? "" : "," ) + field + "=" + style.paint( cell.text, Tone::value );
      json += ( json.empty() ? "" : ", " ) + jsonString( field ) + ": " + cell.json;
   }
   table.row( { Cell::number( unsigned( index ) ), Cell::withJson( text, "{" + json + "}" ) },
              entryName( memory, unit, index ) + ": <" + text + ">" );
}

// show lport-tab|port-tab UNIT [INDEX]: one entry, or every non-zero entry.
Report
showEntries( Session & s, Args & args, const Memory & memory ) {
   const int unit = unitFrom( args );
   const std::string what = "show " + memory.word;
   Shim::SimChip & chip = Shim::simChip();
   Report report( memory.word );
   report.field( "unit", "", Cell::number( unsigned( unit ) ) );
   if( args.atEnd() ) {
      const std::vector< int > indices = onChip( what, [ & ] { return chip.nonZeroEntries( unit, memory.mem ); } );
      report.field( "nonZero", "", Cell::number( indices.size() ) );
      Table & table = report.table(
         "entries", memory.sdkName + " of unit " + std::to_string( unit ) + " (" + differing( indices.size() ) + ")",
         { "index", "fields" } );
      for( int index : indices ) {
         addNonZeroEntry( table, memory, unit, index, s.style );
      }
      return report;
   }
   const int index = indexFrom( args, memory );
   args.end();
   report.field( memory.byPort() ? "port" : "index", "", Cell::number( unsigned( index ) ) );
   Table & table = report.table( "fields", entryName( memory, unit, index ), { "field", "bits", "value" } );
   for( const std::string & field : chip.fieldNames( memory.mem ) ) {
      const U32 value = onChip( what, [ & ] { return chip.entryField( unit, memory.mem, index, field ); } );
      table.row( { field, Cell::number( chip.fieldWidth( memory.mem, field ) ),
                   Cell::fieldValue( value ).toned( value ? Tone::value : Tone::dim ) } );
   }
   return report;
}

Report
showCpuPktProfile( Session &, Args & args ) {
   const int unit = unitFrom( args );
   args.end();
   const U32 value = onChip( "show cpu-pkt-profile-2", [ & ] { return Shim::simChip().cpuPktProfile2( unit ); } );
   Report report( "cpu-pkt-profile-2" );
   report.field( "unit", Cell::number( unsigned( unit ) ) );
   report.field( "register", "CPU_PKT_PROFILE_2", Cell::hex( value ) );
   report.field( "cpuPktProfileBitmap", "CPU_PKT_PROFILE_BITMAP (bits 0-7)", Cell::hex( value & 0xFFu ) );
   report.field( "tracerBit", "bit 2 (packet tracer)",
                 Cell::boolean( value & 0x4u ).toned( value & 0x4u ? Tone::value : Tone::plain ) );
   return report;
}

Report
showSdk( Session &, Args & args ) {
   args.end();
   Report report( "sdk" );
   Table & table = report.table( "calls", "SDK calls since clear", { "operation", "calls" } );
   for( const SdkOpName & op : sdkOps ) {
      table.row( { op.name, Cell::number( Shim::simChip().callCount( op.op ) ) } );
   }
   table.row( { "any", Cell::number( Shim::simChip().callCountAll() ) } );
   return report;
}

// A slice attribute read through the generic interface, when the module has
// a slice that has it.
std::optional< U64 >
sliceNumber( Session & s, U16 modId, const char * name ) {
   try {
      ObjectRef ref;
      ref.kind = ObjectRef::Kind::slice;
      ref.modId = StrataCentral::ModId( modId );
      const Resolved r = resolve( s.host, ref );
      const Quill::AttrInfo * attr = r.object && r.object->fwkType() ? r.object->fwkType()->attribute( name ) : nullptr;
      Quill::Value value;
      if( attr && genericOp( r.object, *attr, Quill::AttrOp::read, {}, value ) == Quill::AttrAnswer::done &&
          value.isNumber() ) {
         return value.asUnsigned();
      }
   } catch( const std::exception & ) {
      // A view never fails for want of a name for a profile.
   }
   return std::nullopt;
}

// Whose profile an index is, as the module's slice numbers them now.
std::string
profileUser( Session & s, U16 modId, U32 profile ) {
   if( sliceNumber( s, modId, "lPortProfileIdx" ) == U64( profile ) ) {
      return "packet tracer";
   }
   if( sliceNumber( s, modId, "lPortCfmProfileIdx" ) == U64( profile ) ) {
      return "CFM";
   }
   return "";
}

// show source-trunk-map UNIT
Report
showSourceTrunkMap( Session & s, Args & args ) {
   const int unit = unitFrom( args );
   args.end();
   if( unit < 0 || unit >= Shim::SimChip::unitCount ) {
      throw ScenarioError( "show source-trunk-map: unit " + std::to_string( unit ) + " is not a chip unit (0 to " +
                           std::to_string( Shim::SimChip::unitCount - 1 ) + ")" );
   }
   const auto & written = s.host.sourceTrunkMap().chipTable( U16( unit ) );
   std::size_t nonZero = 0;
   for( const auto & [ key, entry ] : written ) {
      nonZero += entry.profile != 0 ? 1 : 0;
   }
   Report report( "source-trunk-map" );
   report.field( "unit", "", Cell::number( unsigned( unit ) ) );
   report.field( "written", "", Cell::number( written.size() ) );
   report.field( "nonZero", "", Cell::number( nonZero ) );
   Table & table = report.table( "entries",
                                 "SOURCE_TRUNK_MAP of unit " + std::to_string( unit ) + " (" + differing( nonZero ) +
                                    "; " + std::to_string( written.size() ) + " written by requests)",
                                 { "modId", "port", "profile", "user", "modInfo" } );
   for( const auto & [ key, entry ] : written ) {
      if( entry.profile == 0 ) {
         continue;
      }
      table.row( { Cell::number( key.first ), Cell::number( key.second ),
                   Cell::number( entry.profile ).toned( Tone::value ), profileUser( s, key.first, entry.profile ),
                   Cell::hex( entry.modInfo ) } );
   }
   return report;
}

} // namespace

void
addChipViews( CommandTable & table ) {
   for( const std::string word : { "lport-tab", "port-tab" } ) {
      const std::string index = word == "port-tab" ? "PORT" : "INDEX";
      table.show( word,
                  { word + " UNIT | " + word + " UNIT " + index,
                    "The entries of the unit's " + memoryOf( word ).sdkName +
                       " that differ from zero, with their non-zero fields; or one entry, every "
                       "field." },
                  [ word ]( Session & s, Args & args ) { return showEntries( s, args, memoryOf( word ) ); } );
   }
   table.show( "source-trunk-map",
               { "source-trunk-map UNIT",
                 "The unit's SOURCE_TRUNK_MAP entries that differ from zero, as the agent wrote "
                 "them from the plug-in's requests, with whose profile each points at." },
               showSourceTrunkMap );
   table.show( "cpu-pkt-profile-2", { "cpu-pkt-profile-2 UNIT", "The unit's CPU_PKT_PROFILE_2 register." },
               showCpuPktProfile );
   table.show( "sdk", { "sdk", "How often each SDK operation ran since clear." }, showSdk );
}

} // namespace Sim
