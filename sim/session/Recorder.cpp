#include "session/Recorder.h"

#include "Quill/Trace.h"
#include "language/Printable.h"
#include "language/ScenarioError.h"

#include <ostream>

namespace Sim {

Recorder::Recorder( std::ostream & out, std::string name, const std::vector< std::string > & notes,
                    const std::vector< std::string > & commands )
      : out_( out ), name_( std::move( name ) ) {
   out_ << "# A session of strata-agent-sim, recorded with --record.\n"
        << "# Replay it with:  strata-agent-sim THIS-FILE\n"
        << "# Each command follows the virtual time at which it ran. Inspections\n"
        << "# (show, help) and expectations that did not hold are kept as comments.\n";
   for( const std::string & note : notes ) {
      out_ << "# " << printable( note ) << "\n";
   }
   for( const std::string & command : commands ) {
      out_ << command << "\n";
   }
   flush();
}

void
Recorder::flush() {
   out_.flush();
   if( !out_ ) {
      throw OutputError( "cannot write the recording " + printable( name_ ) + ": " + systemReason() );
   }
}

void
Recorder::sourceIs( const std::string & source ) {
   if( source_ == source ) {
      return;
   }
   source_ = source;
   out_ << "\n# --- from " << printable( source ) << "\n";
   flush();
}

void
Recorder::writeTime( double time ) {
   out_ << "# " << Quill::traceTime( time ) << "\n";
}

void
Recorder::starting( double time, const std::string & text ) {
   pending_ = Pending{ time, text };
}

void
Recorder::ended( Outcome outcome ) {
   if( !pending_ ) {
      return;
   }
   const Pending command = *pending_;
   pending_.reset();
   switch( outcome ) {
   case Outcome::nothing:
   case Outcome::malformed: return; // ran nothing
   case Outcome::ran:
      writeTime( command.time );
      out_ << command.text << "\n";
      break;
   case Outcome::inspected:
      writeTime( command.time );
      out_ << "# " << command.text << "\n";
      break;
   case Outcome::checkFailed:
      writeTime( command.time );
      out_ << "# failed: " << command.text << "\n";
      break;
   case Outcome::raised:
      // Kept as a command: what the command changed before the plug-in
      // raised (a request's version, say) is part of the state to reach.
      writeTime( command.time );
      out_ << "# The plug-in raised an error during this command; the replay will too.\n" << command.text << "\n";
      break;
   }
   flush();
}

void
Recorder::processStopping() noexcept {
   if( !pending_ ) {
      return;
   }
   writeTime( pending_->time );
   out_ << "# The process stopped during this command; the replay will too.\n" << pending_->text << "\n";
   pending_.reset();
   out_.flush();
}

} // namespace Sim
