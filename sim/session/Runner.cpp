#include "session/Runner.h"

#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "language/ScenarioError.h"

#include <iostream>
#include <mutex>

namespace Sim {

std::string
commandText( const std::vector< Token > & tokens ) {
   std::string text;
   for( const Token & token : tokens ) {
      text += text.empty() ? "" : " ";
      if( !token.quoted ) {
         text += token.text;
         continue;
      }
      text += '"';
      for( char c : token.text ) {
         if( c == '"' || c == '\\' ) {
            text += '\\';
         }
         text += c;
      }
      text += '"';
   }
   return text;
}

void
PlainLineSource::readLines( const Take & take ) {
   for( ;; ) {
      if( prompt_ ) {
         std::fputs( promptText, prompt_ );
         std::fflush( prompt_ );
      }
      const std::optional< std::string > line = lines_.next();
      if( !line ) {
         if( prompt_ ) {
            std::fputc( '\n', prompt_ );
         }
         return;
      }
      if( !take( *line ) ) {
         return;
      }
   }
}

void
Runner::reportMalformed( const Location & where, const std::string & what ) {
   malformed_ = true;
   const std::string message = where.text() + ": " + what;
   session_.out.flush();
   session_.err << message << "\n";
   session_.err.flush();
   session_.listeners.tell( [ & ]( RunListener & l ) { l.malformed( where, message, !interactive_ ); } );
}

Recorder::Outcome
Runner::runCommand( const std::string & text, const Location & where ) {
   Line line;
   line.where = where;
   const std::size_t failedBefore = session_.checks.failed();
   bool started = false;
   Recorder::Outcome outcome = Recorder::Outcome::raised;
   try {
      line.tokens = tokenize( text );
      if( line.tokens.empty() ) {
         return Recorder::Outcome::nothing;
      }
      line.text = commandText( line.tokens );
      std::lock_guard activity( Quill::activityLock() );
      if( recorder_ ) {
         recorder_->starting( Quill::System::currentTime(), line.text );
      }
      session_.listeners.tell( [ & ]( RunListener & l ) { l.commandStarting( line ); } );
      started = true;
      table_.run( session_, line );
      if( CommandTable::inspects( line ) ) {
         outcome = Recorder::Outcome::inspected;
      } else {
         outcome = session_.checks.failed() > failedBefore ? Recorder::Outcome::checkFailed : Recorder::Outcome::ran;
      }
   } catch( const ScenarioError & e ) {
      reportMalformed( where, e.what() );
      outcome = Recorder::Outcome::malformed;
   } catch( const std::exception & e ) {
      session_.checks.raised( where, line.text, e.what(), session_.err );
   } catch( ... ) {
      session_.checks.raised( where, line.text, "an exception of unknown type", session_.err );
   }
   if( started ) {
      std::lock_guard activity( Quill::activityLock() );
      session_.listeners.tell( [ & ]( RunListener & l ) { l.commandEnded( line ); } );
   }
   return outcome;
}

void
Runner::flushOutput() {
   session_.out.flush();
   if( !session_.out ) {
      throw OutputError( "cannot write standard output: " + systemReason() );
   }
}

bool
Runner::runLine( const std::string & text, const Location & where ) {
   const Recorder::Outcome outcome = runCommand( text, where );
   if( recorder_ ) {
      recorder_->ended( outcome );
   }
   flushOutput();
   return outcome != Recorder::Outcome::malformed;
}

bool
Runner::runFile( LineReader & lines, const std::string & name ) {
   if( recorder_ ) {
      recorder_->sourceIs( name );
   }
   session_.listeners.tell( [ & ]( RunListener & l ) { l.inputStarting( name ); } );
   Location where{ name, 0 };
   try {
      while( const std::optional< std::string > text = lines.next() ) {
         ++where.line;
         if( !runLine( *text, where ) ) {
            return false;
         }
      }
   } catch( const InputError & e ) {
      reportMalformed( { name, where.line + 1 }, e.what() );
      return false;
   }
   return true;
}

bool
Runner::runFile( std::istream & in, const std::string & name ) {
   LineReader lines( in );
   return runFile( lines, name );
}

void
Runner::runInteractive( LineSource & lines ) {
   if( recorder_ ) {
      recorder_->sourceIs( "the prompt" );
   }
   session_.listeners.tell( [ & ]( RunListener & l ) { l.inputStarting( "stdin" ); } );
   interactive_ = true;
   Location where{ "stdin", 0 };
   try {
      lines.readLines( [ & ]( const std::string & text ) {
         ++where.line;
         runLine( text, where );
         return true;
      } );
   } catch( const InputError & e ) {
      reportMalformed( { "stdin", where.line + 1 }, e.what() );
   }
}

int
Runner::exitStatus() const noexcept {
   if( malformed_ ) {
      return 2;
   }
   return session_.checks.failed() > 0 ? 1 : 0;
}

void
Runner::finish() {
   if( session_.checks.total() > 0 ) {
      session_.out << session_.checks.summary() << "\n";
   }
   flushOutput();
}

} // namespace Sim
