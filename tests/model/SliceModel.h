// One slice as the design's rules describe it, written from those rules and
// nothing else: its claims on ports (by port number, 160 of them), its
// timeout and its completion clock, and what each of its handlers does to the
// world. Every slice acts on every request and every CFM key, whatever its
// module: nothing here looks at the slice's own module id beyond naming it.
#pragma once

#include "ModelWorld.h"
#include "Observation.h"

#include <optional>
#include <set>

namespace ModelTest {

// A packet-tracer request that a slice programmed: the port, and whether the
// tracer's profile was applied (true) or withdrawn.
struct HandledRequest {
   Port port;
   bool applied;
};

class SliceModel {
 public:
   explicit SliceModel( unsigned modId ) : modId_( modId ) {}

   unsigned modId() const noexcept { return modId_; }
   double timeout() const noexcept { return timeout_; }
   void timeoutIs( double seconds ) noexcept { timeout_ = seconds; }
   double wakeUp() const noexcept { return wakeUp_; }
   U64 armSequence() const noexcept { return armSequence_; }
   const std::set< U32 > & tracerClaims() const noexcept { return tracerClaims_; }
   const std::set< U32 > & cfmClaims() const noexcept { return cfmClaims_; }
   SliceView view() const;

   // The slice's start: empty claims, clock attached and disarmed, a request
   // still unanswered (request version differs from status version) handled,
   // then every CFM key present set up, in key order.
   std::optional< HandledRequest > initialize( ModelWorld & world );
   // The request's version changed.
   std::optional< HandledRequest > handleRequest( ModelWorld & world );
   // A CFM forwarding-config key was written or removed.
   void handleCfmKey( ModelWorld & world, const CfmKey & key );
   // A port's entry in strataPortToLag was written or removed.
   void handlePortToLag( ModelWorld & world, const Port & port );
   // The clock reached the wake-up time: publish the completion if one waits.
   void handleClock( ModelWorld & world );

 private:
   // One port set up for CFM or taken down: the shared profile entry first
   // (written at the first claim, cleared at the last), then the claim and
   // the source-trunk-map request, which gives way to the packet tracer.
   void programCfmPort( ModelWorld & world, bool setup, const Port & port );
   void arm( ModelWorld & world, double wakeUp );
   static bool claimable( U32 number ) noexcept { return number < claimTableSize; }

   unsigned modId_;
   double timeout_ = defaultTimeout;
   bool handleClockCalled_ = false;
   double wakeUp_ = never;
   U64 armSequence_ = 0;
   std::set< U32 > tracerClaims_;
   std::set< U32 > cfmClaims_;
};

} // namespace ModelTest
