// Conversion of the generic attribute interface's arguments (Quill::Value)
// into the plug-in's parameter types, shared by the generic access of the
// slice, the root and the mounter.
//
// Every conversion that fails throws Quill::RangeException with a text that
// names the operation and the parameter, and says what was wrong: a missing
// argument, a value of another kind, or a number outside the parameter's
// range (narrowing is always range-checked, never truncated).
#pragma once

#include "Agent/StrataTypes.h"
#include "Quill/Exceptions.h"
#include "Quill/PlatformTypes.h"
#include "Quill/Value.h"
#include "Vela/Ptr.h"

#include <cstddef>
#include <string>

namespace Strata::GenericArgs {

// Throws unless exactly `count` arguments were given.
void countIs( const Quill::ValueList & args, std::size_t count, const char * op );

bool boolArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param );
// An unsigned number no larger than `max`.
U64 unsignedArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param,
                 U64 max );
double secondsArg( const Quill::ValueList & args, std::size_t i, const char * op,
                   const char * param );
// A module id, boxed or as a plain number from 0 to 64.
StrataCentral::ModId modIdArg( const Quill::ValueList & args, std::size_t i, const char * op,
                               const char * param );

[[noreturn]] void throwFor( const char * op, const char * param, const std::string & detail );
const Quill::Value & at( const Quill::ValueList & args, std::size_t i, const char * op,
                         const char * param );

// A boxed value of a registered value type.
template< typename T >
T
boxedArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   const Quill::Value & v = at( args, i, op, param );
   try {
      return v.as< T >();
   } catch( const Quill::RangeException & e ) {
      throwFor( op, param, e.what() );
   }
}

// A framework object of type T: none gives null, an object of another type
// is refused.
template< typename T >
Vela::Ptr< T >
objectArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   const Quill::Value & v = at( args, i, op, param );
   if( v.isNone() ) {
      return {};
   }
   Quill::Value::Object object;
   try {
      object = v.asObject();
   } catch( const Quill::RangeException & e ) {
      throwFor( op, param, e.what() );
   }
   if( !object ) {
      return {};
   }
   Vela::Ptr< T > typed = Vela::dynamicPtrCast< T >( object );
   if( !typed ) {
      throwFor( op, param, "expected a " + std::string( std::remove_const_t< T >::quillTypeName ) +
                              ", got " + v.toString() );
   }
   return typed;
}

} // namespace Strata::GenericArgs
