// Pallet: the framework's slab allocator, with allocation tracking per type.
//
// Framework objects come from size-classed slabs; freed blocks are kept for
// reuse. Every allocation is counted against the object's type so that the
// host and tests can ask how many objects of a type are alive, which is how
// leaks of framework objects are caught.
#pragma once

#include "Vela/Ptr.h"

#include <cstddef>
#include <map>
#include <new>
#include <set>
#include <string>
#include <utility>

namespace Pallet {

struct TypeTracker {
   std::string typeName;
   std::size_t live = 0;        // objects allocated and not yet freed
   std::size_t allocations = 0; // objects ever allocated
   std::size_t liveBytes = 0;
};

// The tracker for a type name; created on first use, never moves.
TypeTracker & tracker( const std::string & typeName );

void * allocate( std::size_t size, TypeTracker & tracker );
void deallocate( void * block, std::size_t size, TypeTracker & tracker ) noexcept;

// Live object counts by type name (types with at least one allocation ever).
std::map< std::string, TypeTracker > trackers();
std::size_t liveObjects( const std::string & typeName );

// Every type name whose objects the code loaded so far can make, whether it
// made any or not: each use of make<T> in a library names T when the library
// is loaded. What the host checks a type name against.
std::set< std::string > makeableTypes();

namespace detail {
void makeableTypeIs( const char * typeName );
template < typename T >
inline const bool makeable = ( makeableTypeIs( T::quillTypeName ), true );
} // namespace detail

// Allocates and constructs a T from the slabs, tracked under T::quillTypeName.
// When the constructor throws, the block is returned and the tracking undone
// before the exception goes on.
template < typename T, typename... Args >
Vela::Ptr< T >
make( Args &&... args ) {
   static_cast< void >( detail::makeable< T > );
   static TypeTracker & typeTracker = tracker( T::quillTypeName );
   void * block = allocate( sizeof( T ), typeTracker );
   T * object;
   try {
      object = ::new( block ) T( std::forward< Args >( args )... );
   } catch( ... ) {
      deallocate( block, sizeof( T ), typeTracker );
      throw;
   }
   object->palletBlockIs( sizeof( T ), &typeTracker );
   return Vela::Ptr< T >( object );
}

} // namespace Pallet
