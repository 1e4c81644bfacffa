// `--junit FILE`: the run's checks as JUnit XML, the format CI servers read.
//
//    <testsuites name="strata-agent-sim" tests= failures= errors=>
//      <testsuite name="FILE" tests= failures= errors= skipped="0">   one per input
//        <testcase classname="FILE" name="FILE:LINE" file="FILE" line="LINE">
//          <failure message="FILE:LINE: expected E, got G"/>     a check that failed
//          <error message="FILE:LINE: WHAT"/>                     a malformed line
//          <system-out>the command</system-out>
//        </testcase>
//
// A test case is one check: an `expect` line, or a command during which the
// plug-in raised (the tally counts that as failed too, so the report and the
// "N passed, N failed" line agree). A malformed line, unreadable input and a
// process the agent stopped are test cases with an error, so that a CI
// server sees the run broke and where; a malformed line says that nothing
// after it ran. The same file given twice is two suites.
//
// The document is written whole by write(), or by processStopping() when the
// agent stops the process; messages are written as printable() shows them,
// escaped for XML.
#pragma once

#include "session/RunListener.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace Sim {

class JUnitReport : public RunListener {
 public:
   // `out` is the report's file, `name` names it in errors.
   JUnitReport( std::ostream & out, std::string name ) : out_( out ), name_( std::move( name ) ) {}

   void inputStarting( const std::string & input ) override;
   void commandStarting( const Line & line ) override;
   void checked( const Location & where, bool holds, const std::string & message ) override;
   void raised( const Location & where, const std::string & message ) override;
   void malformed( const Location & where, const std::string & message, bool endsRun ) override;
   void processStopping() noexcept override;

   // Writes the document; throws OutputError when it cannot be written.
   void write();

 private:
   enum class Outcome { passed, failure, error };
   struct Case {
      Location where;
      std::string command;
      Outcome outcome;
      std::string message;
   };
   struct Suite {
      std::string name;
      std::vector< Case > cases;
      std::size_t count( Outcome outcome ) const;
   };
   void add( const Location & where, Outcome outcome, const std::string & message );
   std::string document() const;

   std::ostream & out_;
   std::string name_;
   std::vector< Suite > suites_;
   Line current_; // the command running, or last run
};

// `text` with &, <, >, " and ' written as XML entities, and every character
// XML 1.0 cannot hold (control characters but tab and newline) as printable()
// writes it, "\xNN".
std::string xmlEscaped( const std::string & text );

} // namespace Sim
