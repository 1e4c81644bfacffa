// `show claims [UNIT]`: per slice, the ports whose SOURCE_TRUNK_MAP entry the
// packet tracer and CFM each hold.
//
// The claims are read from the slice's two claim bitmaps, through the generic
// interface like every other look at the plug-in's objects. The plug-in's
// own claim queries (isAllocatedSrcTrunkIdx and its CFM twin) write a trace
// line on every call: a view built on them would add a line per port to the
// capture that `expect trace` and `expect trace-count` look at, so looking
// would change what a later expectation sees.
#include "Ferro/Bitmap.h"
#include "commands/ChipAccess.h"
#include "commands/GenericAccess.h"
#include "commands/StandardCommands.h"
#include "language/ScenarioError.h"
#include "session/CommandTable.h"

#include <optional>
#include <string>
#include <vector>

namespace Sim {

namespace {

// The ports a claim bitmap holds, or why they cannot be told.
struct Held {
   std::vector< unsigned > ports;
   std::string missing;
};

Held
heldPorts( const Vela::Ptr< Quill::PtrInterface > & slice, const char * bitmapAttr ) {
   const Quill::AttrInfo * attr = attributeNamed( slice->fwkType(), bitmapAttr );
   Quill::Value value;
   const Quill::AttrAnswer answer = genericOp( slice, *attr, Quill::AttrOp::read, {}, value );
   if( answer != Quill::AttrAnswer::done ) {
      return { {}, std::string( "reading " ) + bitmapAttr + " answered " + answerName( answer ) };
   }
   // No bitmap (the slice is not initialised): the client holds nothing.
   Held held;
   if( const auto bitmap = value.isObject() ? value.asPtr< Ferro::Bitmap >() : nullptr ) {
      for( U32 port = 0; port < bitmap->size(); ++port ) {
         if( bitmap->isBitSet( port ) ) {
            held.ports.push_back( port );
         }
      }
   }
   return held;
}

// "7 9 12" for people, [7, 9, 12] for scripts; what could not be read says so.
Cell
portsCell( const Held & held ) {
   if( !held.missing.empty() ) {
      return Cell( "(" + held.missing + ")" ).toned( Tone::bad );
   }
   std::string text;
   std::string json;
   for( unsigned port : held.ports ) {
      text += ( text.empty() ? "" : " " ) + std::to_string( port );
      json += ( json.empty() ? "" : ", " ) + std::to_string( port );
   }
   return Cell::withJson( text.empty() ? "-" : text, "[" + json + "]" );
}

Report
showClaims( Session & s, Args & args ) {
   std::optional< int > unit;
   if( !args.atEnd() ) {
      unit = unitFrom( args );
   }
   args.end();
   Report report( "claims" );
   std::string why;
   const auto modules = sliceModules( s.host, why );
   report.field( "error", modules ? "" : "error", modules ? Cell::withJson( "", "null" ) : Cell( why ) );
   Table & table = report.table(
      "slices", "Ports held per slice (" + ( unit ? "unit " + std::to_string( *unit ) : "every unit" ) + ")",
      { "module", "unit", "packetTracer", "cfm" } );
   for( unsigned module : modules ? *modules : std::set< unsigned >() ) {
      const U16 * moduleUnit = s.host.scsd().strataModIdToUnit.find( StrataCentral::ModId( U16( module ) ) );
      if( unit && ( !moduleUnit || *moduleUnit != *unit ) ) {
         continue;
      }
      ObjectRef ref;
      ref.kind = ObjectRef::Kind::slice;
      ref.modId = StrataCentral::ModId( U16( module ) );
      const Resolved slice = resolve( s.host, ref );
      const Cell unitCell = moduleUnit ? Cell::number( *moduleUnit ) : Cell::withJson( "-", "null" );
      if( !slice.object ) {
         const Cell missing = Cell( "(" + slice.missing + ")" ).toned( Tone::bad );
         table.row( { Cell::number( module ), unitCell, missing, missing } );
         continue;
      }
      table.row( { Cell::number( module ), unitCell, portsCell( heldPorts( slice.object, "srcTrunkBitmap" ) ),
                   portsCell( heldPorts( slice.object, "srcTrunkBitmapCfm" ) ) } );
   }
   return report;
}

} // namespace

void
addClaimViews( CommandTable & table ) {
   table.show( "claims",
               { "claims [UNIT]",
                 "Per slice (of one chip unit, or every one), the ports whose SOURCE_TRUNK_MAP entry the "
                 "packet tracer and CFM hold; read without calling the plug-in's claim queries, so no "
                 "trace line is written." },
               showClaims );
}

} // namespace Sim
