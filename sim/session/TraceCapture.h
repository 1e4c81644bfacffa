// The host's trace sink: prints each trace line as it comes unless quiet, and
// keeps what `expect trace` and `show trace` ask about since the last `clear`.
//
// Memory is bounded: of each handle and level ("ApiStrata/4"), the most
// recent `keptPerStream` lines are kept (100,000 unless told otherwise, about
// 150 bytes each), older ones are dropped and counted. A run with every level
// on and millions of lines stays within a few tens of megabytes, and a busy
// handle cannot push a quiet one's lines out. What was dropped is said: by
// `show trace`, and by the expectations, which cannot hold on what they can
// no longer see.
#pragma once

#include "Quill/Trace.h"
#include "Quill/Types.h"
#include "session/Style.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace Sim {

// One kept line: what was traced, and the line as printed.
struct CapturedTrace {
   Quill::TraceRecord record;
   std::string line; // formatTraceLine( record )
};

// Which kept lines `show trace` lists; an unset part lets every line by.
struct TraceFilter {
   std::optional< std::string > handle; // exactly this handle
   U16 levels = 0xFFFF;                 // bit n: level n
   std::optional< std::string > text;   // contained in the formatted line

   bool matches( const CapturedTrace & trace ) const;
};

class TraceCapture {
 public:
   static constexpr std::size_t defaultKeptPerStream = 100000;

   // Installs itself as the process's trace sink; uninstalls in the
   // destructor. Lines printed as they come are coloured as `style` says.
   TraceCapture( std::ostream & out, bool quiet, Style style = Style(),
                 std::size_t keptPerStream = defaultKeptPerStream );
   ~TraceCapture();
   TraceCapture( const TraceCapture & ) = delete;
   TraceCapture & operator=( const TraceCapture & ) = delete;

   // Hands each kept line that passes `filter` to `visit`, in the order
   // traced, until `visit` returns false.
   void forEachMatching( const TraceFilter & filter,
                         const std::function< bool( const CapturedTrace & ) > & visit ) const;
   // Lines dropped since the last clear, by "HANDLE/LEVEL"; empty when none.
   std::map< std::string, U64 > dropped() const;
   // "N older lines were dropped (the last K of each handle and level are
   // kept: ApiStrata/4 lost N)", or "" when nothing was dropped.
   std::string droppedNote() const;
   void clear();

 private:
   // Where lines come from: a handle and level at one place in the source,
   // kept once for all the lines written there.
   struct Site {
      std::string handle;
      unsigned level;
      std::string file;
      int line;
      std::string function;
      std::size_t stream; // of its handle and level
   };
   struct Kept {
      U64 sequence; // the order across streams
      Quill::Seconds time;
      std::size_t site;
      std::string text;
   };
   struct Stream {
      std::string name; // "HANDLE/LEVEL"
      std::deque< Kept > kept;
      U64 dropped = 0;
   };
   using SiteKey = std::tuple< std::string, unsigned, std::string, int, std::string >;

   void record( const Quill::TraceRecord & record );
   std::size_t siteOf( const Quill::TraceRecord & record );
   Quill::TraceRecord recordOf( const Kept & kept ) const;

   std::ostream & out_;
   bool quiet_;
   Style style_;
   std::size_t keptPerStream_;
   mutable std::mutex mutex_; // SDK calls run with the activity lock released
   std::vector< Site > sites_;
   std::map< SiteKey, std::size_t > siteIndex_;
   std::vector< Stream > streams_;
   std::map< std::pair< std::string, unsigned >, std::size_t > streamIndex_;
   U64 sequence_ = 0;
};

// Opens the trace handles with every level on (what the simulator promises),
// including any handle that already exists.
void traceAllLevelsOn();
// Applies HANDLE=LEVELS[;HANDLE=LEVELS...]; throws ScenarioError for a bad spec
// or an unknown handle.
void applyTraceSpec( std::string_view spec );

} // namespace Sim
