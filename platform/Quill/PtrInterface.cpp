#include "Quill/PtrInterface.h"

#include "Pallet/Pallet.h"

namespace Quill {

int VFPtrInterface::threadSafePointers_ = 0;

namespace {
std::atomic< U64 > nextSerial{ 1 };
}

PtrInterface::PtrInterface() : serial_( nextSerial.fetch_add( 1, std::memory_order_relaxed ) ) {}

PtrInterface::~PtrInterface() = default;

const TypeInfo *
PtrInterface::fwkType() const {
   return nullptr;
}

void
PtrInterface::referencesInc() const noexcept {
   if( VFPtrInterface::threadSafePointers_ ) {
      word_.fetch_add( 1, std::memory_order_relaxed );
   } else {
      word_.store( word() + 1, std::memory_order_relaxed );
   }
}

void
PtrInterface::referencesDec() const noexcept {
   U32 after;
   if( VFPtrInterface::threadSafePointers_ ) {
      after = word_.fetch_sub( 1, std::memory_order_acq_rel ) - 1;
   } else {
      after = word() - 1;
      word_.store( after, std::memory_order_relaxed );
   }
   if( ( after & countMask ) == 0 ) {
      zeroReferencesIs();
   }
}

void
PtrInterface::flagIs( U32 bit, bool on ) noexcept {
   if( VFPtrInterface::threadSafePointers_ ) {
      if( on ) {
         word_.fetch_or( bit, std::memory_order_relaxed );
      } else {
         word_.fetch_and( ~bit, std::memory_order_relaxed );
      }
   } else {
      word_.store( on ? ( word() | bit ) : ( word() & ~bit ), std::memory_order_relaxed );
   }
}

void
PtrInterface::zeroReferencesIs() const noexcept {
   auto * self = const_cast< PtrInterface * >( this );
   if( palletTracker_ ) {
      const std::size_t size = palletSize_;
      Pallet::TypeTracker * tracker = palletTracker_;
      // The block starts at the most-derived object, which is not where this
      // base lives when another base class comes before it.
      void * block = dynamic_cast< void * >( self );
      self->~PtrInterface();
      Pallet::deallocate( block, size, *tracker );
   } else {
      delete self;
   }
}

} // namespace Quill
