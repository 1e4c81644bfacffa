#include "session/CommandTable.h"

#include "language/ScenarioError.h"

#include <algorithm>
#include <sstream>

namespace Sim {

std::vector< std::string >
alternatives( const std::string & usage ) {
   std::vector< std::string > forms;
   std::size_t start = 0;
   for( ;; ) {
      const std::size_t bar = usage.find( " | ", start );
      forms.push_back( usage.substr( start, bar == std::string::npos ? bar : bar - start ) );
      if( bar == std::string::npos ) {
         return forms;
      }
      start = bar + 3;
   }
}

namespace {

constexpr const char * helpUsage = "help [COMMAND] | help show [WHAT] | help expect [WHAT]";

} // namespace

void
CommandTable::verb( const std::string & name, Doc doc, Handler handler ) {
   if( std::find( sectionOrder_.begin(), sectionOrder_.end(), section_ ) == sectionOrder_.end() ) {
      sectionOrder_.push_back( section_ );
   }
   verbs_[ name ] = { std::move( doc ), section_, std::move( handler ) };
}

void
CommandTable::expectation( const std::string & name, Doc doc, Handler handler ) {
   expectations_[ name ] = { std::move( doc ), section_, std::move( handler ) };
}

void
CommandTable::show( const std::string & name, Doc doc, ShowHandler handler ) {
   shows_[ name ] = { std::move( doc ), section_, std::move( handler ) };
}

bool
CommandTable::inspects( const Line & line ) noexcept {
   return !line.tokens.empty() &&
          ( line.tokens.front().is( "show" ) || line.tokens.front().is( "help" ) || line.tokens.front().is( "audit" ) );
}

void
CommandTable::run( Session & session, const Line & line ) const {
   const Token & first = line.tokens.front();
   if( first.is( "help" ) ) {
      Args args( line, 1 );
      const std::vector< Token > words = args.rest();
      session.out << ( words.empty() ? help() : helpFor( words ) );
      return;
   }
   if( first.is( "expect" ) || first.is( "show" ) ) {
      const bool isShow = first.is( "show" );
      Line body = line;
      bool json = false;
      if( isShow && body.tokens.size() > 2 && body.tokens.back().is( "json" ) ) {
         json = true;
         body.tokens.pop_back();
      }
      Args args( body, 1 );
      const Token & word =
         args.nextToken( isShow ? "what to show (try help show)" : "what to expect (try help expect)" );
      if( isShow ) {
         auto found = shows_.find( word.text );
         if( word.quoted || found == shows_.end() ) {
            throw ScenarioError( "unknown show '" + word.text + "' (try help show)" );
         }
         const Report report = found->second.handler( session, args );
         if( json ) {
            report.printJson( session.out );
         } else {
            report.printText( session.out, session.style );
         }
         return;
      }
      auto found = expectations_.find( word.text );
      if( word.quoted || found == expectations_.end() ) {
         throw ScenarioError( "unknown expectation '" + word.text + "' (try help expect)" );
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

template < typename H >
std::string
CommandTable::describeOne( const Entry< H > & entry, const std::string & prefix ) {
   std::string text;
   for( const std::string & form : alternatives( entry.doc.usage ) ) {
      text += "  " + prefix + form + "\n";
   }
   return text + "      " + entry.doc.summary + "\n";
}

template < typename H >
std::string
CommandTable::describe( const std::map< std::string, Entry< H > > & entries, const std::string & prefix ) {
   std::string text;
   for( const auto & [ name, entry ] : entries ) {
      text += describeOne( entry, prefix );
   }
   return text;
}

Doc
CommandTable::helpDoc() {
   return { helpUsage, "Lists the commands, or tells more about one." };
}

std::vector< CommandTable::DocGroup >
CommandTable::documentation() const {
   // Each alternative of a show or expectation starts with its own word.
   auto prefixed = []( const Doc & doc, const std::string & prefix ) {
      std::string usage;
      for( const std::string & form : alternatives( doc.usage ) ) {
         usage += ( usage.empty() ? "" : " | " ) + prefix + form;
      }
      return Doc{ usage, doc.summary };
   };
   std::vector< DocGroup > groups;
   for( const std::string & section : sectionOrder_ ) {
      DocGroup group{ section, {} };
      for( const auto & [ name, entry ] : verbs_ ) {
         if( entry.section == section ) {
            group.commands.push_back( entry.doc );
         }
      }
      groups.push_back( std::move( group ) );
   }
   DocGroup shows{ "Inspection (every show takes a trailing json; 'help show' tells more)", {} };
   for( const auto & [ name, entry ] : shows_ ) {
      shows.commands.push_back( prefixed( entry.doc, "show " ) );
   }
   DocGroup expectations{ "Expectations (each one check; 'help expect' tells more)", {} };
   for( const auto & [ name, entry ] : expectations_ ) {
      expectations.commands.push_back( prefixed( entry.doc, "expect " ) );
   }
   groups.push_back( std::move( shows ) );
   groups.push_back( std::move( expectations ) );
   return groups;
}

std::string
CommandTable::help() const {
   std::ostringstream out;
   out << "Commands, one per line; '#' starts a comment. 'help COMMAND' tells more.\n";
   for( const DocGroup & group : documentation() ) {
      out << "\n" << group.title << "\n";
      for( const Doc & doc : group.commands ) {
         for( const std::string & form : alternatives( doc.usage ) ) {
            out << "  " << form << "\n";
         }
      }
   }
   out << "\n  " << helpUsage << "\n";
   return out.str();
}

std::string
CommandTable::helpFor( const std::vector< Token > & words ) const {
   const Token & first = words.front();
   if( words.size() > 2 ) {
      throw ScenarioError( "help: unexpected '" + words[ 2 ].text + "' (" + helpUsage + ")" );
   }
   if( first.is( "show" ) || first.is( "expect" ) ) {
      const bool isShow = first.is( "show" );
      const std::string prefix = first.text + " ";
      if( words.size() == 1 ) {
         return isShow ? describe( shows_, prefix ) + "  (a trailing json prints one JSON document)\n"
                       : describe( expectations_, prefix );
      }
      const std::string & what = words[ 1 ].text;
      if( isShow ) {
         auto found = shows_.find( what );
         if( found != shows_.end() ) {
            return describeOne( found->second, prefix );
         }
      } else {
         auto found = expectations_.find( what );
         if( found != expectations_.end() ) {
            return describeOne( found->second, prefix );
         }
      }
      throw ScenarioError( "help: no " + first.text + " '" + what + "' (try help " + first.text + ")" );
   }
   if( words.size() > 1 ) {
      throw ScenarioError( "help: unexpected '" + words[ 1 ].text + "' (" + helpUsage + ")" );
   }
   if( first.is( "help" ) ) {
      return describeOne( Entry< Handler >{ helpDoc(), {}, {} }, "" );
   }
   auto found = verbs_.find( first.text );
   if( found == verbs_.end() ) {
      throw ScenarioError( "help: no command '" + first.text + "' (try help)" );
   }
   return describeOne( found->second, "" );
}

std::vector< std::string >
CommandTable::commandWords() const {
   std::vector< std::string > words{ "expect", "help", "show" };
   for( const auto & [ name, entry ] : verbs_ ) {
      words.push_back( name );
   }
   std::sort( words.begin(), words.end() );
   return words;
}

std::vector< std::string >
CommandTable::wordsAfter( const std::string & first ) const {
   std::vector< std::string > words;
   if( first == "show" ) {
      for( const auto & [ name, entry ] : shows_ ) {
         words.push_back( name );
      }
   } else if( first == "expect" ) {
      for( const auto & [ name, entry ] : expectations_ ) {
         words.push_back( name );
      }
   } else if( first == "help" ) {
      words = commandWords();
   }
   return words;
}

} // namespace Sim
