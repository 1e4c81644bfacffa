#include "CfmConfig.h"

namespace Bench {

std::string
ethernet( unsigned number ) {
   return "Ethernet" + std::to_string( number );
}

CfmSw::IntfVlanTuple
configKey( unsigned k ) {
   return CfmSw::IntfVlanTuple( Lumo::IntfId( ethernet( k % configInterfaces + 1 ) ), U16( k / configInterfaces + 1 ) );
}

void
buildInterfaces( AgentWorld & world ) {
   world.unitInfoIs();
   for( unsigned i = 1; i <= configInterfaces; ++i ) {
      world.interfaceIs( ethernet( i ), AgentWorld::port( U16( i ) ) );
   }
   world.interfaceIs( eventIntf, AgentWorld::port( eventPortNumber ) );
}

void
buildConfig( AgentWorld & world, unsigned keys ) {
   for( unsigned k = 0; k < keys; ++k ) {
      world.cfmKeyIs( configKey( k ) );
   }
}

} // namespace Bench
