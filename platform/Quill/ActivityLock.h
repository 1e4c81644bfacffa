// The activity lock, held by the agent's activity thread during every
// callback, and the anchors that give it up around a blocking call.
//
// The lock is recursive for its holder. An UnlockAnchor releases it entirely
// (however deep the holder is) for the anchor's lifetime and then takes it
// back at the same depth; on a thread that does not hold it, the anchor does
// nothing. MaybeGilUnlockAnchor does the same for the interpreter lock, which
// the host holds only while it runs interpreted code.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace Quill {

class ActivityLock {
 public:
   void lock();
   void unlock();
   bool try_lock();
   bool heldByThisThread() const;
   // How many times the holder has taken it; 0 when free.
   unsigned depth() const;

 private:
   friend class UnlockAnchor;
   friend class MaybeGilUnlockAnchor;
   // Releases every level held by this thread; returns how many.
   unsigned releaseAll();
   void retake( unsigned depth );

   mutable std::mutex mutex_;
   std::condition_variable freed_;
   std::thread::id owner_;
   unsigned depth_ = 0;
};

ActivityLock & activityLock();
// The interpreter lock; the stand-in host holds it only when it says so.
ActivityLock & interpreterLock();

class UnlockAnchor {
 public:
   explicit UnlockAnchor( ActivityLock & lock );
   ~UnlockAnchor();
   UnlockAnchor( const UnlockAnchor & ) = delete;
   UnlockAnchor & operator=( const UnlockAnchor & ) = delete;

 private:
   ActivityLock & lock_;
   unsigned released_;
};

class MaybeGilUnlockAnchor {
 public:
   MaybeGilUnlockAnchor();
   ~MaybeGilUnlockAnchor();
   MaybeGilUnlockAnchor( const MaybeGilUnlockAnchor & ) = delete;
   MaybeGilUnlockAnchor & operator=( const MaybeGilUnlockAnchor & ) = delete;

 private:
   unsigned released_;
};

} // namespace Quill
