#include "commands/GenericAccess.h"

#include "Agent/StrataTypes.h"
#include "Quill/Exceptions.h"
#include "host/Host.h"
#include "language/ScenarioError.h"
#include "language/Suggestion.h"
#include "language/Tokens.h"

#include <map>

namespace Sim {

namespace {

constexpr const char * rootAttrName = "strataPacketTracerSliceRootSm";
constexpr const char * slicesAttrName = "strataPacketTracerSliceSm";

const std::map< std::string, U64, std::less<> > &
unsignedLimits() {
   static const std::map< std::string, U64, std::less<> > limits{
      { "U8", 0xFFu }, { "U16", 0xFFFFu }, { "U32", 0xFFFFFFFFu }, { "U64", ~U64( 0 ) }
   };
   return limits;
}

// Reads `attrName` of `object`; the object it holds, or why there is none.
Resolved
readObjectAttr( const Vela::Ptr< Quill::PtrInterface > & object, const std::string & ownerText, const char * attrName,
                const Quill::ValueList & args, const std::string & absentText ) {
   const Quill::TypeInfo * type = object->fwkType();
   const Quill::AttrInfo * attr = type ? type->attribute( attrName ) : nullptr;
   if( !attr ) {
      return { {}, ownerText + " has no attribute " + attrName };
   }
   Quill::Value result;
   const Quill::AttrAnswer answer = genericOp( object, *attr, Quill::AttrOp::read, args, result );
   if( answer != Quill::AttrAnswer::done ) {
      return { {}, "reading " + ownerText + " " + attrName + " answered " + answerName( answer ) };
   }
   if( !result.isNone() && !result.isObject() ) {
      return { {}, ownerText + " " + attrName + " is not an object: " + describeValue( result ) };
   }
   Vela::Ptr< Quill::PtrInterface > found = result.asObject();
   if( !found ) {
      return { {}, absentText };
   }
   return { found, {} };
}

} // namespace

std::string
ObjectRef::text() const {
   switch( kind ) {
   case Kind::mounter: return "mounter";
   case Kind::root: return "root";
   case Kind::slice: return "slice " + std::to_string( modId.value() );
   }
   return "?";
}

const char *
ObjectRef::typeName() const noexcept {
   switch( kind ) {
   case Kind::mounter: return "Strata::StrataPacketTracerSliceMounter";
   case Kind::root: return "Strata::StrataPacketTracerSliceRootSm";
   case Kind::slice: return "Strata::StrataPacketTracerSliceSm";
   }
   return "?";
}

ObjectRef
objectAfter( ObjectRef::Kind kind, Args & args ) {
   ObjectRef ref;
   ref.kind = kind;
   if( kind == ObjectRef::Kind::slice ) {
      ref.modId = StrataCentral::ModId(
         unsigned( parseUnsigned( args.next( "module id of the slice" ), "module id", StrataCentral::ModId::null ) ) );
   }
   return ref;
}

ObjectRef
parseObject( Args & args ) {
   const Token & word = args.nextToken( "object (mounter, root or slice MOD)" );
   if( word.is( "mounter" ) ) {
      return objectAfter( ObjectRef::Kind::mounter, args );
   }
   if( word.is( "root" ) ) {
      return objectAfter( ObjectRef::Kind::root, args );
   }
   if( word.is( "slice" ) ) {
      return objectAfter( ObjectRef::Kind::slice, args );
   }
   throw ScenarioError( "unknown object '" + word.text + "' (mounter, root or slice MOD)" );
}

Resolved
resolve( const Host & host, const ObjectRef & ref ) {
   if( !host.started() ) {
      return { {}, "no " + ref.text() + " (the agent is not started)" };
   }
   Vela::Ptr< Quill::PtrInterface > mounter( host.mounter() );
   if( ref.kind == ObjectRef::Kind::mounter ) {
      return { mounter, {} };
   }
   Resolved root = readObjectAttr( mounter, "mounter", rootAttrName, {},
                                   "no root (the mounter's " + std::string( rootAttrName ) + " is null)" );
   if( !root.object || ref.kind == ObjectRef::Kind::root ) {
      return root;
   }
   return readObjectAttr( root.object, "root", slicesAttrName, { Quill::Value::boxed( ref.modId ) },
                          "no slice for module " + std::to_string( ref.modId.value() ) );
}

std::optional< std::set< unsigned > >
sliceModules( const Host & host, std::string & why ) {
   ObjectRef rootRef;
   rootRef.kind = ObjectRef::Kind::root;
   const Resolved root = resolve( host, rootRef );
   if( !root.object ) {
      return std::set< unsigned >(); // no root: no module has a slice
   }
   const Quill::AttrInfo * attr = attributeNamed( root.object->fwkType(), slicesAttrName );
   Quill::Value result;
   const Quill::AttrAnswer answer = genericOp( root.object, *attr, Quill::AttrOp::iterate, {}, result );
   if( answer != Quill::AttrAnswer::done ) {
      why = std::string( "iterating the slices answered " ) + answerName( answer );
      return std::nullopt;
   }
   std::set< unsigned > modules;
   for( const Quill::Value & pair : result.asList() ) {
      const Quill::Value & key = pair.asList().at( 0 );
      if( key.isBoxed() ) {
         modules.insert( key.as< StrataCentral::ModId >().value() );
      } else {
         modules.insert( unsigned( key.asUnsigned( 0xFFFF ) ) );
      }
   }
   return modules;
}

const Quill::TypeInfo *
typeOf( const ObjectRef & ref, const Quill::PtrInterface * object ) {
   if( object && object->fwkType() ) {
      return object->fwkType();
   }
   return Quill::typeNamed( ref.typeName() );
}

const Quill::AttrInfo *
attributeNamed( const Quill::TypeInfo * type, const std::string & name ) {
   if( !type ) {
      return nullptr;
   }
   const Quill::AttrInfo * attr = type->attribute( name );
   if( !attr ) {
      std::vector< std::string > known;
      for( const Quill::AttrInfo & a : type->attributes ) {
         known.push_back( a.name );
      }
      throw ScenarioError( type->name + " has no attribute or operation '" + name + "'" + suggestion( name, known ) );
   }
   return attr;
}

Quill::AttrAnswer
genericOp( const Vela::Ptr< Quill::PtrInterface > & object, const Quill::AttrInfo & attr, Quill::AttrOp op,
           const Quill::ValueList & args, Quill::Value & result ) {
   return Quill::genericAttrOp( object, attr.id, op, args, result );
}

const char *
kindName( Quill::AttrKind kind ) noexcept {
   switch( kind ) {
   case Quill::AttrKind::constructor: return "constructor";
   case Quill::AttrKind::value: return "value";
   case Quill::AttrKind::instantiating: return "instantiating";
   case Quill::AttrKind::collection: return "collection";
   case Quill::AttrKind::operation: return "operation";
   }
   return "?";
}

std::string
opsText( unsigned ops ) {
   static const std::pair< Quill::AttrOp, const char * > names[] = {
      { Quill::AttrOp::read, "read" },   { Quill::AttrOp::write, "write" },     { Quill::AttrOp::del, "del" },
      { Quill::AttrOp::count, "count" }, { Quill::AttrOp::iterate, "iterate" }, { Quill::AttrOp::member, "member" },
      { Quill::AttrOp::call, "call" }
   };
   std::string text;
   for( const auto & [ op, name ] : names ) {
      if( ops & Quill::opBit( op ) ) {
         text += ( text.empty() ? "" : "," ) + std::string( name );
      }
   }
   return text;
}

const char *
answerName( Quill::AttrAnswer answer ) noexcept {
   switch( answer ) {
   case Quill::AttrAnswer::done: return "done";
   case Quill::AttrAnswer::notSupported: return "not supported";
   case Quill::AttrAnswer::noSuchAttribute: return "no such attribute";
   }
   return "an unknown answer";
}

Quill::Value
valueFromToken( const Token & token, const std::string & typeName, const std::string & what, const Host & host ) {
   const std::string & text = token.text;
   if( typeName == "bool" ) {
      return Quill::Value( parseBool( text, what ) );
   }
   auto limit = unsignedLimits().find( typeName );
   if( limit != unsignedLimits().end() ) {
      return Quill::Value( parseUnsigned( text, what + " (" + typeName + ")", limit->second ) );
   }
   if( typeName == "Seconds" || typeName == "double" ) {
      const std::optional< Quill::Value > number = numberValue( text );
      if( !number ) {
         throw ScenarioError( what + ": '" + text + "' is not a number of seconds" );
      }
      return Quill::Value( number->asDouble() );
   }
   if( typeName == "string" ) {
      return Quill::Value( text );
   }
   if( const Quill::TypeInfo * type = Quill::typeNamed( typeName ); type && type->kind == Quill::TypeKind::value ) {
      try {
         return Quill::Value( type->fromStrep( text ) );
      } catch( const Quill::Exception & e ) {
         throw ScenarioError( what + ": '" + text + "' is not a " + typeName + ": " + e.what() );
      }
   }
   // Anything else is a reference to a framework object.
   if( token.is( "null" ) ) {
      return Quill::Value();
   }
   if( Vela::Ptr< Quill::Entity > entity = host.entityManager()->getEntity( text ); entity && !text.empty() ) {
      return Quill::Value( entity );
   }
   throw ScenarioError( what + ": '" + text + "' is not a " + typeName +
                        " (give null or the path of an entity in the state database)" );
}

Quill::ValueList
argumentsFor( const Quill::AttrInfo & attr, const std::vector< Token > & tokens, const std::string & what,
              const Host & host ) {
   if( !tokens.empty() && tokens.size() != attr.params.size() ) {
      std::string signature;
      for( const Quill::ParamInfo & p : attr.params ) {
         signature += ( signature.empty() ? "" : ", " ) + p.name + ": " + p.typeName;
      }
      throw ScenarioError( what + " takes " + std::to_string( attr.params.size() ) + " argument(s) (" + signature +
                           "), got " + std::to_string( tokens.size() ) );
   }
   Quill::ValueList values;
   for( std::size_t i = 0; i < tokens.size(); ++i ) {
      const Quill::ParamInfo & param = attr.params[ i ];
      values.push_back( valueFromToken( tokens[ i ], param.typeName, what + " argument " + param.name, host ) );
   }
   return values;
}

std::string
describeValue( const Quill::Value & value ) {
   if( value.isNone() ) {
      return "null";
   }
   if( value.isObject() ) {
      return value.asObject() ? "present (" + value.toString() + ")" : "null";
   }
   return value.toString();
}

Comparison
compareValue( const Quill::Value & got, const Token & expected ) {
   const std::string & text = expected.text;
   if( got.isNone() || got.isObject() ) {
      if( !expected.is( "null" ) && !expected.is( "present" ) ) {
         throw ScenarioError( "'" + text + "' cannot be compared with a pointer (use null or present)" );
      }
      const bool present = !got.isNone() && got.asObject();
      return { present == expected.is( "present" ), describeValue( got ) };
   }
   if( got.isBool() ) {
      return { got.asBool() == parseBool( text, "expected value" ), describeValue( got ) };
   }
   if( got.isNumber() ) {
      const std::optional< Quill::Value > number = numberValue( text );
      if( !number ) {
         throw ScenarioError( "expected value: '" + text + "' is not a number" );
      }
      return { got.equals( *number ), describeValue( got ) };
   }
   if( got.isBoxed() ) {
      const Quill::Boxed & boxed = got.asBoxed();
      Quill::Boxed wanted;
      try {
         wanted = boxed.type->fromStrep( text );
      } catch( const Quill::Exception & e ) {
         throw ScenarioError( "expected value: '" + text + "' is not a " + boxed.type->name + ": " + e.what() );
      }
      const bool equal = boxed.type->valueOps.isEq
                            ? boxed.type->valueOps.isEq( boxed.data.get(), wanted.data.get() )
                            : boxed.type->toStrep( boxed.data.get() ) == boxed.type->toStrep( wanted.data.get() );
      return { equal, describeValue( got ) };
   }
   return { describeValue( got ) == text, describeValue( got ) };
}

} // namespace Sim
