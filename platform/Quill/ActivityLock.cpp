#include "Quill/ActivityLock.h"

namespace Quill {

void
ActivityLock::lock() {
   std::unique_lock guard( mutex_ );
   const auto me = std::this_thread::get_id();
   if( depth_ && owner_ == me ) {
      ++depth_;
      return;
   }
   freed_.wait( guard, [ this ] { return depth_ == 0; } );
   owner_ = me;
   depth_ = 1;
}

bool
ActivityLock::try_lock() {
   std::lock_guard guard( mutex_ );
   const auto me = std::this_thread::get_id();
   if( depth_ && owner_ != me ) {
      return false;
   }
   owner_ = me;
   ++depth_;
   return true;
}

void
ActivityLock::unlock() {
   std::lock_guard guard( mutex_ );
   if( !depth_ || owner_ != std::this_thread::get_id() ) {
      return; // not ours to release
   }
   if( --depth_ == 0 ) {
      owner_ = {};
      freed_.notify_one();
   }
}

bool
ActivityLock::heldByThisThread() const {
   std::lock_guard guard( mutex_ );
   return depth_ && owner_ == std::this_thread::get_id();
}

unsigned
ActivityLock::depth() const {
   std::lock_guard guard( mutex_ );
   return depth_;
}

unsigned
ActivityLock::releaseAll() {
   std::lock_guard guard( mutex_ );
   if( !depth_ || owner_ != std::this_thread::get_id() ) {
      return 0;
   }
   const unsigned released = depth_;
   depth_ = 0;
   owner_ = {};
   freed_.notify_one();
   return released;
}

void
ActivityLock::retake( unsigned depth ) {
   if( !depth ) {
      return;
   }
   std::unique_lock guard( mutex_ );
   freed_.wait( guard, [ this ] { return depth_ == 0; } );
   owner_ = std::this_thread::get_id();
   depth_ = depth;
}

ActivityLock &
activityLock() {
   static auto * lock = new ActivityLock;
   return *lock;
}

ActivityLock &
interpreterLock() {
   static auto * lock = new ActivityLock;
   return *lock;
}

UnlockAnchor::UnlockAnchor( ActivityLock & lock ) : lock_( lock ), released_( lock.releaseAll() ) {}

UnlockAnchor::~UnlockAnchor() {
   lock_.retake( released_ );
}

MaybeGilUnlockAnchor::MaybeGilUnlockAnchor() : released_( interpreterLock().releaseAll() ) {}

MaybeGilUnlockAnchor::~MaybeGilUnlockAnchor() {
   interpreterLock().retake( released_ );
}

} // namespace Quill
