// The host's trace sink: keeps every trace line since the last `clear` (for
// `expect trace` and `show trace`) and prints each as it comes unless quiet.
#pragma once

#include "Quill/Trace.h"

#include <cstddef>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Sim {

class TraceCapture {
 public:
   // Installs itself as the process's trace sink; uninstalls in the destructor.
   TraceCapture( std::ostream & out, bool quiet );
   ~TraceCapture();
   TraceCapture( const TraceCapture & ) = delete;
   TraceCapture & operator=( const TraceCapture & ) = delete;

   // The lines captured since the last clear, formatted as the framework does.
   std::vector< std::string > lines() const;
   // The captured lines that contain `text`.
   std::vector< std::string > linesContaining( std::string_view text ) const;
   void clear();

 private:
   void record( const Quill::TraceRecord & record );

   std::ostream & out_;
   bool quiet_;
   mutable std::mutex mutex_; // SDK calls run with the activity lock released
   std::vector< std::string > lines_;
};

// Opens the trace handles with every level on (what the simulator promises),
// including any handle that already exists.
void traceAllLevelsOn();
// Applies HANDLE=LEVELS[;HANDLE=LEVELS...]; throws ScenarioError for a bad spec.
void applyTraceSpec( std::string_view spec );

} // namespace Sim
