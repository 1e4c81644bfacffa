// Events in the Chrome trace-event format, which Perfetto (ui.perfetto.dev)
// and chrome://tracing open: one JSON object
//
//    {"displayTimeUnit": "ms", "traceEvents": [ EVENT, ... ]}
//
// Tracks are threads of processes, each named by a metadata event ("ph":
// "M") and sorted by the order given. Instants are "ph": "i" (scope "t":
// their track, or "g": across every track), spans "ph": "X" with a
// duration. Times are given in seconds and written in microseconds, the
// format's unit. Arguments are shown beside an event when it is selected.
#pragma once

#include "session/Report.h"

#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Sim {

class TraceEventLog {
 public:
   struct Track {
      int process = 0;
      int thread = 0;
   };
   using EventArgs = std::vector< std::pair< std::string, Cell > >;

   // The track `thread` of process `process`, made on first use; `order`
   // sorts tracks within their process (and a new process among processes).
   Track track( const std::string & process, const std::string & thread, int order );

   void instant( Track track, double seconds, const std::string & name, const std::string & category,
                 const EventArgs & args = {} );
   // An instant drawn across every track.
   void globalInstant( double seconds, const std::string & name, const std::string & category,
                       const EventArgs & args = {} );
   // A span from `start` to `end` (not before `start`).
   void span( Track track, double start, double end, const std::string & name, const std::string & category,
              const EventArgs & args = {} );

   std::size_t size() const noexcept { return events_.size(); }
   void write( std::ostream & out ) const;

 private:
   // `phase`: the JSON members that say what kind of event it is.
   void add( Track track, double seconds, const std::string & name, const std::string & category,
             const std::string & phase, const EventArgs & args );

   std::map< std::string, int > processes_;
   std::map< std::pair< int, std::string >, int > threads_;
   std::vector< std::string > events_; // each a JSON object
};

// Seconds as the format's microseconds, to the nanosecond.
std::string microseconds( double seconds );

} // namespace Sim
