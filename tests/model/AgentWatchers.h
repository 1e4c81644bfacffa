// The two parts of the simulated agent that watch the plug-in's outputs:
// - SourceTrunkMapWriter carries out every request posted into the
//   source-trunk-map request directory at once, as the agent's table manager
//   does, keeping the resulting profile per (module id, port);
// - CompletionRecorder notes the virtual time of every completion the
//   plug-in publishes on the packet tracer's status (each `version` write).
// Both subscribe for their whole life and unsubscribe when they go.
#pragma once

#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Vela/Ptr.h"
#include "Vela/Publisher.h"

#include <map>
#include <utility>
#include <vector>

namespace ModelTest {

class SourceTrunkMapWriter {
 public:
   using Key = std::pair< U16, U16 >; // module id, port number

   explicit SourceTrunkMapWriter( Vela::Ptr< StrataCentral::PortTabWriteRequestDir > dir );
   ~SourceTrunkMapWriter();
   SourceTrunkMapWriter( const SourceTrunkMapWriter & ) = delete;
   SourceTrunkMapWriter & operator=( const SourceTrunkMapWriter & ) = delete;

   // The profile each (module id, port) was last set to; absent: never set.
   const std::map< Key, U32 > & table() const noexcept { return table_; }

 private:
   static void dispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * );

   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > dir_;
   Vela::Subscriber subscriber_{ &dispatch, this };
   std::map< Key, U32 > table_;
};

class CompletionRecorder {
 public:
   explicit CompletionRecorder( Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status );
   ~CompletionRecorder();
   CompletionRecorder( const CompletionRecorder & ) = delete;
   CompletionRecorder & operator=( const CompletionRecorder & ) = delete;

   // Completions since the last take, in the order published.
   std::vector< double > take() { return std::exchange( recent_, {} ); }
   std::size_t total() const noexcept { return total_; }

 private:
   static void dispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * );

   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > status_;
   Vela::Subscriber subscriber_{ &dispatch, this };
   std::vector< double > recent_;
   std::size_t total_ = 0;
};

} // namespace ModelTest
