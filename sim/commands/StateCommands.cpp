// The shared Strata state (module, unit, intf, lag) and the feature toggles.
// Each command changes the state at once; every map entry changed publishes
// its own change, in the order the language lists them.
#include "Flagpole/Toggle.h"
#include "commands/StandardCommands.h"
#include "language/KnownNames.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

#include <vector>

namespace Sim {

namespace {

StrataCentral::ModId
modIdFrom( const std::string & text ) {
   return StrataCentral::ModId( unsigned( parseUnsigned( text, "module id", StrataCentral::ModId::null ) ) );
}

void
moduleCommand( Session & s, Args & args ) {
   const StrataCentral::ModId modId = modIdFrom( args.next( "module id" ) );
   auto & map = s.host.scsd().strataModIdToUnit;
   if( args.accept( "remove" ) ) {
      args.end();
      map.erase( modId );
      return;
   }
   args.keyword( "unit" );
   const U16 unit = U16( parseUnsigned( args.next( "unit" ), "unit", 0xFFFF ) );
   args.end();
   map.set( modId, unit );
}

void
unitCommand( Session & s, Args & args ) {
   const U16 unit = U16( parseUnsigned( args.next( "unit" ), "unit", 0xFFFF ) );
   auto & map = s.host.scsd().strataModId;
   if( args.accept( "remove" ) ) {
      args.end();
      map.erase( unit );
      return;
   }
   args.keyword( "modinfo" );
   Strata::StrataModInfo info;
   info.modInfo = U16( parseUnsigned( args.next( "module information" ), "modinfo", 0xFFFF ) );
   args.end();
   map.set( unit, info );
}

// Erases strataPortToIntf[port] while it still names `intf`: another
// interface may have taken the port since.
void
portLeaves( Strata::StrataCommonSmData & scsd, const StrataTypes::StrataPort & port, const Lumo::IntfId & intf ) {
   const Lumo::IntfId * owner = scsd.strataPortToIntf.find( port );
   if( owner && owner->isEq( intf ) ) {
      scsd.strataPortToIntf.erase( port );
   }
}

void
intfRemove( Strata::StrataCommonSmData & scsd, const Lumo::IntfId & intf ) {
   const StrataTypes::StrataPort * cached = scsd.strataIntfToPortCache.find( intf );
   const std::optional< StrataTypes::StrataPort > port = cached ? std::optional( *cached ) : std::nullopt;
   scsd.intf.erase( intf );
   scsd.unusedIntf.erase( intf );
   scsd.strataIntfToPortCache.erase( intf );
   if( port ) {
      portLeaves( scsd, *port, intf );
   }
}

void
intfCommand( Session & s, Args & args ) {
   const Lumo::IntfId intf( args.next( "interface name" ) );
   Strata::StrataCommonSmData & scsd = s.host.scsd();
   if( args.accept( "remove" ) ) {
      args.end();
      intfRemove( scsd, intf );
      return;
   }
   bool unused = false;
   std::optional< StrataTypes::StrataPort > port;
   while( !args.atEnd() ) {
      if( args.accept( "unused" ) ) {
         onlyOnce( unused, "intf", "unused" );
         unused = true;
      } else if( args.accept( "port" ) ) {
         onlyOnce( port.has_value(), "intf", "port" );
         port = parsePort( args.next( "port M/U/P" ), "port" );
      } else {
         throw ScenarioError( "intf: unexpected '" + args.next( "" ) +
                              "' (intf NAME [unused] [port M/U/P] | intf NAME remove)" );
      }
   }
   ( unused ? scsd.unusedIntf : scsd.intf ).set( intf, true );
   if( port ) {
      const StrataTypes::StrataPort * previous = scsd.strataIntfToPortCache.find( intf );
      const std::optional< StrataTypes::StrataPort > stale =
         previous && !previous->isEq( *port ) ? std::optional( *previous ) : std::nullopt;
      scsd.strataIntfToPortCache.set( intf, *port );
      scsd.strataPortToIntf.set( *port, intf );
      // An interface that moves to another port leaves its old port: the
      // reverse map must not name it twice.
      if( stale ) {
         portLeaves( scsd, *stale, intf );
      }
   }
}

StrataTypes::StrataPort
memberPort( const Strata::StrataCommonSmData & scsd, const Token & member ) {
   if( looksLikePort( member.text ) ) {
      return parsePort( member.text, "lag member" );
   }
   const StrataTypes::StrataPort * port = scsd.strataIntfToPortCache.find( Lumo::IntfId( member.text ) );
   if( !port ) {
      throw ScenarioError( "lag member '" + member.text + "' is neither a port M/U/P nor an interface with a port" );
   }
   return *port;
}

// A port is a member of one port-channel at most, as on a switch: joining
// `lag` takes it out of the port-channel it was in. That port-channel's
// member set is published without it first, then (by the caller) the port's
// strataPortToLag entry naming `lag`, so the plug-in sees the port move.
void
leaveOtherLag( Strata::StrataCommonSmData & scsd, const StrataTypes::StrataPort & port, const Lumo::IntfId & lag ) {
   const Lumo::IntfId * current = scsd.strataPortToLag.find( port );
   if( !current || current->isEq( lag ) ) {
      return;
   }
   const Lumo::IntfId other = *current;
   if( const StrataTypes::StrataPortList * members = scsd.strataLagToPort.find( other ) ) {
      StrataTypes::StrataPortList remaining = *members;
      remaining.erase( port );
      scsd.strataLagToPort.set( other, remaining );
   }
}

void
lagCommand( Session & s, Args & args ) {
   const Lumo::IntfId lag( args.next( "port-channel name" ) );
   Strata::StrataCommonSmData & scsd = s.host.scsd();
   const StrataTypes::StrataPortList * current = scsd.strataLagToPort.find( lag );
   const StrataTypes::StrataPortList before = current ? *current : StrataTypes::StrataPortList();
   if( args.accept( "remove" ) ) {
      args.end();
      for( const StrataTypes::StrataPort & port : before ) {
         scsd.strataPortToLag.erase( port );
      }
      scsd.strataLagToPort.erase( lag );
      return;
   }
   args.keyword( "members" );
   std::vector< StrataTypes::StrataPort > members;
   for( const Token & member : args.rest() ) {
      members.push_back( memberPort( scsd, member ) );
   }
   for( const StrataTypes::StrataPort & port : members ) {
      leaveOtherLag( scsd, port, lag );
   }
   const StrataTypes::StrataPortList after( members.begin(), members.end() );
   scsd.strataLagToPort.set( lag, after );
   for( const StrataTypes::StrataPort & port : members ) {
      scsd.strataPortToLag.set( port, lag );
   }
   for( const StrataTypes::StrataPort & port : before ) {
      if( !after.count( port ) ) {
         scsd.strataPortToLag.erase( port );
      }
   }
}

void
toggleCommand( Session &, Args & args ) {
   const std::string name = args.next( "toggle name" );
   const bool on = parseOnOff( args.nextToken( "on or off" ), "toggle " + name );
   args.end();
   requireKnownToggle( name );
   Flagpole::toggleStateIs( name, on );
}

} // namespace

void
addStateCommands( CommandTable & table ) {
   table.section( "Shared Strata state (each change is published at once)" );
   table.verb( "module",
               { "module MOD unit UNIT | module MOD remove",
                 "Puts chip module MOD on UNIT (strataModIdToUnit), or takes it away; the "
                 "plug-in keeps one slice per module." },
               moduleCommand );
   table.verb( "unit",
               { "unit UNIT modinfo VALUE | unit UNIT remove",
                 "Gives UNIT its 16-bit module information (strataModId), which heads every "
                 "source-trunk-map request for the unit; or removes it." },
               unitCommand );
   table.verb( "intf",
               { "intf NAME [unused] [port M/U/P] | intf NAME remove",
                 "Declares an interface (in intf, or unusedIntf with unused) and its chip port "
                 "MODULE/UNIT/PORT; or removes it from every map." },
               intfCommand );
   table.verb( "lag",
               { "lag LAG members MEMBER... | lag LAG remove",
                 "Sets a port-channel's member ports (interfaces with a port, or M/U/P), "
                 "updating strataLagToPort and strataPortToLag; or removes it." },
               lagCommand );
   table.verb( "toggle",
               { "toggle NAME on|off", "What the feature-toggle library answers for NAME from now on; the plug-in "
                                       "asks once per process, so set CFM's toggles before agent start." },
               toggleCommand );
}

} // namespace Sim
