// The agent's value types read back from text: the text each one's
// operator<< writes, and the shorter forms a person types. Each throws
// Quill::ParseException naming what the text is not.
#pragma once

#include "Agent/CfmHwConfig.h"
#include "Agent/Lumo.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/StrataTypes.h"

#include <string>

namespace AgentText {

// "MOD/UNIT/PORT", each decimal or 0x hexadecimal, the port at most 0x3ff.
StrataTypes::StrataPort parsePort( const std::string & text );
// Any text names an interface.
Lumo::IntfId parseIntf( const std::string & text );
// "(INTF, VLAN)" as printed, or "INTF:VLAN".
CfmSw::IntfVlanTuple parseTuple( const std::string & text );
// A number; one above the null module id throws Quill::RangeException.
StrataCentral::ModId parseModId( const std::string & text );
// "NAME:NUMBER".
PacketTracer::RequestId parseRequestId( const std::string & text );

} // namespace AgentText
