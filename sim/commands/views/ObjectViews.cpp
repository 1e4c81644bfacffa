// The plug-in's objects as the generic attribute interface shows them: every
// slice with its chief attributes, and every attribute of one object.
#include "commands/GenericAccess.h"
#include "commands/StandardCommands.h"
#include "session/CommandTable.h"

#include <iterator>
#include <set>

namespace Sim {

namespace {

// A value as a report cell: numbers and booleans stay JSON literals.
Cell
cellOf( const Quill::Value & value ) {
   if( value.isBool() ) {
      return Cell::boolean( value.asBool() );
   }
   if( value.isNumber() ) {
      try {
         return Cell::number( value.asUnsigned() );
      } catch( const std::exception & ) {
         return Cell::decimal( value.asDouble() );
      }
   }
   return describeValue( value );
}

Report
showSlices( Session & s, Args & args ) {
   args.end();
   Report report( "slices" );
   std::string why;
   const auto modules = sliceModules( s.host, why );
   // "error" is always a key (null when all is well), shown only when set.
   report.field( "error", modules ? "" : "error", modules ? Cell::withJson( "", "null" ) : Cell( why ) );
   static const char * const shown[] = { "initialized", "handleClockCalled", "timeout", "lPortProfileIdx",
                                         "lPortCfmProfileIdx" };
   std::vector< std::string > columns{ "module", "slice" };
   columns.insert( columns.end(), std::begin( shown ), std::end( shown ) );
   Table & table = report.table( "slices", columns );
   for( unsigned module : modules ? *modules : std::set< unsigned >() ) {
      ObjectRef ref;
      ref.kind = ObjectRef::Kind::slice;
      ref.modId = StrataCentral::ModId( module );
      const Resolved r = resolve( s.host, ref );
      std::vector< Cell > row{ Cell::number( module ),
                               r.object ? describeValue( Quill::Value( r.object ) ) : r.missing };
      for( const char * name : shown ) {
         const Quill::AttrInfo * attr =
            r.object && r.object->fwkType() ? r.object->fwkType()->attribute( name ) : nullptr;
         Quill::Value value;
         if( attr && genericOp( r.object, *attr, Quill::AttrOp::read, {}, value ) == Quill::AttrAnswer::done ) {
            row.push_back( cellOf( value ) );
         } else {
            row.push_back( "-" );
         }
      }
      table.row( std::move( row ) );
   }
   return report;
}

// Every attribute of an object, read through the generic interface.
Report
showObject( Session & s, Args & args, ObjectRef::Kind kind ) {
   const ObjectRef ref = objectAfter( kind, args );
   args.end();
   Report report( ref.text() );
   const Resolved r = resolve( s.host, ref );
   // The same keys whether or not the object exists: null stands for what
   // does not apply, and stays out of the text.
   const Cell none = Cell::withJson( "", "null" );
   report.field( "object", ref.text() );
   report.field( "missing", r.object ? "" : "missing", r.object ? none : Cell( r.missing ) );
   report.field( "identity", r.object ? "identity" : "",
                 r.object ? Cell( describeValue( Quill::Value( r.object ) ) ) : none );
   Table & table = report.table( "attributes", { "id", "name", "kind", "type", "ops", "value" } );
   const Quill::TypeInfo * type = r.object ? r.object->fwkType() : nullptr;
   if( !type ) {
      return report;
   }
   for( const Quill::AttrInfo & attr : type->attributes ) {
      Cell value;
      if( attr.kind == Quill::AttrKind::operation ) {
         std::string signature = "(";
         for( const Quill::ParamInfo & p : attr.params ) {
            signature += ( signature.size() > 1 ? ", " : "" ) + p.name + ": " + p.typeName;
         }
         value = signature + ")";
      } else {
         // A collection shows its member count.
         const bool collection = attr.kind == Quill::AttrKind::collection;
         Quill::Value result;
         try {
            const Quill::AttrAnswer answer =
               genericOp( r.object, attr, collection ? Quill::AttrOp::count : Quill::AttrOp::read, {}, result );
            value = answer != Quill::AttrAnswer::done ? Cell( std::string( "(" ) + answerName( answer ) + ")" )
                                                      : cellOf( result );
         } catch( const std::exception & e ) {
            value = std::string( "(raised: " ) + e.what() + ")";
         }
      }
      table.row( { Cell::number( U64( attr.id ) ), attr.name, kindName( attr.kind ), attr.typeName, opsText( attr.ops ),
                   value } );
   }
   return report;
}

} // namespace

void
addObjectViews( CommandTable & table ) {
   table.show( "slices", { "slices", "Every slice with its chief attributes." }, showSlices );
   const std::pair< const char *, ObjectRef::Kind > objects[] = { { "mounter", ObjectRef::Kind::mounter },
                                                                  { "root", ObjectRef::Kind::root },
                                                                  { "slice", ObjectRef::Kind::slice } };
   for( const auto & [ word, kind ] : objects ) {
      const std::string object = kind == ObjectRef::Kind::slice ? "slice MOD" : word;
      table.show( word,
                  { object, "Every attribute and operation of the object, read through the "
                            "generic attribute interface." },
                  [ k = kind ]( Session & s, Args & args ) { return showObject( s, args, k ); } );
   }
}

} // namespace Sim
