// The generic attribute interface of the plug-in's three object types, driven
// by one table per type.
//
// Each row names an attribute (its identifier, name, kind and the types of
// its value, result or parameters) and what each generic operation does on
// it. The rows are made from the C++ members themselves (a getter and setter,
// a method), so the identifiers, the argument conversions and the argument
// counts are written once: a call with too few or too many arguments, or with
// an argument of the wrong kind or out of its type's range, throws
// Quill::RangeException naming the operation and the parameter, and changes
// nothing. An operation a row does not have is answered as not supported, an
// identifier no row has as not an attribute of the type.
#pragma once

#include "Agent/CfmHwConfig.h"
#include "Agent/Lumo.h"
#include "Agent/StrataTypes.h"
#include "Ferro/Bitmap.h"
#include "LportTableFields.h"
#include "Quill/Exceptions.h"
#include "Quill/Type.h"
#include "Quill/Value.h"
#include "SliceInputs.h"
#include "Vela/Ptr.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace Strata::Generic {

// --- arguments -----------------------------------------------------------

[[noreturn]] void throwFor( const std::string & op, const char * param, const std::string & detail );
// Throws unless exactly `count` arguments were given.
void countIs( const Quill::ValueList & args, std::size_t count, const std::string & op );

template < typename T >
struct IsPtr : std::false_type {};
template < typename T >
struct IsPtr< Vela::Ptr< T > > : std::true_type {
   using Pointee = T;
};

// The name the type table gives a parameter or value of type T.
template < typename T >
std::string
typeName() {
   if constexpr( std::is_same_v< T, bool > ) {
      return "bool";
   } else if constexpr( std::is_same_v< T, U8 > || std::is_same_v< T, Ferro::HBitmap::BitState > ) {
      return "U8";
   } else if constexpr( std::is_same_v< T, U32 > ) {
      return "U32";
   } else if constexpr( std::is_same_v< T, U64 > ) {
      return "U64";
   } else if constexpr( std::is_same_v< T, double > ) {
      return "Seconds";
   } else if constexpr( std::is_same_v< T, void > ) {
      return "void";
   } else if constexpr( std::is_same_v< T, StrataTypes::StrataPort > ) {
      return "StrataTypes::StrataPort";
   } else if constexpr( std::is_same_v< T, Lumo::IntfId > ) {
      return "Lumo::IntfId";
   } else if constexpr( std::is_same_v< T, CfmSw::IntfVlanTuple > ) {
      return "CfmSw::IntfVlanTuple";
   } else if constexpr( std::is_same_v< T, StrataCentral::ModId > ) {
      return "StrataCentral::ModId";
   } else if constexpr( IsPtr< T >::value ) {
      return std::remove_const_t< typename IsPtr< T >::Pointee >::quillTypeName;
   } else {
      return T::quillTypeName;
   }
}

// Argument `i` as a T: a number within T's range, a bool, a framework object
// of T's type (none gives null), a module id (boxed, or a number up to 64) or
// a boxed value of a registered value type.
template < typename T >
T
arg( const Quill::ValueList & args, std::size_t i, const std::string & op, const char * param ) {
   if( i >= args.size() ) {
      throwFor( op, param, "missing" );
   }
   const Quill::Value & v = args[ i ];
   try {
      if constexpr( std::is_same_v< T, bool > ) {
         return v.asBool();
      } else if constexpr( std::is_same_v< T, double > ) {
         return v.asDouble();
      } else if constexpr( std::is_same_v< T, Ferro::HBitmap::BitState > ) {
         return Ferro::HBitmap::BitState( v.asUnsigned( Ferro::HBitmap::stateClear ) );
      } else if constexpr( std::is_unsigned_v< T > ) {
         return T( v.asUnsigned( T( ~T( 0 ) ) ) );
      } else if constexpr( std::is_same_v< T, StrataCentral::ModId > ) {
         return v.isBoxed() ? v.as< T >() : T( unsigned( v.asUnsigned( StrataCentral::ModId::null ) ) );
      } else if constexpr( IsPtr< T >::value ) {
         using Pointee = typename IsPtr< T >::Pointee;
         if( v.isNone() || !v.asObject() ) {
            return T();
         }
         T typed = Vela::dynamicPtrCast< Pointee >( v.asObject() );
         if( !typed ) {
            throwFor( op, param, "expected a " + typeName< T >() + ", got " + v.toString() );
         }
         return typed;
      } else {
         return v.as< T >();
      }
   } catch( const Quill::RangeException & e ) {
      throwFor( op, param, e.what() );
   }
}

