#include "output/JUnitReport.h"

#include "language/Printable.h"
#include "language/ScenarioError.h"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace Sim {

std::string
xmlEscaped( const std::string & text ) {
   std::string out;
   for( char c : printable( text ) ) {
      switch( c ) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
      }
   }
   return out;
}

std::size_t
JUnitReport::Suite::count( Outcome outcome ) const {
   return std::size_t(
      std::count_if( cases.begin(), cases.end(), [ outcome ]( const Case & c ) { return c.outcome == outcome; } ) );
}

void
JUnitReport::inputStarting( const std::string & input ) {
   suites_.push_back( { input, {} } );
}

void
JUnitReport::commandStarting( const Line & line ) {
   current_ = line;
}

void
JUnitReport::add( const Location & where, Outcome outcome, const std::string & message ) {
   if( suites_.empty() ) {
      suites_.push_back( { where.file, {} } );
   }
   const std::string command =
      current_.where.file == where.file && current_.where.line == where.line ? current_.text : std::string();
   suites_.back().cases.push_back( { where, command, outcome, message } );
}

void
JUnitReport::checked( const Location & where, bool holds, const std::string & message ) {
   add( where, holds ? Outcome::passed : Outcome::failure, message );
}

void
JUnitReport::raised( const Location & where, const std::string & message ) {
   add( where, Outcome::failure, message );
}

void
JUnitReport::malformed( const Location & where, const std::string & message, bool endsRun ) {
   // The suites of the inputs after this one are missing: the report says why.
   add( where, Outcome::error, endsRun ? message + " (the run stopped here: nothing after this line ran)" : message );
}

void
JUnitReport::processStopping() noexcept {
   try {
      add( current_.where, Outcome::error,
           current_.where.text() + ": the agent stopped the process during " + current_.text );
      write();
   } catch( ... ) {
      // The process is going and standard error already says why.
   }
}

std::string
JUnitReport::document() const {
   std::size_t tests = 0, failures = 0, errors = 0;
   for( const Suite & suite : suites_ ) {
      tests += suite.cases.size();
      failures += suite.count( Outcome::failure );
      errors += suite.count( Outcome::error );
   }
   std::ostringstream xml;
   xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       << "<testsuites name=\"strata-agent-sim\" tests=\"" << tests << "\" failures=\"" << failures << "\" errors=\""
       << errors << "\">\n";
   for( const Suite & suite : suites_ ) {
      const std::string name = xmlEscaped( suite.name );
      xml << "  <testsuite name=\"" << name << "\" tests=\"" << suite.cases.size() << "\" failures=\""
          << suite.count( Outcome::failure ) << "\" errors=\"" << suite.count( Outcome::error )
          << "\" skipped=\"0\">\n";
      for( const Case & c : suite.cases ) {
         xml << "    <testcase classname=\"" << name << "\" name=\"" << xmlEscaped( c.where.text() ) << "\" file=\""
             << xmlEscaped( c.where.file ) << "\" line=\"" << c.where.line << "\">";
         if( c.outcome != Outcome::passed ) {
            xml << "\n      <" << ( c.outcome == Outcome::failure ? "failure" : "error" ) << " message=\""
                << xmlEscaped( c.message ) << "\"/>";
         }
         if( !c.command.empty() ) {
            xml << "\n      <system-out>" << xmlEscaped( c.command ) << "</system-out>";
         }
         xml << ( c.outcome == Outcome::passed && c.command.empty() ? "" : "\n    " ) << "</testcase>\n";
      }
      xml << "  </testsuite>\n";
   }
   xml << "</testsuites>\n";
   return xml.str();
}

void
JUnitReport::write() {
   out_ << document();
   out_.flush();
   if( !out_ ) {
      throw OutputError( "cannot write the JUnit report " + printable( name_ ) + ": " + systemReason() );
   }
}

} // namespace Sim
