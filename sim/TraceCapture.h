// The host's trace sink: keeps every trace line since the last `clear` (for
// `expect trace` and `show trace`) and prints each as it comes unless quiet.
#pragma once

#include "Quill/Trace.h"
#include "Quill/Types.h"
#include "Style.h"

#include <optional>
#include <cstddef>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Sim {

// One captured line: what the plug-in traced, and the line as printed.
struct CapturedTrace {
   Quill::TraceRecord record;
   std::string line; // formatTraceLine( record )
};

// Which captured lines `show trace` lists; an unset part lets every line by.
struct TraceFilter {
   std::optional< std::string > handle; // exactly this handle
   U16 levels = 0xFFFF;                 // bit n: level n
   std::optional< std::string > text;   // contained in the formatted line

   bool matches( const CapturedTrace & trace ) const;
};

class TraceCapture {
 public:
   // Installs itself as the process's trace sink; uninstalls in the
   // destructor. Lines printed as they come are coloured as `style` says.
   TraceCapture( std::ostream & out, bool quiet, Style style = Style() );
   ~TraceCapture();
   TraceCapture( const TraceCapture & ) = delete;
   TraceCapture & operator=( const TraceCapture & ) = delete;

   // The lines captured since the last clear, formatted as the framework does.
   std::vector< std::string > lines() const;
   // The captured lines that contain `text`.
   std::vector< std::string > linesContaining( std::string_view text ) const;
   // The captured lines that pass `filter`, in the order traced.
   std::vector< CapturedTrace > matching( const TraceFilter & filter ) const;
   void clear();

 private:
   void record( const Quill::TraceRecord & record );

   std::ostream & out_;
   bool quiet_;
   Style style_;
   mutable std::mutex mutex_; // SDK calls run with the activity lock released
   std::vector< CapturedTrace > lines_;
};

// Opens the trace handles with every level on (what the simulator promises),
// including any handle that already exists.
void traceAllLevelsOn();
// Applies HANDLE=LEVELS[;HANDLE=LEVELS...]; throws ScenarioError for a bad spec.
void applyTraceSpec( std::string_view spec );

} // namespace Sim
