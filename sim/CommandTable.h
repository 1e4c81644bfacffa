// The language's commands by name. A verb runs a command; `expect WORD ...`
// and `show WORD ...` dispatch on their second word. `show` handlers build a
// Report, which the table prints as text, or as one JSON document when the
// line ends in `json`.
#pragma once

#include "Command.h"
#include "Report.h"
#include "Session.h"

#include <functional>
#include <map>
#include <string>

namespace Sim {

class CommandTable {
 public:
   // Each handler gets the words after its name (after the verb; after
   // `expect WORD` or `show WORD`).
   using Handler = std::function< void( Session &, Args & ) >;
   using ShowHandler = std::function< Report( Session &, Args & ) >;

   void verb( const std::string & name, const std::string & usage, Handler handler );
   void expectation( const std::string & name, const std::string & usage, Handler handler );
   void show( const std::string & name, const std::string & usage, ShowHandler handler );

   // Runs one line that has at least one token. Throws ScenarioError for an
   // unknown command; the handler's errors propagate.
   void run( Session & session, const Line & line ) const;
   // Every command's usage, one per line.
   std::string help() const;

 private:
   template< typename H >
   struct Entry {
      std::string usage;
      H handler;
   };
   std::map< std::string, Entry< Handler > > verbs_;
   std::map< std::string, Entry< Handler > > expectations_;
   std::map< std::string, Entry< ShowHandler > > shows_;
};

// The whole language.
CommandTable standardCommands();

// The per-concern parts of the language, each in its own file.
void addStateCommands( CommandTable & table );  // module, unit, intf, lag, toggle
void addClientCommands( CommandTable & table ); // tracer, status, cfm, requests
void addChipCommands( CommandTable & table );   // chip, tables, SDK counts
void addAgentCommands( CommandTable & table );  // context, agent, clock, trace, clear, ...
void addObjectCommands( CommandTable & table ); // set, call, mark, objects, slices

} // namespace Sim
