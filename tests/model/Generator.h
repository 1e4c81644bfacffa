// Random action sequences over the universe, reproducible from a seed.
//
// The choice of each action leans on the reference model's current world
// (modules first when there are none, keys that exist when removing one,
// interfaces that exist when naming one), so sequences stay busy; the
// random numbers come from a 64-bit Mersenne twister reduced by modulo,
// which gives the same sequence for a seed on every platform.
//
// Confined sequences look one step ahead in the reference model and take
// only actions after which
// - every held port has a port number of its own, below the bitmaps' size,
//   and CFM holds each of its ports for exactly one reason;
// - every slice's claims equal the ports the clients hold;
// - the observation the model predicts keeps the stated invariants;
// - a served world (some slice exists) stays served.
// They avoid the runs in which the design's own rules lead away from the
// invariants (modules that appear or an agent that restarts while ports are
// held, ports sharing a number, several keys on one port, interfaces that
// change under a held port, ...), which DivergenceTest.cpp documents; the
// first rule keeps them out of states from which every way out would lead
// there.
#pragma once

#include "Action.h"
#include "ReferenceModel.h"

#include <random>

namespace ModelTest {

class ActionGenerator {
 public:
   ActionGenerator( const Universe & universe, U64 seed ) : universe_( universe ), random_( seed ) {}

   // Any action, leaning on the model's world.
   Action next( const ReferenceModel & model );
   // An action that keeps the model's rules in agreement with the intent;
   // a clock step when a number of draws found none.
   Action nextConfined( const ReferenceModel & model );

 private:
   std::size_t below( std::size_t n ) { return n ? std::size_t( random_() % n ) : 0; }
   bool chance( unsigned percent ) { return below( 100 ) < percent; }
   template< typename T >
   const T & pick( const std::vector< T > & from ) {
      return from[ below( from.size() ) ];
   }
   std::string knownOrAnyInterface( const ReferenceModel & model, bool withPortOnly );
   std::vector< Port > lagMembers();

   const Universe & universe_;
   std::mt19937_64 random_;
   U32 requestNumber_ = 0;
};

// Whether `action`, taken in the model's present state, keeps the model's
// rules in agreement with the clients' intent.
bool keepsIntent( const ReferenceModel & model, const Action & action );
// Whether every step of `sequence`, from the start, keeps that agreement.
bool staysConfined( const Universe & universe, const Sequence & sequence );

Sequence generateSequence( const Universe & universe, U64 seed, std::size_t steps, bool confined );

} // namespace ModelTest
