#include "Runner.h"

#include "Quill/ActivityLock.h"
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

bool
Runner::runLine( const std::string & text, const Location & where ) {
   Line line;
   line.where = where;
   try {
      line.tokens = tokenize( text );
      if( line.tokens.empty() ) {
         return true;
      }
      line.text = commandText( line.tokens );
      std::lock_guard activity( Quill::activityLock() );
      table_.run( session_, line );
   } catch( const ScenarioError & e ) {
      session_.out.flush();
      session_.err << where.text() << ": " << e.what() << "\n";
      session_.err.flush();
      return false;
   } catch( const std::exception & e ) {
      session_.checks.raised( where, line.text, e.what(), session_.err );
   } catch( ... ) {
      session_.checks.raised( where, line.text, "an exception of unknown type", session_.err );
   }
   session_.out.flush();
   return true;
}

bool
Runner::runFile( std::istream & in, const std::string & name ) {
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
Runner::runInteractive( std::istream & in, bool prompt ) {
   std::string text;
   Location where{ "stdin", 0 };
   for( ;; ) {
      if( prompt ) {
         session_.out << "strata> " << std::flush;
      }
      if( !std::getline( in, text ) ) {
         if( prompt ) {
            session_.out << "\n";
         }
         return;
      }
      ++where.line;
      runLine( text, where );
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
   session_.out.flush();
}

} // namespace Sim
