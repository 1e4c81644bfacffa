#include "Action.h"

#include <sstream>

namespace ModelTest {

std::string
Action::text( const Universe & universe ) const {
   std::ostringstream line;
   switch( kind ) {
    case ActionKind::moduleAdd: line << "module " << module << " unit " << chipUnit; break;
    case ActionKind::moduleRemove: line << "module " << module << " remove"; break;
    case ActionKind::intfAdd: {
       line << "intf " << intf << ( unused ? " unused" : "" );
       if( const std::optional< Port > port = universe.portOf( intf ) ) {
          line << " port " << portText( *port );
       }
       break;
    }
    case ActionKind::intfRemove: line << "intf " << intf << " remove"; break;
    case ActionKind::lagSet: {
       line << "lag " << intf << " members";
       for( const Port & port : members ) {
          line << " " << portText( port );
       }
       break;
    }
    case ActionKind::lagRemove: line << "lag " << intf << " remove"; break;
    case ActionKind::cfmAdd: line << "cfm add " << intf << " vlan " << vlan; break;
    case ActionKind::cfmRemove: line << "cfm remove " << intf << " vlan " << vlan; break;
    case ActionKind::tracer:
      line << "tracer " << ( enable ? "apply " : "withdraw " ) << intf << ( cpu ? " cpu" : "" )
           << " id r:" << requestNumber;
      break;
    case ActionKind::timeout:
      line << "set every slice timeout " << seconds << ( viaGeneric ? "" : "   # through the setter" );
      break;
    case ActionKind::advance: line << "clock advance " << seconds; break;
    case ActionKind::restart: line << "agent stop; agent start"; break;
   }
   return line.str();
}

namespace Step {

namespace {
Action
of( ActionKind kind ) {
   Action a;
   a.kind = kind;
   return a;
}
Action
tracer( const std::string & intf, U32 requestNumber, bool enable, bool cpu ) {
   Action a = of( ActionKind::tracer );
   a.intf = intf;
   a.requestNumber = requestNumber;
   a.enable = enable;
   a.cpu = cpu;
   return a;
}
} // namespace

Action
moduleAdd( unsigned module ) {
   Action a = of( ActionKind::moduleAdd );
   a.module = module;
   return a;
}
Action
moduleRemove( unsigned module ) {
   Action a = of( ActionKind::moduleRemove );
   a.module = module;
   return a;
}
Action
intfAdd( const std::string & name, bool unused ) {
   Action a = of( ActionKind::intfAdd );
   a.intf = name;
   a.unused = unused;
   return a;
}
Action
intfRemove( const std::string & name ) {
   Action a = of( ActionKind::intfRemove );
   a.intf = name;
   return a;
}
Action
lag( const std::string & name, std::vector< Port > members ) {
   Action a = of( ActionKind::lagSet );
   a.intf = name;
   a.members = std::move( members );
   return a;
}
Action
lagRemove( const std::string & name ) {
   Action a = of( ActionKind::lagRemove );
   a.intf = name;
   return a;
}
Action
cfmAdd( const std::string & intf, U16 vlan ) {
   Action a = of( ActionKind::cfmAdd );
   a.intf = intf;
   a.vlan = vlan;
   return a;
}
Action
cfmRemove( const std::string & intf, U16 vlan ) {
   Action a = of( ActionKind::cfmRemove );
   a.intf = intf;
   a.vlan = vlan;
   return a;
}
Action
apply( const std::string & intf, U32 requestNumber, bool cpu ) {
   return tracer( intf, requestNumber, true, cpu );
}
Action
withdraw( const std::string & intf, U32 requestNumber, bool cpu ) {
   return tracer( intf, requestNumber, false, cpu );
}
Action
timeout( double seconds, bool viaGeneric ) {
   Action a = of( ActionKind::timeout );
   a.seconds = seconds;
   a.viaGeneric = viaGeneric;
   return a;
}
Action
advance( double seconds ) {
   Action a = of( ActionKind::advance );
   a.seconds = seconds;
   return a;
}
Action
restart() {
   return of( ActionKind::restart );
}

} // namespace Step

} // namespace ModelTest
