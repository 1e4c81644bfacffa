// The clients' side of the state database as the host holds it: the packet
// tracer's request and status entities, and the source-trunk-map requests
// the plug-in posted.
#include "commands/StandardCommands.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

namespace Sim {

namespace {

Report
showRequests( Session & s, Args & args ) {
   args.end();
   Report report( "requests" );
   Table & log =
      report.table( "posted", "requests posted since clear", { "seq", "modInfo", "modId", "port", "kind", "value" } );
   std::size_t n = 0;
   for( const auto & request : s.host.sourceTrunkMap().log() ) {
      log.row( { Cell::number( ++n ), Cell::hex( request.key.modInfo ), Cell::number( request.key.modId.value() ),
                 Cell::number( request.key.port.value() ), Cell::number( request.key.kind ),
                 Cell::number( request.value ) } );
   }
   Table & table = report.table( "lastValues", "last value per module and port", { "modId", "port", "profile" } );
   for( const auto & [ key, last ] : s.host.sourceTrunkMap().entries() ) {
      table.row( { Cell::number( key.first ), Cell::number( key.second ), Cell::number( last.value ) } );
   }
   return report;
}

Report
showRequest( Session & s, Args & args ) {
   args.end();
   const auto & request = s.host.requestConfig();
   Report report( "request" );
   report.field( "path", Host::requestConfigPath );
   report.field( "mounted", Cell::boolean( !s.host.withheld( AgentInput::requestConfig ) ) );
   report.field( "requestId", requestIdText( request.requestId() ) );
   report.field( "intfId", request.intfId().name() );
   report.field( "enable", Cell::boolean( request.enable() ) );
   report.field( "cpuPktProfileEnable", Cell::boolean( request.cpuPktProfileEnable() ) );
   report.field( "version", Cell::number( request.version() ) );
   return report;
}

Report
showStatus( Session & s, Args & args ) {
   args.end();
   Report report( "status" );
   report.field( "name", s.host.statusEntityName() );
   const auto status = s.host.statusEntity();
   report.field( "exists", Cell::boolean( bool( status ) ) );
   // The same keys whether or not the entity exists: null stands for absent.
   const Cell absent = Cell::withJson( "-", "null" );
   report.field( "state", status ? Cell::number( unsigned( status->state() ) ) : absent );
   report.field( "requestId", status ? Cell( requestIdText( status->requestId() ) ) : absent );
   report.field( "version", status ? Cell::number( status->version() ) : absent );
   return report;
}

} // namespace

void
addClientViews( CommandTable & table ) {
   table.show( "requests",
               { "requests", "The source-trunk-map requests posted since clear, in order, and the profile "
                             "each (module, port) was last given." },
               showRequests );
   table.show( "request", { "request", "The packet tracer's request entity, field by field." }, showRequest );
   table.show( "status", { "status", "The packet tracer's status entity (state 4: handled)." }, showStatus );
}

} // namespace Sim
