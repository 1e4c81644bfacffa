// The language's commands by name. A verb runs a command; `expect WORD ...`
// and `show WORD ...` dispatch on their second word. `show` handlers build a
// Report, which the table prints as text, or as one JSON document when the
// line ends in `json`. Each command carries its documentation (syntax and a
// one-line summary), from which `help` and the interactive completion are
// made, so a new command is documented where it is registered.
#pragma once

#include "language/Command.h"
#include "session/Report.h"
#include "session/Session.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Sim {

struct Doc {
   // The syntax; alternatives separated by " | " ("module MOD unit UNIT |
   // module MOD remove"). Shows and expectations start with their own word.
   std::string usage;
   // What the command does, in one sentence.
   std::string summary;
};

class CommandTable {
 public:
   // Each handler gets the words after its name (after the verb; after
   // `expect WORD` or `show WORD`).
   using Handler = std::function< void( Session &, Args & ) >;
   using ShowHandler = std::function< Report( Session &, Args & ) >;

   // Verbs registered from now on are listed under `title` by `help`.
   void section( std::string title ) { section_ = std::move( title ); }
   void verb( const std::string & name, Doc doc, Handler handler );
   void expectation( const std::string & name, Doc doc, Handler handler );
   void show( const std::string & name, Doc doc, ShowHandler handler );

   // Runs one line that has at least one token; `help [WORD [WORD]]` is
   // answered by the table itself. Throws ScenarioError for an unknown
   // command; the handler's errors propagate.
   void run( Session & session, const Line & line ) const;
   // Whether running the line only looks (show, help, audit): it changes nothing.
   static bool inspects( const Line & line ) noexcept;

   // Every command's syntax, grouped by section.
   std::string help() const;
   // The commands in the groups and order `help` lists them, each form
   // written whole ("show lport-tab UNIT [INDEX]"); for the manual page.
   struct DocGroup {
      std::string title;
      std::vector< Doc > commands;
   };
   std::vector< DocGroup > documentation() const;
   // `help` itself.
   static Doc helpDoc();
   // `help WORD [WORD]`: one command's (or every show's or expectation's)
   // syntax and summary. Throws ScenarioError for a word the table lacks.
   std::string helpFor( const std::vector< Token > & words ) const;

   // What interactive completion offers: the words that start a command,
   // and the words that may follow `show`, `expect` and `help`.
   std::vector< std::string > commandWords() const;
   std::vector< std::string > wordsAfter( const std::string & first ) const;

 private:
   template < typename H >
   struct Entry {
      Doc doc;
      std::string section;
      H handler;
   };
   template < typename H >
   static std::string describe( const std::map< std::string, Entry< H > > & entries, const std::string & prefix );
   template < typename H >
   static std::string describeOne( const Entry< H > & entry, const std::string & prefix );

   std::string section_ = "Commands";
   std::vector< std::string > sectionOrder_;
   std::map< std::string, Entry< Handler > > verbs_;
   std::map< std::string, Entry< Handler > > expectations_;
   std::map< std::string, Entry< ShowHandler > > shows_;
};

// A Doc's usage "a | b | c" as its alternatives.
std::vector< std::string > alternatives( const std::string & usage );

} // namespace Sim
