// The activity lock and the anchors that give it up around a blocking call.
#include "Quill/ActivityLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

void
waitFor( const std::atomic< bool > & flag ) {
   while( !flag ) {
      std::this_thread::yield();
   }
}

TEST( ActivityLock, RecursiveForItsHolderOnly ) {
   Quill::ActivityLock lock;
   lock.lock();
   lock.lock();
   EXPECT_TRUE( lock.try_lock() );
   EXPECT_EQ( lock.depth(), 3u );
   std::thread( [ &lock ] {
      EXPECT_FALSE( lock.heldByThisThread() );
      EXPECT_FALSE( lock.try_lock() );
      lock.unlock(); // not the holder: ignored
   } ).join();
   EXPECT_EQ( lock.depth(), 3u );
   for( int i = 0; i < 3; ++i ) {
      lock.unlock();
   }
   EXPECT_EQ( lock.depth(), 0u );
   EXPECT_FALSE( lock.heldByThisThread() );
}

TEST( ActivityLock, UnlockAnchorReleasesEntirelyAndRetakesAtTheSameDepth ) {
   Quill::ActivityLock lock;
   lock.lock();
   lock.lock();
   std::atomic< bool > taken{ false }, released{ false };
   std::thread other;
   {
      Quill::UnlockAnchor anchor( lock );
      EXPECT_EQ( lock.depth(), 0u );
      other = std::thread( [ & ] {
         lock.lock();
         taken = true;
         std::this_thread::sleep_for( std::chrono::milliseconds( 50 ) );
         released = true;
         lock.unlock();
      } );
      waitFor( taken );
   } // retaking waits until the other thread has let go
   EXPECT_TRUE( released );
   EXPECT_TRUE( lock.heldByThisThread() );
   EXPECT_EQ( lock.depth(), 2u );
   other.join();
   lock.unlock();
   lock.unlock();
}

TEST( ActivityLock, AnchorOnAThreadThatDoesNotHoldItDoesNothing ) {
   Quill::ActivityLock lock;
   std::atomic< bool > holding{ false }, done{ false };
   std::thread holder( [ & ] {
      lock.lock();
      holding = true;
      waitFor( done );
      lock.unlock();
   } );
   waitFor( holding );
   {
      Quill::UnlockAnchor anchor( lock );
      EXPECT_EQ( lock.depth(), 1u );
      EXPECT_FALSE( lock.try_lock() );
   }
   EXPECT_EQ( lock.depth(), 1u );
   EXPECT_FALSE( lock.heldByThisThread() );
   done = true;
   holder.join();
}

} // namespace
