// Readers for the values a scenario line spells: integers (decimal or 0x
// hexadecimal), seconds, booleans, ports MOD/UNIT/PORT, request ids
// NAME:NUMBER and trace level lists. Each throws ScenarioError naming what was
// wanted (`what`) and the text that stood there.
#pragma once

#include "Agent/PacketTracerTypes.h"
#include "Agent/StrataTypes.h"
#include "Quill/Types.h"
#include "Quill/Value.h"
#include "language/Lexer.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace Sim {

// A non-negative integer no larger than `max`.
U64 parseUnsigned( std::string_view text, const std::string & what, U64 max = std::numeric_limits< U64 >::max() );
// An integer that may carry a leading '-'.
std::int64_t parseSigned( std::string_view text, const std::string & what );
// A finite, non-negative decimal number ("2", "0.5", "1e-3").
double parseSeconds( std::string_view text, const std::string & what );
// "true" or "false".
bool parseBool( std::string_view text, const std::string & what );
// The keyword on or off (unquoted, as every keyword).
bool parseOnOff( const Token & token, const std::string & what );

// MOD/UNIT/PORT: module id and unit 16 bits each, port number 0 to 0x3ff.
StrataTypes::StrataPort parsePort( std::string_view text, const std::string & what );
// Whether the text has the shape MOD/UNIT/PORT (three '/'-separated numbers);
// tells a literal port from an interface name.
bool looksLikePort( std::string_view text ) noexcept;
// NAME:NUMBER, the number 32 bits.
PacketTracer::RequestId parseRequestId( std::string_view text, const std::string & what );
// A request id as a line spells it: NAME:NUMBER.
std::string requestIdText( const PacketTracer::RequestId & id );

// A trace level mask: a comma list of levels 0 to 15, "all" or "none".
U16 parseTraceLevels( std::string_view text );

// A number as a generic value (integer, negative integer or decimal), or
// nothing when the text is not a number.
std::optional< Quill::Value > numberValue( std::string_view text );

} // namespace Sim
