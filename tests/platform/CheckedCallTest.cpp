// The discipline around SDK calls: what a failed call leaves on standard
// error, and that the locks are free during the call. (What a good call
// traces: scenarios/tracer_apply_withdraw.scn.)
#include "Shim/CheckedCall.h"
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Shim::SimChip;

const char * const readText = "soc_mem_read( unit, PORT_TABm, MEM_BLOCK_ANY, 3, &entry )";

class CheckedCallTest : public ::testing::Test {
 protected:
   void SetUp() override {
      chip.reset();
      Quill::traceLevelsIs( "CheckedCallTestApi", 1u << 4 );
      Quill::traceSinkIs(
         [ this ]( const Quill::TraceRecord & r ) { records.push_back( Quill::formatTraceLine( r ) ); } );
   }
   void TearDown() override {
      Quill::traceSinkIs( nullptr );
      chip.failureHookIs( nullptr );
      chip.reset();
   }
   Shim::CallSite site( int line, const char * text ) const {
      return Shim::CallSite{ api, "/src/T", line, "probe", text };
   }
   int readPortTab( int unit ) {
      SimChip::Entry entry{};
      return Shim::sdk_->soc_mem_read( unit, Shim::sdk_->PORT_TABm(), Shim::sdk_->MEM_BLOCK_ANY(), 3, entry.data() );
   }
   Quill::TraceHandle api{ "CheckedCallTestApi", false };
   std::vector< std::string > records;
   SimChip & chip = Shim::simChip();
};

using CheckedCallDeathTest = CheckedCallTest;

TEST_F( CheckedCallDeathTest, FailedCallWritesOneLineRunsTheFailureHookAndStops ) {
   GTEST_FLAG_SET( death_test_style, "threadsafe" );
   const auto failingRead = [ this ]( int unit ) {
      chip.failureHookIs( [] { std::fputs( "failure hook ran\n", stderr ); } );
      Shim::checkedCall( site( 42, readText ), [ & ] { return readPortTab( unit ); } );
   };
   EXPECT_DEATH( failingRead( 9 ), "(^|\n)/src/T:42 soc_mem_read\\( unit, PORT_TABm, MEM_BLOCK_ANY, 3, &entry \\) "
                                   "API ERROR:Invalid unit \\(-3\\)\nfailure hook ran\n" );
   EXPECT_DEATH(
      {
         chip.failNext( SimChip::Op::memRead, chip.PORT_TABm(), 2, 3, Shim::SOC_E_FAIL );
         failingRead( 2 );
      },
      "(^|\n)/src/T:42 soc_mem_read\\( unit, PORT_TABm, MEM_BLOCK_ANY, 3, &entry \\) "
      "API ERROR:Operation failed \\(-11\\)\nfailure hook ran\n" );
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
      } ).join();
      return SimChip::soc_mem_read( unit, mem, copyno, index, data );
   }
};

TEST_F( CheckedCallTest, LocksAreFreeDuringTheCallAndRetakenAtTheSameDepth ) {
   LockProbeChip probe;
   Shim::Sdk * const installed = std::exchange( Shim::sdk_, &probe );
   {
      std::lock_guard outer( Quill::activityLock() );
      std::lock_guard inner( Quill::activityLock() );
      std::lock_guard gil( Quill::interpreterLock() );
      Shim::checkedCall( site( 20, readText ), [ & ] { return readPortTab( 0 ); } );
      EXPECT_EQ( Quill::activityLock().depth(), 2u );
      EXPECT_TRUE( Quill::activityLock().heldByThisThread() && Quill::interpreterLock().heldByThisThread() );
   }
   Shim::sdk_ = installed;
   EXPECT_TRUE( probe.activityFree );
   EXPECT_TRUE( probe.interpreterFree );
   EXPECT_EQ( probe.callCount( SimChip::Op::memRead ), 1u );
}

} // namespace
