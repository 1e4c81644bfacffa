// The reference model: an independent account of what the plug-in should do,
// written from the design's rules. It replays each host action on its own
// copy of the world, delivers the resulting changes to its slices in the
// order the agent's publishers would (slices in the order they subscribed,
// that is, in the order they were made), and predicts the observation.
//
// Besides the rules it keeps what the clients mean: the ports the packet
// tracer holds (applied and not withdrawn by a handled request) and the ports
// CFM holds (behind a present CFM key, or members of a LAG with an interface
// of their own). `invariantBreaks` holds an observation against that intent:
// where the rules themselves lead away from it, the model still follows the
// rules and the break shows here, not as a mismatch with the plug-in.
#pragma once

#include "Action.h"
#include "ModelWorld.h"
#include "Observation.h"
#include "SliceModel.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ModelTest {

class ReferenceModel {
 public:
   // The world as a run starts it: the chip unit with its module
   // information and presets, nothing else; the agent started.
   explicit ReferenceModel( const Universe & universe );

   void apply( const Action & action );

   // What the plug-in's work should have left after the last action.
   Observation expected() const;

   // Whether slices exist to serve the clients (the agent runs and at least
   // one module is listed); the intent is only held against a served world.
   bool served() const noexcept { return !slices_.empty(); }
   const std::vector< SliceModel > & slices() const noexcept { return slices_; }
   const ModelWorld & world() const noexcept { return world_; }
   // The earliest allowed time of each completion of the last action.
   const std::vector< double > & completionsDue() const noexcept { return world_.completionsDue; }

   // The ports the packet tracer holds, and those CFM holds, as the clients
   // mean it.
   const std::set< Port > & tracerHolds() const noexcept { return tracerHolds_; }
   std::set< Port > cfmHolds() const;
   // Why CFM holds each port: one count per present key that covers it and
   // one for a LAG membership of a port with an interface of its own.
   std::map< Port, unsigned > cfmReasons() const;

   // Where `observation` breaks the clients' intent: a port's source trunk
   // map other than the tracer's profile while the tracer holds it, CFM's
   // while CFM holds it, else 0; the CFM LPORT_TAB entry other than the
   // profile while CFM holds a port, or other than zero while it holds none.
   // Empty when the world is not served.
   std::vector< std::string > invariantBreaks( const Observation & observation ) const;
   // Whether every slice's claims are exactly the port numbers the clients
   // hold: the state from which the rules cannot drift from the intent later.
   bool claimsAgreeWithIntent() const;
   // Whether the ports held are simple enough that the rules can let each of
   // them go again without leaving the intent: every held port has a number
   // of its own, below the bitmaps' size, and CFM holds each of its ports for
   // exactly one reason (one key, or one LAG membership).
   bool holdingsAreSimple() const;

 private:
   void sliceAdd( unsigned modId );
   void sliceDel( unsigned modId );
   void agentStart();
   void noteHandled( const std::optional< HandledRequest > & handled );
   void lagSet( const std::string & lag, const std::vector< Port > & members );
   void lagRemove( const std::string & lag );
   void portToLagChanged( const Port & port );
   void advance( double seconds );

   ModelWorld world_;
   std::vector< SliceModel > slices_; // in subscription order
   bool agentRunning_ = false;
   std::set< Port > tracerHolds_;
};

} // namespace ModelTest
