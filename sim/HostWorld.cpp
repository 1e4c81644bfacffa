#include "HostWorld.h"

#include "Flagpole/Toggle.h"
#include "Shim/SimChip.h"

namespace Sim {

namespace {
constexpr const char * cfmToggles[] = { "StrataCfmOnTH3", "StrataCfmOnTH3Masquerade" };
} // namespace

HostWorld::HostWorld( Host & host ) {
   view_.agentRunning = host.started();
   view_.scsd = host.withheld( AgentInput::scsd ) ? nullptr : &host.scsd();
   view_.request = host.withheld( AgentInput::requestConfig ) ? nullptr : &host.requestConfig();
   if( !host.withheld( AgentInput::statusDir ) ) {
      status_ = host.statusEntity();
      view_.status = status_.ptr();
   }
   view_.cfmConfig = host.withheld( AgentInput::cfmConfig ) ? nullptr : &host.cfmConfig();
   const std::map< std::string, bool > toggles = Flagpole::toggleStates();
   view_.cfmSwitchedOn = true;
   for( const char * toggle : cfmToggles ) {
      const auto found = toggles.find( toggle );
      view_.cfmSwitchedOn = view_.cfmSwitchedOn && found != toggles.end() && found->second;
   }
   view_.chip = &Shim::simChip();
   // The table manager carries every request out as it is posted: none is
   // ever on its way.
   if( host.tableManager().watched() ) {
      for( U16 unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
         for( const auto & [ key, written ] : host.tableManager().chipTable( unit ) ) {
            sourceTrunkMap_.units[ unit ][ key ] = written.profile;
         }
      }
      view_.sourceTrunkMap = &sourceTrunkMap_;
   }
}

} // namespace Sim
