#include "CommandTable.h"

#include "ScenarioError.h"

#include <sstream>

namespace Sim {

void
CommandTable::verb( const std::string & name, const std::string & usage, Handler handler ) {
   verbs_[ name ] = { usage, std::move( handler ) };
}

void
CommandTable::expectation( const std::string & name, const std::string & usage,
                           Handler handler ) {
   expectations_[ name ] = { usage, std::move( handler ) };
}

void
CommandTable::show( const std::string & name, const std::string & usage, ShowHandler handler ) {
   shows_[ name ] = { usage, std::move( handler ) };
}

void
CommandTable::run( Session & session, const Line & line ) const {
   const Token & first = line.tokens.front();
   if( first.is( "expect" ) || first.is( "show" ) ) {
      const bool isShow = first.is( "show" );
      Line body = line;
      bool json = false;
      if( isShow && body.tokens.size() > 2 && body.tokens.back().is( "json" ) ) {
         json = true;
         body.tokens.pop_back();
      }
      Args args( body, 1 );
      const Token & word = args.nextToken( isShow ? "what to show" : "what to expect" );
      if( isShow ) {
         auto found = shows_.find( word.text );
         if( word.quoted || found == shows_.end() ) {
            throw ScenarioError( "unknown show '" + word.text + "' (try help)" );
         }
         const Report report = found->second.handler( session, args );
         if( json ) {
            report.printJson( session.out );
         } else {
            report.printText( session.out );
         }
         return;
      }
      auto found = expectations_.find( word.text );
      if( word.quoted || found == expectations_.end() ) {
         throw ScenarioError( "unknown expectation '" + word.text + "' (try help)" );
      }
      found->second.handler( session, args );
      return;
   }
   auto found = verbs_.find( first.text );
   if( first.quoted || found == verbs_.end() ) {
      throw ScenarioError( "unknown command '" + first.text + "' (try help)" );
   }
   Args args( line, 1 );
   found->second.handler( session, args );
}

std::string
CommandTable::help() const {
   std::ostringstream out;
   for( const auto & [ name, entry ] : verbs_ ) {
      out << "  " << entry.usage << "\n";
   }
   for( const auto & [ name, entry ] : expectations_ ) {
      out << "  expect " << entry.usage << "\n";
   }
   for( const auto & [ name, entry ] : shows_ ) {
      out << "  show " << entry.usage << " [json]\n";
   }
   return out.str();
}

CommandTable
standardCommands() {
   CommandTable table;
   addStateCommands( table );
   addClientCommands( table );
   addChipCommands( table );
   addAgentCommands( table );
   addObjectCommands( table );
   table.verb( "help", "help", []( Session & session, Args & args ) {
      args.end();
      session.out << standardCommands().help();
   } );
   return table;
}

} // namespace Sim