// A value as the generic interface hands it back.
template < typename T >
Quill::Value
result( const T & value ) {
   if constexpr( std::is_arithmetic_v< T > || IsPtr< T >::value ) {
      return Quill::Value( value );
   } else {
      return Quill::Value::boxed( value );
   }
}

// --- the table -----------------------------------------------------------

// What one generic operation does on an attribute of an Object: the result,
// from the arguments.
template < typename Object >
using Handler = std::function< Quill::Value( Object &, const Quill::ValueList & ) >;

template < typename Object >
struct Attribute {
   Quill::AttributeId id;
   std::string name;
   Quill::AttrKind kind;
   std::string typeName; // value, element or result type
   std::vector< Quill::ParamInfo > params;
   std::vector< std::pair< Quill::AttrOp, Handler< Object > > > handlers;
};

// The generic attribute operation over a table.
template < typename Object >
Quill::AttrAnswer
dispatch( const std::vector< Attribute< Object > > & table, void * object, Quill::AttributeId id, Quill::AttrOp op,
          const Quill::ValueList & args, Quill::Value & result ) {
   auto * typed = dynamic_cast< Object * >( static_cast< Quill::PtrInterface * >( object ) );
   if( !typed ) {
      return Quill::AttrAnswer::noSuchAttribute;
   }
   for( const Attribute< Object > & row : table ) {
      if( row.id != id ) {
         continue;
      }
      for( const auto & [ handledOp, handler ] : row.handlers ) {
         if( handledOp == op ) {
            result = handler( *typed, args );
            return Quill::AttrAnswer::done;
         }
      }
      return Quill::AttrAnswer::notSupported;
   }
   return Quill::AttrAnswer::noSuchAttribute;
}

// The framework type of Object, described by the table `table()` returns and
// reached through it; made once, and kept for the life of the process (the
// type registry refers to it until the very end).
template < typename Object, const std::vector< Attribute< Object > > & ( *table )() >
Quill::TypeInfo &
typeInfoOf( const char * name, Quill::TypeKind kind ) {
   static Quill::TypeInfo * type = [ & ] {
      auto * made = new Quill::TypeInfo;
      made->name = name;
      made->kind = kind;
      for( const Attribute< Object > & row : table() ) {
         unsigned ops = 0;
         for( const auto & handler : row.handlers ) {
            ops |= Quill::opBit( handler.first );
         }
         made->attributes.push_back( { row.id, row.name, row.kind, row.typeName, ops, row.params } );
      }
      made->genericAttr = []( void * object, Quill::AttributeId id, Quill::AttrOp op, const Quill::ValueList & args,
                              Quill::Value & result ) { return dispatch( table(), object, id, op, args, result ); };
      return made;
   }();
   return *type;
}

// The result and parameter types of a member function, const or not.
template < typename R, typename... Ps >
struct Signature {
   using Result = std::decay_t< R >;
   using Params = std::tuple< std::decay_t< Ps >... >;
};
template < typename C, typename R, typename... Ps, bool noThrow >
Signature< R, Ps... > signatureOf( R ( C::* )( Ps... ) noexcept( noThrow ) );
template < typename C, typename R, typename... Ps, bool noThrow >
Signature< R, Ps... > signatureOf( R ( C::* )( Ps... ) const noexcept( noThrow ) );
template < auto method >
using MethodTraits = decltype( signatureOf( method ) );

