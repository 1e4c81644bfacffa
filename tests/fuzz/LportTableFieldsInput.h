// What must hold for any text handed to the LportTableFields parser, shared
// by the fuzz target and the regression test that replays its corpus.
#pragma once

#include <string>
#include <string_view>

namespace FuzzCheck {

// Parses `text` with Strata::LportTableFields::strepToValue. The parser may
// refuse the text with Quill::ParseException; anything else it throws is a
// fault. A value it accepts must print to a text that parses back to the
// same value. Returns what went wrong, or "" when everything held.
std::string lportTableFieldsProblem( std::string_view text );

} // namespace FuzzCheck
