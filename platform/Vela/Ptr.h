// Vela::Ptr<T>: a counted reference to a framework object.
//
// Null is a valid value. Two pointers are equal when they point at the same
// object (identity, never value). Holding a Ptr keeps the object alive; the
// object dies with its last Ptr (see Quill::PtrInterface).
#pragma once

#include "Quill/PtrInterface.h"

#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>

namespace Vela {

template < typename T >
class Ptr {
 public:
   using element_type = T;

   Ptr() noexcept = default;
   Ptr( std::nullptr_t ) noexcept {}
   explicit Ptr( T * raw ) noexcept : p_( raw ) { acquire(); }
   Ptr( const Ptr & other ) noexcept : p_( other.p_ ) { acquire(); }
   Ptr( Ptr && other ) noexcept : p_( std::exchange( other.p_, nullptr ) ) {}
   template < typename U, typename = std::enable_if_t< std::is_convertible_v< U *, T * > > >
   Ptr( const Ptr< U > & other ) noexcept : p_( other.ptr() ) {
      acquire();
   }
   template < typename U, typename = std::enable_if_t< std::is_convertible_v< U *, T * > > >
   Ptr( Ptr< U > && other ) noexcept : p_( other.release() ) {}
   ~Ptr() { drop(); }

   Ptr & operator=( const Ptr & other ) noexcept {
      Ptr( other ).swap( *this );
      return *this;
   }
   Ptr & operator=( Ptr && other ) noexcept {
      Ptr( std::move( other ) ).swap( *this );
      return *this;
   }
   Ptr & operator=( std::nullptr_t ) noexcept {
      Ptr().swap( *this );
      return *this;
   }

   T * ptr() const noexcept { return p_; }
   T * operator->() const noexcept { return p_; }
   T & operator*() const noexcept { return *p_; }
   explicit operator bool() const noexcept { return p_ != nullptr; }

   // Gives up the reference without dropping it; the caller now owns it.
   T * release() noexcept { return std::exchange( p_, nullptr ); }
   void swap( Ptr & other ) noexcept { std::swap( p_, other.p_ ); }

 private:
   void acquire() const noexcept {
      if( p_ ) {
         p_->referencesInc();
      }
   }
   void drop() noexcept {
      if( T * p = std::exchange( p_, nullptr ) ) {
         p->referencesDec();
      }
   }

   T * p_ = nullptr;
};

// Compared as framework objects: a derived class whose framework base is not
// its first base lives at another address than that base, and both pointers
// must still be found to be the same object.
template < typename T >
const Quill::PtrInterface *
identityOf( const Ptr< T > & p ) noexcept {
   return p.ptr();
}

template < typename T, typename U >
bool
operator==( const Ptr< T > & a, const Ptr< U > & b ) noexcept {
   return identityOf( a ) == identityOf( b );
}
template < typename T >
bool
operator==( const Ptr< T > & a, std::nullptr_t ) noexcept {
   return !a;
}

// The object as a U when it is one, else null.
template < typename U, typename T >
Ptr< U >
dynamicPtrCast( const Ptr< T > & p ) noexcept {
   return Ptr< U >( dynamic_cast< U * >( p.ptr() ) );
}

} // namespace Vela

template < typename T >
struct std::hash< Vela::Ptr< T > > {
   std::size_t operator()( const Vela::Ptr< T > & p ) const noexcept {
      return std::hash< const void * >()( Vela::identityOf( p ) );
   }
};
