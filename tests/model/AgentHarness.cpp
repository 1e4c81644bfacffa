// The real plug-in, driven by the simulator's host exactly as scenarios drive
// it, and the runs that compare it with the reference model step by step.
//
// Each run has a host of its own: the world's chip presets (PORT_TAB of
// every port, the LPORT_TAB presets and CPU_PKT_PROFILE_2 of each unit), the
// chip units' module information and both CFM toggles on, given as scenario
// commands,
// virtual time 0, then `agent start` with the context "model". Every action
// is its line of the simulator's language, run as it is, but for a timeout,
// which is `set slice M timeout S` on every slice, and a restart, which is
// `agent stop` and `agent start`. The agent's SOURCE_TRUNK_MAP is the host's
// table manager's.
#include "CfmToggles.h"
#include "Model.h"
#include "Simulator.h"
#include "StrataPacketTracerSliceMounter.h"
#include "audit/Audit.h"
#include "host/HostWorld.h"

#include "Pallet/Pallet.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Shim/SimChip.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace ModelTest {

namespace {

class AgentHarness {
 public:
   AgentHarness() {
      Quill::System::currentTimeIs( 0 );
      Shim::simChip().reset();
      for( const auto & [ name, tracker ] : Pallet::trackers() ) {
         liveBefore_[ name ] = tracker.live;
      }
      run( "context model" );
      for( U16 unit : chipUnits ) {
         run( "unit " + std::to_string( unit ) + " modinfo " + std::to_string( modInfoOfUnit( unit ) ) );
      }
      run( "toggle StrataCfmOnTH3 on" );
      run( "toggle StrataCfmOnTH3Masquerade on" );
      // The plug-in reads each toggle once per process: ask now, so that a
      // run that switches one off before its first slice cannot change what
      // every later run's plug-in serves.
      Strata::cfmProgrammingEnabled();
      for( const Port & port : ports() ) {
         run( "chip port-tab " + std::to_string( port.unit ) + " " + std::to_string( port.port ) + " " +
              fieldsText( portTab( port ) ) );
      }
      for( U16 unit : chipUnits ) {
         for( const auto & [ index, fields ] : lportTabPresets() ) {
            run( "chip lport-tab " + std::to_string( unit ) + " " + std::to_string( index ) + " " +
                 fieldsText( fields ) );
         }
         run( "chip cpu-pkt-profile-2 " + std::to_string( unit ) + " " + std::to_string( cpuPktProfilePreset ) );
      }
      start();
   }
   ~AgentHarness() {
      if( session_.host.started() ) {
         stop();
      }
      Quill::System::currentTimeIs( 0 );
      Shim::simChip().reset();
   }
   AgentHarness( const AgentHarness & ) = delete;
   AgentHarness & operator=( const AgentHarness & ) = delete;

   // Carries an action out on the host side; the plug-in reacts inside.
   // After a restart, what the stop left behind: see stop().
   std::vector< std::string > apply( const std::string & line ) {
      const Action action = parseAction( line );
      if( action.kind == ActionKind::timeout ) {
         for( const auto & [ modId, slice ] : root()->strataPacketTracerSliceSms() ) {
            run( "set slice " + std::to_string( modId.value() ) + " timeout " + numberText( action.seconds ) );
         }
      } else if( action.kind == ActionKind::restart ) {
         std::vector< std::string > leftovers = stop();
         start();
         return leftovers;
      } else {
         run( line );
      }
      return {};
   }
   // What the plug-in's work has left, with the completions published since
   // the last observation.
   Observation observe();
   // The audit of the world as it is: the differences from what the clients
   // asked for, one line each.
   std::vector< std::string > audit() {
      const Sim::HostWorld world( session_.host );
      return Sim::Audit( world.view() ).lines();
   }
   // Every line traced since the last call, handed to `visit`.
   void tracedLines( const std::function< void( const Quill::TraceRecord & ) > & visit ) {
      session_.trace.forEachMatching( Sim::TraceFilter(), [ & ]( const Sim::CapturedTrace & trace ) {
         visit( trace.record );
         return true;
      } );
      session_.trace.clear();
   }
   // Stops the agent; returns the framework objects left alive above the
   // counts from before the first start. (Subscribers left on the inputs are
   // checked after every plug-in test by plugin/PluginFixture.h.)
   std::vector< std::string > stop();

 private:
   // One line of the simulator's language; anything but a clean run of it is
   // the harness's failure.
   void run( const std::string & line ) {
      const std::size_t failedBefore = session_.checks.failed();
      if( !simulator_.runner().runLine( line, { "model", ++lines_ } ) || session_.checks.failed() != failedBefore ) {
         throw std::runtime_error( "'" + line + "' failed: " + err_.str() );
      }
   }
   void start() {
      run( "agent start" );
      // The status entity, made by the first start, outlives every stop.
      if( !statusWatch_.isSubscribed() ) {
         session_.host.statusEntity()->publisher().subscriberAdd( &statusWatch_, false );
      }
   }
   Vela::Ptr< Strata::StrataPacketTracerSliceRootSm > root() const {
      return Vela::dynamicPtrCast< Strata::StrataPacketTracerSliceMounter >( session_.host.mounter() )
         ->strataPacketTracerSliceRootSm();
   }
   static void statusDispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attrId, const void *,
                               const void * ) {
      if( attrId == StrataPacketTracer::LPortTableWriteRequestStatus::versionAttr ) {
         subscriber->ownerAs< AgentHarness >()->completions_.push_back( Quill::System::currentTime() );
      }
   }

