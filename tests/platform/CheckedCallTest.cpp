// The discipline around SDK calls: what a failed call leaves on standard
// error, and that the locks are free during the call. (What a good call
// traces: scenarios/plugin/tracer_apply_withdraw.scn; a fault injected on one entry
// stopping the agent with its call site: scenarios/plugin/tracer_port_tab_read_failure.scn.)
#include "Shim/CheckedCall.h"
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>

namespace {

using Shim::SimChip;

const Quill::TraceHandle api{ "CheckedCallTestApi", false };
const Shim::CallSite site{ api, "/src/T", 42, "probe", "soc_mem_read( unit, PORT_TABm, MEM_BLOCK_ANY, 3, &entry )" };

TEST( CheckedCallDeathTest, FailedCallWritesOneLineRunsTheFailureHookAndStops ) {
   GTEST_FLAG_SET( death_test_style, "threadsafe" );
   EXPECT_DEATH(
      {
         Shim::simChip().failureHookIs( [] { std::fputs( "failure hook ran\n", stderr ); } );
         SimChip::Entry entry{};
         Shim::checkedMemRead( site, 9, Shim::sdk_->PORT_TABm(), 3, entry.data() );
      },
      "(^|\n)/src/T:42 soc_mem_read\\( unit, PORT_TABm, MEM_BLOCK_ANY, 3, &entry \\) "
      "API ERROR:Invalid unit \\(-3\\)\nfailure hook ran\n" );
}

// A chip whose memory read checks, from another thread, that neither the
// activity lock nor the interpreter lock is held while the SDK runs.
class LockProbeChip : public SimChip {
 public:
   bool activityFree = false;
   bool interpreterFree = false;
   int soc_mem_read( int unit, Shim::soc_mem_t mem, int copyno, int index, void * data ) override {
      std::thread( [ this ] { // try_lock keeps the test from hanging when a lock is wrongly held
         if( ( activityFree = Quill::activityLock().try_lock() ) ) {
            Quill::activityLock().unlock();
         }
         if( ( interpreterFree = Quill::interpreterLock().try_lock() ) ) {
            Quill::interpreterLock().unlock();
         }
      } )
         .join();
      return SimChip::soc_mem_read( unit, mem, copyno, index, data );
   }
};

TEST( CheckedCallTest, LocksAreFreeDuringTheCallAndRetakenAtTheSameDepth ) {
   LockProbeChip probe;
   Shim::Sdk * const installed = std::exchange( Shim::sdk_, &probe );
   {
      std::lock_guard outer( Quill::activityLock() );
      std::lock_guard inner( Quill::activityLock() );
      std::lock_guard gil( Quill::interpreterLock() );
      SimChip::Entry entry{};
      Shim::checkedMemRead( site, 0, Shim::sdk_->PORT_TABm(), 3, entry.data() );
      EXPECT_EQ( Quill::activityLock().depth(), 2u );
      EXPECT_TRUE( Quill::activityLock().heldByThisThread() && Quill::interpreterLock().heldByThisThread() );
   }
   Shim::sdk_ = installed;
   EXPECT_TRUE( probe.activityFree );
   EXPECT_TRUE( probe.interpreterFree );
}

} // namespace
