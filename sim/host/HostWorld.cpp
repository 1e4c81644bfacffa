#include "host/HostWorld.h"

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
      const bool setting = found != toggles.end() && found->second;
      const std::optional< Flagpole::Question > asked = Flagpole::lastQuestion( toggle );
      if( asked && asked->answer != setting ) {
         view_.notes.push_back( std::string( "toggle " ) + toggle + " is " + ( setting ? "on" : "off" ) +
                                " now, but the plug-in read " + ( asked->answer ? "on" : "off" ) +
                                ": the change takes effect when the agent's process starts again" );
      }
      view_.cfmSwitchedOn = view_.cfmSwitchedOn && ( asked ? asked->answer : setting );
   }
   view_.chip = &Shim::simChip();
   // The SOURCE_TRUNK_MAP table carries every request out as it is posted:
   // none is ever on its way. It is hardware state: it outlives the agent.
   for( U16 unit = 0; unit < Shim::SimChip::unitCount; ++unit ) {
      for( const auto & [ key, written ] : host.sourceTrunkMap().chipTable( unit ) ) {
         sourceTrunkMap_.units[ unit ][ key ] = written.profile;
      }
   }
   view_.sourceTrunkMap = &sourceTrunkMap_;
   view_.sourceTrunkMapWritable = host.sourceTrunkMap().watched() != nullptr;
}

} // namespace Sim
