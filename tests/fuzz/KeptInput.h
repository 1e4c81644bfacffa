// What the replay of the kept corpus asks of a fuzz target beyond the
// target's own checks. A kept input is there to lead the fuzzer past the
// reader into the code behind it; one the reader refuses as malformed has
// gone stale (the format moved on under it) and leads nowhere. The fuzz run
// itself stays tolerant of malformed text: only the kept inputs must read.
#pragma once

#include <string>
#include <string_view>

namespace FuzzCheck {

// Why the target's reader refuses `input` as malformed, in the reader's own
// words; empty when it takes the input. Defined by each target.
std::string keptInputRefusal( std::string_view input );

} // namespace FuzzCheck
