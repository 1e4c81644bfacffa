// The plug-in's clients: the packet tracer's request and status, CFM's
// forwarding configurations, and the source-trunk-map requests the plug-in
// posts to the agent (their views are in views/ClientViews.cpp).
#include "Agent/CfmHwConfig.h"
#include "Pallet/Pallet.h"
#include "commands/StandardCommands.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

namespace Sim {

namespace {

// tracer apply|withdraw INTF [cpu] [id NAME:N]
void
tracerRequest( Session & s, Args & args, bool enable ) {
   const Lumo::IntfId intf( args.next( "interface name" ) );
   bool cpu = false;
   std::optional< PacketTracer::RequestId > id;
   while( !args.atEnd() ) {
      if( args.accept( "cpu" ) ) {
         onlyOnce( cpu, "tracer", "cpu" );
         cpu = true;
      } else if( args.accept( "id" ) ) {
         onlyOnce( id.has_value(), "tracer", "id" );
         id = parseRequestId( args.next( "request id NAME:N" ), "request id" );
      } else {
         throw ScenarioError( "tracer: unexpected '" + args.next( "" ) +
                              "' (tracer apply|withdraw INTF [cpu] [id NAME:N])" );
      }
   }
   auto & request = s.host.requestConfig();
   if( id ) {
      request.requestIdIs( *id );
   }
   request.intfIdIs( intf );
   request.enableIs( enable );
   request.cpuPktProfileEnableIs( cpu );
   request.versionIs( request.version() + 1 );
}

void
tracerCommand( Session & s, Args & args ) {
   const Token & what = args.nextToken( "apply, withdraw, id or version" );
   if( what.is( "apply" ) || what.is( "withdraw" ) ) {
      tracerRequest( s, args, what.is( "apply" ) );
   } else if( what.is( "id" ) ) {
      const auto id = parseRequestId( args.next( "request id NAME:N" ), "request id" );
      args.end();
      s.host.requestConfig().requestIdIs( id );
   } else if( what.is( "version" ) ) {
      const U32 version = U32( parseUnsigned( args.next( "version" ), "version", 0xFFFFFFFFu ) );
      args.end();
      s.host.requestConfig().versionIs( version );
   } else {
      throw ScenarioError( "tracer: unknown '" + what.text + "' (apply, withdraw, id, version)" );
   }
}

void
statusCommand( Session & s, Args & args ) {
   args.keyword( "version" );
   const U32 version = U32( parseUnsigned( args.next( "version" ), "version", 0xFFFFFFFFu ) );
   args.end();
   s.host.statusEntityIs()->versionIs( version );
}

void
cfmCommand( Session & s, Args & args ) {
   const Token & what = args.nextToken( "add or remove" );
   if( !what.is( "add" ) && !what.is( "remove" ) ) {
      throw ScenarioError( "cfm: unknown '" + what.text + "' (cfm add|remove INTF vlan V)" );
   }
   const Lumo::IntfId intf( args.next( "interface name" ) );
   args.keyword( "vlan" );
   const U16 vlan = U16( parseUnsigned( args.next( "VLAN" ), "vlan", 0xFFFF ) );
   args.end();
   const CfmSw::IntfVlanTuple key( intf, vlan );
   auto & config = s.host.cfmConfig().forwardingConfig;
   if( what.is( "add" ) ) {
      config.set( key, Pallet::make< CfmSw::CfmForwardingConfig >( key ) );
   } else {
      config.erase( key );
   }
}

// expect request M/P VALUE
void
expectRequest( Session & s, Args & args ) {
   const std::string where = args.next( "M/P" );
   const std::size_t slash = where.find( '/' );
   if( slash == std::string::npos ) {
      throw ScenarioError( "request: '" + where + "' is not MOD/PORT" );
   }
   const U16 modId = U16( parseUnsigned( where.substr( 0, slash ), "request module id", StrataCentral::ModId::null ) );
   const U16 port = U16( parseUnsigned( where.substr( slash + 1 ), "request port", 0x3FF ) );
   const U64 value = parseUnsigned( args.next( "profile value" ), "request value", 0xFFFFFFFFu );
   // [kind K] [modinfo V]: the rest of the request's key, when given.
   std::optional< U64 > kind, modInfo;
   std::string expected = "request " + where + " " + std::to_string( value );
   while( !args.atEnd() ) {
      if( args.accept( "kind" ) ) {
         onlyOnce( kind.has_value(), "expect request", "kind" );
         kind = parseUnsigned( args.next( "request kind" ), "request kind", 0xFF );
         expected += " kind " + std::to_string( *kind );
      } else if( args.accept( "modinfo" ) ) {
         onlyOnce( modInfo.has_value(), "expect request", "modinfo" );
         modInfo = parseUnsigned( args.next( "module information" ), "request modinfo", 0xFFFF );
         expected += " modinfo " + std::to_string( *modInfo );
      } else {
         throw ScenarioError( "expect request: unknown option '" + args.next( "option" ) + "' (kind K, modinfo V)" );
      }
   }
   const auto last = s.host.sourceTrunkMap().lastRequest( modId, port );
   const bool holds = last && last->value == value && ( !kind || last->key.kind == *kind ) &&
                      ( !modInfo || last->key.modInfo == *modInfo );
   s.checks.check( args.line().where, holds, expected,
                   last ? "request " + where + " " + std::to_string( last->value ) + " kind " +
                             std::to_string( last->key.kind ) + " modinfo " + std::to_string( last->key.modInfo )
                        : "no request for " + where );
}

void
expectRequests( Session & s, Args & args ) {
   const U64 count = parseUnsigned( args.next( "count" ), "request count" );
   args.end();
   const std::size_t posted = s.host.sourceTrunkMap().log().size();
   s.checks.check( args.line().where, posted == count, std::to_string( count ) + " requests",
                   std::to_string( posted ) );
}

// expect status state N | version N | request-id NAME:N
void
expectStatus( Session & s, Args & args ) {
   const Token & what = args.nextToken( "state, version or request-id" );
   const std::string value = args.next( "expected value" );
   args.end();
   const std::string expected = "status " + what.text + " " + value;
   std::optional< std::string > got;
   bool holds = false;
   auto status = s.host.statusEntity();
   if( what.is( "state" ) ) {
      const U64 state = parseUnsigned( value, "status state", 0xFF );
      if( status ) {
         got = std::to_string( unsigned( status->state() ) );
         holds = U64( status->state() ) == state;
      }
   } else if( what.is( "version" ) ) {
      const U64 version = parseUnsigned( value, "status version", 0xFFFFFFFFu );
      if( status ) {
         got = std::to_string( status->version() );
         holds = status->version() == version;
      }
   } else if( what.is( "request-id" ) ) {
      const auto id = parseRequestId( value, "status request-id" );
      if( status ) {
         got = requestIdText( status->requestId() );
         holds = status->requestId() == id;
      }
   } else {
      throw ScenarioError( "status: unknown '" + what.text + "' (state, version, request-id)" );
   }
   s.checks.check( args.line().where, holds, expected, got ? *got : "no status entity " + s.host.statusEntityName() );
}

} // namespace

void
addClientCommands( CommandTable & table ) {
   table.section( "Clients of the plug-in" );
   table.verb( "tracer",
               { "tracer apply INTF [cpu] [id NAME:N] | tracer withdraw INTF [cpu] [id NAME:N] | "
                 "tracer id NAME:N | tracer version N",
                 "Writes the packet tracer's request (interface, enable, CPU bit, id) and bumps "
                 "its version, which is what makes the plug-in act." },
               tracerCommand );
   table.verb( "status",
               { "status version N", "Sets the status entity's version (creating the entity when it is missing)." },
               statusCommand );
   table.verb( "cfm",
               { "cfm add INTF vlan V | cfm remove INTF vlan V",
                 "Adds or removes a CFM forwarding configuration for (INTF, V); a port-channel "
                 "interface stands for its members." },
               cfmCommand );
   table.expectation( "request",
                      { "request M/P VALUE [kind K] [modinfo V]",
                        "The last source-trunk-map request for module M, port P carried "
                        "profile VALUE (and was of kind K, headed by module information V)." },
                      expectRequest );
   table.expectation( "requests", { "requests N", "N source-trunk-map requests were posted since clear." },
                      expectRequests );
   table.expectation( "status",
                      { "status state N | status version N | status request-id NAME:N",
                        "The packet tracer's status entity holds that value." },
                      expectStatus );
}

} // namespace Sim
