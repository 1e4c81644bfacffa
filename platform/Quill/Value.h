// Quill::Value: the generic value through which the generic attribute
// interface passes arguments and results.
//
// It holds nothing, a bool, a signed or unsigned integer, a double, text, a
// framework object, a value of a registered value type (boxed with its type),
// or a list of values.
#pragma once

#include "Quill/PtrInterface.h"
#include "Vela/Ptr.h"

#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace Quill {

class TypeInfo;
class Value;
using ValueList = std::vector< Value >;

// A value type's type information; specialised by every registered value type.
template < typename T >
struct ValueTraits;

struct Boxed {
   const TypeInfo * type = nullptr;
   std::shared_ptr< const void > data;
   // Identity; Value::equals compares contents.
   friend bool operator==( const Boxed & a, const Boxed & b ) noexcept { return a.type == b.type && a.data == b.data; }
};

class Value {
 public:
   using Object = Vela::Ptr< PtrInterface >;
   using List = std::shared_ptr< const ValueList >;

   Value() = default;
   Value( bool b ) : v_( b ) {}
   template < typename I, std::enable_if_t<
                             std::is_integral_v< I > && !std::is_same_v< I, bool > && std::is_signed_v< I >, int > = 0 >
   Value( I i ) : v_( static_cast< std::int64_t >( i ) ) {}
   template <
      typename I,
      std::enable_if_t< std::is_integral_v< I > && !std::is_same_v< I, bool > && std::is_unsigned_v< I >, int > = 0 >
   Value( I u ) : v_( static_cast< std::uint64_t >( u ) ) {}
   Value( double d ) : v_( d ) {}
   Value( std::string s ) : v_( std::move( s ) ) {}
   Value( const char * s ) : v_( std::string( s ) ) {}
   template < typename T >
   Value( const Vela::Ptr< T > & p ) : v_( Object( const_cast< std::remove_const_t< T > * >( p.ptr() ) ) ) {}
   Value( Boxed boxed ) : v_( std::move( boxed ) ) {}
   Value( ValueList list ) : v_( std::make_shared< const ValueList >( std::move( list ) ) ) {}

   // A value of a registered value type.
   template < typename T >
   static Value boxed( const T & value ) {
      return Value( Boxed{ &ValueTraits< T >::type(), std::make_shared< const T >( value ) } );
   }

   bool isNone() const noexcept { return std::holds_alternative< std::monostate >( v_ ); }
   bool isBool() const noexcept { return std::holds_alternative< bool >( v_ ); }
   bool isNumber() const noexcept;
   bool isString() const noexcept { return std::holds_alternative< std::string >( v_ ); }
   bool isObject() const noexcept { return std::holds_alternative< Object >( v_ ); }
   bool isBoxed() const noexcept { return std::holds_alternative< Boxed >( v_ ); }
   bool isList() const noexcept { return std::holds_alternative< List >( v_ ); }

   // The accessors below throw Quill::RangeException naming what was wanted
   // and what is held when the value is of another kind or does not fit.
   bool asBool() const;
   std::int64_t asInt() const;
   std::uint64_t asUnsigned( std::uint64_t max = ~std::uint64_t( 0 ) ) const;
   double asDouble() const;
   const std::string & asString() const;
   const Object & asObject() const; // null object for a none value
   const Boxed & asBoxed() const;
   const ValueList & asList() const;

   // The object as a T; null when none or of another type.
   template < typename T >
   Vela::Ptr< T > asPtr() const {
      if( isNone() ) {
         return {};
      }
      return Vela::dynamicPtrCast< T >( asObject() );
   }
   // The boxed value as a T; throws when it holds another type.
   template < typename T >
   const T & as() const {
      checkBoxedType( ValueTraits< T >::type() );
      return *static_cast< const T * >( asBoxed().data.get() );
   }

   // Text for people: numbers in decimal, booleans as true/false, objects as
   // their type and serial number, boxed values in their type's representation.
   std::string toString() const;
   // Same kind and same content; numbers compare numerically across kinds and
   // objects by identity.
   bool equals( const Value & other ) const;

 private:
   void checkBoxedType( const TypeInfo & wanted ) const;
   std::string kindName() const;

   std::variant< std::monostate, bool, std::int64_t, std::uint64_t, double, std::string, Object, Boxed, List > v_;
};

} // namespace Quill