// Calls `method` on the object with the arguments converted to its
// parameters, whose names are `names`.
template < auto method, typename Object, std::size_t... I >
Quill::Value
invoke( Object & object, const Quill::ValueList & args, const std::string & op,
        const std::array< const char *, sizeof...( I ) > & names, std::index_sequence< I... > ) {
   using Params = typename MethodTraits< method >::Params;
   using Result = typename MethodTraits< method >::Result;
   countIs( args, sizeof...( I ), op );
   if constexpr( std::is_void_v< Result > ) {
      ( object.*method )( arg< std::tuple_element_t< I, Params > >( args, I, op, names[ I ] )... );
      return Quill::Value();
   } else {
      return result( ( object.*method )( arg< std::tuple_element_t< I, Params > >( args, I, op, names[ I ] )... ) );
   }
}

// A callable operation: `method` with its parameters named in order.
template < auto method, typename Object, typename... Names >
Attribute< Object >
operation( Quill::AttributeId id, const char * name, Names... paramNames ) {
   using Params = typename MethodTraits< method >::Params;
   static_assert( sizeof...( Names ) == std::tuple_size_v< Params >, "name every parameter" );
   const std::array< const char *, sizeof...( Names ) > names{ paramNames... };
   std::vector< Quill::ParamInfo > params;
   [ & ]< std::size_t... I >( std::index_sequence< I... > ) {
      ( params.push_back( { names[ I ], typeName< std::tuple_element_t< I, Params > >() } ), ... );
   }
   ( std::make_index_sequence< sizeof...( Names ) >() );
   const std::string op = name;
   return { id,
            name,
            Quill::AttrKind::operation,
            typeName< typename MethodTraits< method >::Result >(),
            std::move( params ),
            { { Quill::AttrOp::call, [ op, names ]( Object & object, const Quill::ValueList & args ) {
                  return invoke< method >( object, args, op, names, std::make_index_sequence< sizeof...( Names ) >() );
               } } } };
}

// A read-only attribute: `getter`'s result, for a read with no argument.
template < auto getter, typename Object >
Attribute< Object >
readOnly( Quill::AttributeId id, const char * name, Quill::AttrKind kind = Quill::AttrKind::constructor ) {
   const std::string op = name;
   return { id,
            name,
            kind,
            typeName< typename MethodTraits< getter >::Result >(),
            {},
            { { Quill::AttrOp::read, [ op ]( Object & object, const Quill::ValueList & args ) {
                  countIs( args, 0, op );
                  return result( ( object.*getter )() );
               } } } };
}

// A value attribute: read with `getter`, written with `setter` from one
// argument of the getter's type.
template < auto getter, auto setter, typename Object >
Attribute< Object >
value( Quill::AttributeId id, const char * name ) {
   using V = typename MethodTraits< getter >::Result;
   Attribute< Object > row = readOnly< getter, Object >( id, name, Quill::AttrKind::value );
   const std::string op = name;
   row.handlers.push_back( { Quill::AttrOp::write, [ op ]( Object & object, const Quill::ValueList & args ) {
                               countIs( args, 1, op );
                               ( object.*setter )( arg< V >( args, 0, op, op.c_str() ) );
                               return Quill::Value();
                            } } );
   return row;
}

// Input `index` of the object's inputs(), read-only.
template < typename Object >
Attribute< Object >
input( Quill::AttributeId id, const char * name, std::size_t index ) {
   return { id,
            name,
            Quill::AttrKind::constructor,
            SliceInputs::params()[ index ].typeName,
            {},
            { { Quill::AttrOp::read, [ name, index ]( Object & object, const Quill::ValueList & args ) {
                  countIs( args, 0, name );
                  return object.inputs().values()[ index ];
               } } } };
}

} // namespace Strata::Generic
