// The discipline around SDK calls: what a good and a failed call leave in the
// trace and on standard error, and that the locks are free during the call.
#include "Shim/CheckedCall.h"
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Shim::SimChip;

const char * const handleName = "CheckedCallTestApi";
const char * const path = "/src/Test/CallSite";
const char * const readText = "soc_mem_read( unit, PORT_TABm, MEM_BLOCK_ANY, 3, &entry )";

class CheckedCallTest : public ::testing::Test {
 protected:
   Quill::TraceHandle api{ handleName, false };
   std::vector< Quill::TraceRecord > records;
   SimChip & chip = Shim::simChip();
   SimChip::Entry entry{};

   void SetUp() override {
      chip.reset();
      Quill::traceLevelsIs( handleName, 1u << 4 );
      Quill::traceSinkIs( [ this ]( const Quill::TraceRecord & r ) { records.push_back( r ); } );
   }
   void TearDown() override {
      Quill::traceSinkIs( nullptr );
      chip.accessHookIs( nullptr );
      chip.failureHookIs( nullptr );
      chip.reset();
   }
   Shim::CallSite site( int line, const char * text ) const {
      return Shim::CallSite{ api, path, line, "probe", text };
   }
   int readPortTab( int unit ) {
      return Shim::sdk_->soc_mem_read( unit, Shim::sdk_->PORT_TABm(), Shim::sdk_->MEM_BLOCK_ANY(),
                                       3, entry.data() );
   }
};

using CheckedCallDeathTest = CheckedCallTest;

TEST_F( CheckedCallDeathTest, FailedCallWritesOneLineRunsTheFailureHookAndStops ) {
   GTEST_FLAG_SET( death_test_style, "threadsafe" );
   const auto failingRead = [ this ]( int unit ) {
      chip.failureHookIs( [] { std::fputs( "failure hook ran\n", stderr ); } );
      Shim::checkedCall( site( 42, readText ), [ & ] { return readPortTab( unit ); } );
   };
   EXPECT_DEATH( failingRead( 9 ),
                 "(^|\n)/src/Test/CallSite:42 soc_mem_read\\( unit, PORT_TABm, MEM_BLOCK_ANY, 3, "
                 "&entry \\) API ERROR:Invalid unit \\(-3\\)\nfailure hook ran\n" );
   EXPECT_DEATH(
      {
         chip.failNext( SimChip::Op::memRead, chip.PORT_TABm(), 2, 3, Shim::SOC_E_FAIL );
         failingRead( 2 );
      },
      "(^|\n)/src/Test/CallSite:42 soc_mem_read\\( unit, PORT_TABm, MEM_BLOCK_ANY, 3, &entry "
      "\\) API ERROR:Operation failed \\(-11\\)\nfailure hook ran\n" );
}

TEST_F( CheckedCallTest, GoodCallIsTracedAtLevelFourAfterTheAccessHook ) {
   int hookCalls = 0;
   chip.accessHookIs( [ & ] { ++hookCalls; } );
   EXPECT_EQ( Shim::checkedCall( site( 7, readText ), [ & ] { return readPortTab( 0 ); } ), 0 );
   EXPECT_EQ( hookCalls, 1 );
   ASSERT_EQ( records.size(), 1u );
   EXPECT_EQ( records[ 0 ].handle, handleName );
   EXPECT_EQ( records[ 0 ].level, 4u );
   EXPECT_EQ( records[ 0 ].file, path );
   EXPECT_EQ( records[ 0 ].line, 7 );
   EXPECT_EQ( records[ 0 ].function, "probe" );
   EXPECT_EQ( records[ 0 ].text, std::string( path ) + ":7 " + readText + " (rc:0)" );

   // A positive code is a success too, and is returned as it is.
   EXPECT_EQ( Shim::checkedCall( site( 8, "positive()" ), [] { return 3; } ), 3 );
   EXPECT_EQ( records.back().text, std::string( path ) + ":8 positive() (rc:3)" );

   // With level 4 off nothing reaches the sink.
   Quill::traceLevelsIs( handleName, 0 );
   Shim::checkedCall( site( 9, readText ), [ & ] { return readPortTab( 0 ); } );
   EXPECT_EQ( records.size(), 2u );
}

TEST_F( CheckedCallTest, UncheckedCallSkipsHooksAndCodeAndSaysSo ) {
   int hookCalls = 0;
   chip.accessHookIs( [ & ] { ++hookCalls; } );
   chip.failureHookIs( [ & ] { ++hookCalls; } );
   U32 data = 0;
   const char * text = "soc_reg32_get( unit, CPU_PKT_PROFILE_2r, REG_PORT_ANY, 0, &regval )";
   Shim::uncheckedCall( site( 11, text ), [ & ] {
      return Shim::sdk_->soc_reg32_get( 8, Shim::sdk_->CPU_PKT_PROFILE_2r(),
                                        Shim::sdk_->REG_PORT_ANY(), 0, &data );
   } );
   EXPECT_EQ( hookCalls, 0 );
   EXPECT_EQ( chip.callCount( SimChip::Op::reg32Get ), 1u );
   ASSERT_EQ( records.size(), 1u );
   EXPECT_EQ( records[ 0 ].level, 4u );
   EXPECT_EQ( records[ 0 ].text, std::string( path ) + ":11 " + text + " no rc check" );
}

// A chip whose memory read checks, from another thread, that neither the
// activity lock nor the interpreter lock is held while the SDK runs.
class LockProbeChip : public SimChip {
 public:
   bool activityFree = false;
   bool interpreterFree = false;

   int soc_mem_read( int unit, Shim::soc_mem_t mem, int copyno, int index,
                     void * data ) override {
      // try_lock keeps the test from hanging when a lock is wrongly held.
      std::thread other( [ this ] {
         activityFree = Quill::activityLock().try_lock();
         if( activityFree ) {
            Quill::activityLock().unlock();
         }
         interpreterFree = Quill::interpreterLock().try_lock();
         if( interpreterFree ) {
            Quill::interpreterLock().unlock();
         }
      } );
      other.join();
      return SimChip::soc_mem_read( unit, mem, copyno, index, data );
   }
};

TEST_F( CheckedCallTest, LocksAreFreeDuringTheCallAndRetakenAtTheSameDepth ) {
   LockProbeChip probe;
   Shim::Sdk * const installed = Shim::sdk_;
   Shim::sdk_ = &probe;
   {
      std::lock_guard outer( Quill::activityLock() );
      std::lock_guard inner( Quill::activityLock() );
      std::lock_guard gil( Quill::interpreterLock() );
      Shim::checkedCall( site( 20, readText ), [ & ] { return readPortTab( 0 ); } );
      EXPECT_TRUE( Quill::activityLock().heldByThisThread() );
      EXPECT_EQ( Quill::activityLock().depth(), 2u );
      EXPECT_TRUE( Quill::interpreterLock().heldByThisThread() );
   }
   Shim::sdk_ = installed;
   EXPECT_TRUE( probe.activityFree );
   EXPECT_TRUE( probe.interpreterFree );
   EXPECT_EQ( probe.callCount( SimChip::Op::memRead ), 1u );
   EXPECT_EQ( Quill::activityLock().depth(), 0u );
}

} // namespace
