#include "Quill/Value.h"

#include "Quill/Exceptions.h"
#include "Quill/Type.h"

#include <cmath>
#include <limits>
#include <sstream>

namespace Quill {

namespace {
template < typename... F >
struct Overloaded : F... {
   using F::operator()...;
};
template < typename... F >
Overloaded( F... ) -> Overloaded< F... >;
} // namespace

bool
Value::isNumber() const noexcept {
   return std::holds_alternative< std::int64_t >( v_ ) || std::holds_alternative< std::uint64_t >( v_ ) ||
          std::holds_alternative< double >( v_ );
}

std::string
Value::kindName() const {
   return std::visit(
      Overloaded{ []( std::monostate ) { return std::string( "nothing" ); },
                  []( bool ) { return std::string( "a boolean" ); },
                  []( std::int64_t ) { return std::string( "an integer" ); },
                  []( std::uint64_t ) { return std::string( "an integer" ); },
                  []( double ) { return std::string( "a number" ); },
                  []( const std::string & ) { return std::string( "text" ); },
                  []( const Object & ) { return std::string( "an object" ); },
                  []( const Boxed & b ) { return b.type ? "a " + b.type->name : std::string( "a value of no type" ); },
                  []( const List & ) { return std::string( "a list" ); } },
      v_ );
}

bool
Value::asBool() const {
   if( const bool * b = std::get_if< bool >( &v_ ) ) {
      return *b;
   }
   throw RangeException( "expected a boolean, got " + kindName() );
}

std::int64_t
Value::asInt() const {
   if( const auto * i = std::get_if< std::int64_t >( &v_ ) ) {
      return *i;
   }
   if( const auto * u = std::get_if< std::uint64_t >( &v_ ) ) {
      if( *u <= static_cast< std::uint64_t >( std::numeric_limits< std::int64_t >::max() ) ) {
         return static_cast< std::int64_t >( *u );
      }
      throw RangeException( "integer " + std::to_string( *u ) + " is too large" );
   }
   throw RangeException( "expected an integer, got " + kindName() );
}

std::uint64_t
Value::asUnsigned( std::uint64_t max ) const {
   std::uint64_t u;
   if( const auto * p = std::get_if< std::uint64_t >( &v_ ) ) {
      u = *p;
   } else if( const auto * i = std::get_if< std::int64_t >( &v_ ) ) {
      if( *i < 0 ) {
         throw RangeException( "expected an unsigned integer, got " + std::to_string( *i ) );
      }
      u = static_cast< std::uint64_t >( *i );
   } else {
      throw RangeException( "expected an unsigned integer, got " + kindName() );
   }
   if( u > max ) {
      throw RangeException( "integer " + std::to_string( u ) + " is larger than " + std::to_string( max ) );
   }
   return u;
}

double
Value::asDouble() const {
   if( const auto * d = std::get_if< double >( &v_ ) ) {
      return *d;
   }
   if( const auto * i = std::get_if< std::int64_t >( &v_ ) ) {
      return static_cast< double >( *i );
   }
   if( const auto * u = std::get_if< std::uint64_t >( &v_ ) ) {
      return static_cast< double >( *u );
   }
   throw RangeException( "expected a number, got " + kindName() );
}

const std::string &
Value::asString() const {
   if( const auto * s = std::get_if< std::string >( &v_ ) ) {
      return *s;
   }
   throw RangeException( "expected text, got " + kindName() );
}

const Value::Object &
Value::asObject() const {
   static const Object none;
   if( isNone() ) {
      return none;
   }
   if( const auto * o = std::get_if< Object >( &v_ ) ) {
      return *o;
   }
   throw RangeException( "expected an object, got " + kindName() );
}

const Boxed &
Value::asBoxed() const {
   if( const auto * b = std::get_if< Boxed >( &v_ ) ) {
      return *b;
   }
   throw RangeException( "expected a value of a registered type, got " + kindName() );
}

const ValueList &
Value::asList() const {
   if( const auto * l = std::get_if< List >( &v_ ) ) {
      return **l;
   }
   throw RangeException( "expected a list, got " + kindName() );
}

void
Value::checkBoxedType( const TypeInfo & wanted ) const {
   const Boxed & b = asBoxed();
   if( b.type != &wanted ) {
      throw RangeException( "expected a " + wanted.name + ", got " + kindName() );
   }
}

std::string
Value::toString() const {
   return std::visit(
      Overloaded{ []( std::monostate ) { return std::string( "none" ); },
                  []( bool b ) { return std::string( b ? "true" : "false" ); },
                  []( std::int64_t i ) { return std::to_string( i ); },
                  []( std::uint64_t u ) { return std::to_string( u ); },
                  []( double d ) {
                     std::ostringstream out;
                     out << d;
                     return out.str();
                  },
                  []( const std::string & s ) { return s; },
                  []( const Object & o ) {
                     if( !o ) {
                        return std::string( "null" );
                     }
                     const TypeInfo * t = o->fwkType();
                     return ( t ? t->name : std::string( "object" ) ) + "#" + std::to_string( o->serial() );
                  },
                  []( const Boxed & b ) { return b.type ? b.type->toStrep( b.data.get() ) : std::string( "none" ); },
                  []( const List & l ) {
                     std::string text = "[";
                     for( const Value & v : *l ) {
                        text += ( text.size() > 1 ? ", " : "" ) + v.toString();
                     }
                     return text + "]";
                  } },
      v_ );
}

bool
Value::equals( const Value & other ) const {
   if( isNumber() && other.isNumber() ) {
      if( std::holds_alternative< double >( v_ ) || std::holds_alternative< double >( other.v_ ) ) {
         return asDouble() == other.asDouble();
      }
      const bool negA = std::holds_alternative< std::int64_t >( v_ ) && asInt() < 0;
      const bool negB = std::holds_alternative< std::int64_t >( other.v_ ) && other.asInt() < 0;
      if( negA || negB ) {
         return negA && negB && asInt() == other.asInt();
      }
      return asUnsigned() == other.asUnsigned();
   }
   if( v_.index() != other.v_.index() ) {
      return false;
   }
   if( isBoxed() ) {
      const Boxed & a = asBoxed();
      const Boxed & b = other.asBoxed();
      return a.type && a.type == b.type && a.type->valueOps.isEq && a.type->valueOps.isEq( a.data.get(), b.data.get() );
   }
   if( isList() ) {
      const ValueList & a = asList();
      const ValueList & b = other.asList();
      if( a.size() != b.size() ) {
         return false;
      }
      for( std::size_t i = 0; i < a.size(); ++i ) {
         if( !a[ i ].equals( b[ i ] ) ) {
            return false;
         }
      }
      return true;
   }
   if( isObject() ) {
      return asObject() == other.asObject();
   }
   return v_ == other.v_;
}

} // namespace Quill
