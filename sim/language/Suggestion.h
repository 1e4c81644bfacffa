// What to say after "unknown NAME": the known names it is closest to, so
// that `StrataCfmOnTh3` or `ApiStrat` is answered with the name meant.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Sim {

// " (did you mean A?)" naming the known names nearest to `name` when they are
// near (a few letters added, dropped or changed; case does not count);
// otherwise " (known: A, B, C)" when there are few known names; otherwise "".
std::string suggestion( std::string_view name, const std::vector< std::string > & known );

} // namespace Sim
