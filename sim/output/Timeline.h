// `--timeline FILE`: what happened in the run, when, in virtual time, as a
// trace-event file (TraceEventLog.h) for Perfetto or chrome://tracing.
//
// Tracks:
//   scenario / commands     every command as a span from its start to its
//                           end (a `clock advance` is as long as it advances),
//                           and each expectation that failed
//   chip / unit N           each chip write (memory entry, register) as an
//                           instant; each failed SDK call, marked "failure"
//   slices / slice MOD      each source-trunk-map request the plug-in posted
//                           for the module, as an instant; each packet-tracer
//                           request on a port of the module as a span from the
//                           change of the request (its version) to the
//                           completion the plug-in published (the status's
//                           version); one still open at the end is drawn to
//                           the end and says so
//   across every track      each audit's result (`audit`, `show audit`,
//                           `expect audit`), and the agent stopping the
//                           process
//
// It watches the host (the request entity, the status entity,
// SOURCE_TRUNK_MAP) and the chip itself, never the plug-in's objects. The
// file is written whole by write(), or by processStopping().
#pragma once

#include "Shim/SimChip.h"
#include "Vela/Publisher.h"
#include "output/TraceEventLog.h"
#include "session/RunListener.h"
#include "session/Session.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace Sim {

class Timeline : public RunListener {
 public:
   // Listens to `session`'s host and to the chip until destroyed; which must
   // come before the session's. `out` is the file, `name` names it in errors.
   Timeline( Session & session, std::ostream & out, std::string name );
   ~Timeline() override;
   Timeline( const Timeline & ) = delete;
   Timeline & operator=( const Timeline & ) = delete;

   void commandStarting( const Line & line ) override;
   void commandEnded( const Line & line ) override;
   void checked( const Location & where, bool holds, const std::string & message ) override;
   void audited( const Line & line, bool clean, const std::string & summary,
                 const std::vector< std::string > & differences ) override;
   void processStopping() noexcept override;

   // Closes what is open at the current time and writes the file; throws
   // OutputError when it cannot be written.
   void write();

 private:
   struct OpenRequest {
      U32 version;
      double start;
      std::string name;
      TraceEventLog::Track track;
      TraceEventLog::EventArgs args;
   };

   static void requestChanged( Vela::Publisher *, Vela::Subscriber * subscriber, short attr, const void *,
                               const void * );
   static void statusChanged( Vela::Publisher *, Vela::Subscriber * subscriber, short attr, const void *,
                              const void * );
   void followStatusEntity();
   void chipAccessed( const Shim::SimChip::Access & access );
   void requestCarriedOut( const StrataCentral::PortTabWriteRequest & request, std::optional< U16 > unit );
   TraceEventLog::Track unitTrack( int unit );
   TraceEventLog::Track sliceTrack( std::optional< U16 > module );
   double now() const;

   Session & session_;
   std::ostream & out_;
   std::string name_;
   TraceEventLog log_;
   TraceEventLog::Track commands_;
   std::optional< Line > running_;
   double runningSince_ = 0;
   std::vector< OpenRequest > openRequests_;
   Vela::Subscriber requestSubscriber_{ &requestChanged, this };
   Vela::Subscriber statusSubscriber_{ &statusChanged, this };
};

} // namespace Sim