   std::ostringstream out_, err_;
   Sim::Simulator simulator_{ out_, err_, true };
   Sim::Session & session_ = simulator_.session();
   std::size_t lines_ = 0;
   Vela::Subscriber statusWatch_{ &statusDispatch, this }; // notes each completion's time
   std::vector< double > completions_;
   std::map< std::string, std::size_t > liveBefore_;
};

std::vector< std::string >
AgentHarness::stop() {
   run( "agent stop" );
   std::vector< std::string > leftovers;
   for( const auto & [ name, tracker ] : Pallet::trackers() ) {
      const std::size_t before = liveBefore_.count( name ) ? liveBefore_[ name ] : 0;
      // What the plug-in makes: its own types and its bitmaps. (The host's
      // state database keeps what the mounts made.)
      const bool plugins = name.rfind( "Strata::", 0 ) == 0 || name == Ferro::Bitmap::quillTypeName;
      if( plugins && tracker.live != before ) {
         leftovers.push_back( "live " + name + ": " + std::to_string( tracker.live ) + ", before " +
                              std::to_string( before ) );
      }
   }
   return leftovers;
}

Observation
AgentHarness::observe() {
   Observation o;
   for( const auto & [ key, last ] : session_.host.sourceTrunkMap().entries() ) {
      o[ stmKey( key.first, key.second ) ] = std::to_string( last.value );
   }
   Shim::SimChip & chip = Shim::simChip();
   const auto lportTab = chip.LPORT_TABm();
   for( int unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
      for( int index : chip.nonZeroEntries( unit, lportTab ) ) {
         FieldValues fields;
         for( const std::string & field : chip.fieldNames( lportTab ) ) {
            if( const U32 value = chip.entryField( unit, lportTab, index, field ) ) {
               fields[ field ] = value;
            }
         }
         o[ "LPORT_TAB " + std::to_string( unit ) + " " + std::to_string( index ) ] = fieldsText( fields );
      }
      const bool worldUnit = std::find( chipUnits.begin(), chipUnits.end(), unit ) != chipUnits.end();
      if( worldUnit || chip.cpuPktProfile2( unit ) ) {
         o[ "CPU_PKT_PROFILE_2 " + std::to_string( unit ) ] = std::to_string( chip.cpuPktProfile2( unit ) );
      }
   }
   const auto status = session_.host.statusEntity();
   std::ostringstream id;
   id << status->requestId();
   o[ "status" ] = statusText( unsigned( status->state() ), id.str(), status->version() );
   o[ "completions" ] = timesText( std::exchange( completions_, {} ) );
   auto claims = []( const Vela::Ptr< Ferro::Bitmap > & bitmap ) {
      std::set< U32 > set;
      for( U32 i = 0; bitmap && i < bitmap->size(); ++i ) {
         if( bitmap->isBitSet( i ) ) {
            set.insert( i );
         }
      }
      return set;
   };
   for( const auto & [ modId, slice ] : root()->strataPacketTracerSliceSms() ) {
      const auto notifiee = slice->clockNotifiee();
      o[ "slice " + std::to_string( modId.value() ) ] =
         sliceText( slice->timeout(), slice->handleClockCalled(), notifiee ? numberText( notifiee->timeMin() ) : "none",
                    claims( slice->srcTrunkBitmap() ), claims( slice->srcTrunkBitmapCfm() ) );
   }
   return o;
}

} // namespace

std::optional< Failure >
runSequence( const Sequence & sequence, bool checkIntent, const Excuse & excused ) {
   std::size_t step = 0;
   try {
      AgentHarness harness;
      ReferenceModel model;
      for( ; step < sequence.size(); ++step ) {
         if( std::vector< std::string > leftovers = harness.apply( sequence[ step ] ); !leftovers.empty() ) {
            return Failure{ "leftover", step, leftovers };
         }
         model.apply( parseAction( sequence[ step ] ) );
         const Observation seen = harness.observe();
         if( std::vector< std::string > diffs = differences( model.expected(), seen ); !diffs.empty() ) {
            return Failure{ "mismatch", step, diffs };
         }
         if( checkIntent ) {
            std::vector< std::string > differences = harness.audit();
            if( excused ) {
               std::erase_if( differences, excused );
            }
            if( !differences.empty() ) {
               return Failure{ "intent", step, differences };
            }
         }
      }
      if( std::vector< std::string > leftovers = harness.stop(); !leftovers.empty() ) {
         return Failure{ "leftover", step, leftovers };
      }
   } catch( const std::exception & e ) {
      return Failure{ "exception", step, { e.what() } };
   }
   return std::nullopt;
}

std::map< int, std::set< std::string > >
traceSites( const Sequence & sequence ) {
   static const char * const handles[] = { "StrataPacketTracerSliceMounter", "ApiStrata" };
   for( const char * handle : handles ) {
      Quill::traceLevelsIs( handle, 0xFFFF );
   }
   std::map< int, std::set< std::string > > functionsByLine;
   {
      AgentHarness harness;
      for( const std::string & line : sequence ) {
         harness.apply( line );
         harness.tracedLines(
            [ & ]( const Quill::TraceRecord & record ) { functionsByLine[ record.line ].insert( record.function ); } );
      }
   }
   for( const char * handle : handles ) {
      Quill::traceLevelsIs( handle, 0 );
   }
   return functionsByLine;
}

} // namespace ModelTest
