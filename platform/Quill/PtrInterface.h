// The framework's reference-counted object.
//
// Every framework object counts its references in one 32-bit word that also
// carries two flags: bit 31 marks the object for deletion and bit 29 says its
// notifications are active. The object dies when the word masked with
// 0x5fffffff reaches zero, so the flags never keep an object alive. Counting
// is atomic only while Quill::VFPtrInterface::threadSafePointers_ is non-zero;
// otherwise it is a plain load and store, which is all the single activity
// thread needs.
#pragma once

#include "Quill/Types.h"

#include <atomic>
#include <cstddef>

namespace Pallet {
struct TypeTracker;
}

namespace Quill {

class TypeInfo;

struct VFPtrInterface {
   // Non-zero: reference counts and flags are updated with atomic operations.
   static int threadSafePointers_;
};

class PtrInterface {
 public:
   static constexpr U32 deletionMarkBit = 1u << 31;
   static constexpr U32 notificationActiveBit = 1u << 29;
   static constexpr U32 countMask = 0x5fffffffu;
   static constexpr const char * quillTypeName = "Quill::PtrInterface";

   class NotifieeConst;

   PtrInterface();
   PtrInterface( const PtrInterface & ) = delete;
   PtrInterface & operator=( const PtrInterface & ) = delete;
   virtual ~PtrInterface();

   // The framework type of this object; null for objects of no registered type.
   virtual const TypeInfo * fwkType() const;

   void referencesInc() const noexcept;
   // Drops one reference; the object is destroyed when none is left.
   void referencesDec() const noexcept;
   U32 references() const noexcept { return word() & countMask; }
   U32 referenceWord() const noexcept { return word(); }

   bool quillMarkedForDeletion() const noexcept { return word() & deletionMarkBit; }
   void quillMarkedForDeletionIs( bool marked ) noexcept { flagIs( deletionMarkBit, marked ); }
   bool hasNotificationActive() const noexcept { return word() & notificationActiveBit; }
   void hasNotificationActiveIs( bool active ) noexcept { flagIs( notificationActiveBit, active ); }

   // A number given once per object and never reused in the process: the
   // identity the host shows and compares, holding no reference.
   U64 serial() const noexcept { return serial_; }

   // Called by the slab allocator right after construction.
   void palletBlockIs( std::size_t size, Pallet::TypeTracker * tracker ) noexcept {
      palletSize_ = size;
      palletTracker_ = tracker;
   }

 protected:
   // Runs when the last reference goes: destroys the object and gives its
   // memory back where it came from.
   virtual void zeroReferencesIs() const noexcept;

 private:
   U32 word() const noexcept { return word_.load( std::memory_order_relaxed ); }
   void flagIs( U32 bit, bool on ) noexcept;

   mutable std::atomic< U32 > word_{ 0 };
   U64 serial_;
   std::size_t palletSize_ = 0;
   Pallet::TypeTracker * palletTracker_ = nullptr;
};

} // namespace Quill
