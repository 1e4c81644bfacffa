#include "Runner.h"

#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "ScenarioError.h"

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

std::optional< std::string >
StreamLineSource::readLine() {
   if( prompt_ ) {
      *prompt_ << promptText << std::flush;
   }
   std::string text;
   if( !std::getline( in_, text ) ) {
      if( prompt_ ) {
         *prompt_ << "\n";
      }
      return std::nullopt;
   }
   return text;
}

bool
Runner::runLine( const std::string & text, const Location & where ) {
   Line line;
   line.where = where;
   Recorder::Outcome outcome = Recorder::Outcome::ran;
   const std::size_t failedBefore = session_.checks.failed();
   try {
      line.tokens = tokenize( text );
      if( line.tokens.empty() ) {
         return true;
      }
      line.text = commandText( line.tokens );
      std::lock_guard activity( Quill::activityLock() );
      if( recorder_ ) {
         recorder_->starting( Quill::System::currentTime(), line.text );
      }
      table_.run( session_, line );
      if( CommandTable::inspects( line ) ) {
         outcome = Recorder::Outcome::inspected;
      } else if( session_.checks.failed() > failedBefore ) {
         outcome = Recorder::Outcome::checkFailed;
      }
   } catch( const ScenarioError & e ) {
      if( recorder_ ) {
         recorder_->ended( Recorder::Outcome::malformed );
      }
      session_.out.flush();
      session_.err << where.text() << ": " << e.what() << "\n";
      session_.err.flush();
      return false;
   } catch( const std::exception & e ) {
      outcome = Recorder::Outcome::raised;
      session_.checks.raised( where, line.text, e.what(), session_.err );
   } catch( ... ) {
      outcome = Recorder::Outcome::raised;
      session_.checks.raised( where, line.text, "an exception of unknown type", session_.err );
   }
   if( recorder_ ) {
      recorder_->ended( outcome );
   }
   session_.out.flush();
   return true;
}

bool
Runner::runFile( std::istream & in, const std::string & name ) {
   if( recorder_ ) {
      recorder_->sourceIs( name );
   }
   std::string text;
   Location where{ name, 0 };
   while( std::getline( in, text ) ) {
      ++where.line;
      if( !runLine( text, where ) ) {
         malformed_ = true;
         return false;
      }
   }
   return true;
}

void
Runner::runInteractive( LineSource & lines ) {
   if( recorder_ ) {
      recorder_->sourceIs( "the prompt" );
   }
   Location where{ "stdin", 0 };
   while( const std::optional< std::string > text = lines.readLine() ) {
      ++where.line;
      runLine( *text, where );
   }
}

void
Runner::runInteractive( std::istream & in, bool prompt ) {
   StreamLineSource lines( in, prompt ? &session_.out : nullptr );
   runInteractive( lines );
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
   session_.out.flush();
}

} // namespace Sim
