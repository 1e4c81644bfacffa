// Type information for the common cases, so that a library registering its
// own types with the framework (quillModuleIs) need not spell out the
// operations: an entity type made by name, an object type the framework
// only names, a value type that compares, prints and parses itself.
#pragma once

#include "Pallet/Pallet.h"
#include "Quill/Entity.h"
#include "Quill/Exceptions.h"
#include "Quill/Type.h"

#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace Quill {

// An entity type whose factory makes an E from the slabs under the given
// name, refusing constructor arguments.
template < typename E >
TypeInfo
entityTypeInfo() {
   TypeInfo t;
   t.name = E::quillTypeName;
   t.kind = TypeKind::entity;
   t.newEntityForDir = []( const std::string & name, const ValueList & args ) -> Vela::Ptr< Entity > {
      if( !args.empty() ) {
         throwNewEntityArgsException( E::quillTypeName );
      }
      return Pallet::make< E >( name );
   };
   return t;
}

// An entity type the state database knows by name but never makes.
inline TypeInfo
unmakeableEntityTypeInfo( const char * name ) {
   TypeInfo t;
   t.name = name;
   t.kind = TypeKind::entity;
   return t;
}

inline TypeInfo
objectTypeInfo( const char * name ) {
   TypeInfo t;
   t.name = name;
   t.kind = TypeKind::object;
   return t;
}

// A value type's operations from its own ==, its operator<< (its text, and
// the hash of that text) and `parse`, which reads that text back and throws
// ParseException for text that is not a T.
template < typename T, T ( *parse )( const std::string & ) >
TypeInfo
valueTypeInfo( const char * name ) {
   TypeInfo t;
   t.name = name;
   t.kind = TypeKind::value;
   t.valueOps.construct = []( const void * source ) -> std::shared_ptr< void > {
      return source ? std::make_shared< T >( *static_cast< const T * >( source ) ) : std::make_shared< T >();
   };
   t.valueOps.isEq = []( const void * a, const void * b ) {
      return *static_cast< const T * >( a ) == *static_cast< const T * >( b );
   };
   t.valueOps.isDefault = []( const void * a ) { return *static_cast< const T * >( a ) == T(); };
   t.valueOps.toStrep = []( const void * a ) {
      std::ostringstream out;
      out << *static_cast< const T * >( a );
      return out.str();
   };
   t.valueOps.fromStrep = []( const std::string & text ) -> std::shared_ptr< void > {
      return std::make_shared< T >( parse( text ) );
   };
   t.valueOps.hash = []( const void * a ) {
      std::ostringstream out;
      out << *static_cast< const T * >( a );
      return std::hash< std::string >()( out.str() );
   };
   return t;
}

} // namespace Quill
