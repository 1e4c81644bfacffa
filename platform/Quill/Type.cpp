#include "Quill/Type.h"

#include "Quill/Entity.h"
#include "Quill/Exceptions.h"

#include <map>
#include <mutex>
#include <vector>

namespace Quill {

const AttrInfo *
TypeInfo::attribute( AttributeId id ) const noexcept {
   for( const AttrInfo & a : attributes ) {
      if( a.id == id ) {
         return &a;
      }
   }
   return nullptr;
}

const AttrInfo *
TypeInfo::attribute( std::string_view attrName ) const noexcept {
   for( const AttrInfo & a : attributes ) {
      if( a.name == attrName ) {
         return &a;
      }
   }
   return nullptr;
}

AttrAnswer
TypeInfo::genericAttrOp( void * object, AttributeId id, AttrOp op, const ValueList & args, Value & result ) const {
   if( !genericAttr ) {
      return attribute( id ) ? AttrAnswer::notSupported : AttrAnswer::noSuchAttribute;
   }
   return genericAttr( object, id, op, args, result );
}

std::size_t
TypeInfo::hash( const void * value ) const {
   if( !valueOps.hash ) {
      throw NoHashException( name + " has no hash and cannot be used as a hash key" );
   }
   return valueOps.hash( value );
}

std::string
TypeInfo::toStrep( const void * value ) const {
   if( !valueOps.toStrep ) {
      return name;
   }
   return valueOps.toStrep( value );
}

Boxed
TypeInfo::fromStrep( const std::string & text ) const {
   if( !valueOps.fromStrep ) {
      throw ParseException( name + " cannot be parsed from text" );
   }
   return Boxed{ this, valueOps.fromStrep( text ) };
}

Module::Module( std::string name, std::vector< TypeInfo * > types )
      : name_( std::move( name ) ), types_( std::move( types ) ) {}

const TypeInfo *
Module::type( U32 index ) const noexcept {
   return index < types_.size() ? types_[ index ] : nullptr;
}

namespace {
struct Registry {
   std::mutex mutex;
   std::map< std::string, const Module *, std::less<> > modules;
   std::map< std::string, const TypeInfo *, std::less<> > types;
   // The type names each module registered, kept by name: the earlier
   // registration's objects may be gone with an unloaded library, so they are
   // never looked at again.
   std::map< std::string, std::vector< std::string >, std::less<> > typeNamesOfModule;
};
Registry &
registry() {
   static Registry * instance = new Registry;
   return *instance;
}
} // namespace

void
quillModuleIs( Module & module ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   // A module registered again replaces its earlier registration entirely: a
   // type it no longer lists must not stay behind pointing at the old one.
   std::vector< std::string > & names = r.typeNamesOfModule[ module.name() ];
   for( const std::string & name : names ) {
      r.types.erase( name );
   }
   names.clear();
   U32 index = 0;
   for( TypeInfo * t : module.types() ) {
      t->module = &module;
      t->index = index++;
      r.types[ t->name ] = t;
      names.push_back( t->name );
   }
   r.modules[ module.name() ] = &module;
}

const Module *
moduleNamed( std::string_view name ) noexcept {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   auto found = r.modules.find( name );
   return found == r.modules.end() ? nullptr : found->second;
}

const TypeInfo *
typeNamed( std::string_view name ) noexcept {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   auto found = r.types.find( name );
   return found == r.types.end() ? nullptr : found->second;
}

Vela::Ptr< Entity >
newEntityForDir( std::string_view typeName, const std::string & name, const ValueList & args ) {
   const TypeInfo * type = typeNamed( typeName );
   if( !type ) {
      throw UnknownTypeException( "no type named '" + std::string( typeName ) + "' is registered" );
   }
   if( !type->newEntityForDir ) {
      throw UnknownTypeException( "type '" + type->name + "' is not an entity type" );
   }
   return type->newEntityForDir( name, args );
}

AttrAnswer
genericAttrOp( const Vela::Ptr< PtrInterface > & object, AttributeId id, AttrOp op, const ValueList & args,
               Value & result ) {
   if( !object ) {
      return AttrAnswer::noSuchAttribute;
   }
   const TypeInfo * type = object->fwkType();
   if( !type ) {
      return AttrAnswer::noSuchAttribute;
   }
   return type->genericAttrOp( object.ptr(), id, op, args, result );
}

} // namespace Quill
