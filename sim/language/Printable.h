// Text read from users, as it can be shown again in a message, in a
// recording's comment or in JSON without cutting or garbling the line it is
// on: a file name with a newline, an interface name with a NUL byte or with
// bytes that are no UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Sim {

// The length of the valid UTF-8 sequence that starts `text` (1 for ASCII),
// or 0 when none starts there (a stray continuation byte, an overlong or
// truncated sequence, a surrogate, a code point beyond U+10FFFF).
std::size_t utf8SequenceLength( std::string_view text ) noexcept;

// `text` with every byte that does not print on a line of its own written
// as \xNN: control characters (NUL, newline, escape ..., the C1 controls),
// DEL, and bytes that are no part of a valid UTF-8 sequence. Everything
// else, non-ASCII letters included, is kept as it is.
std::string printable( std::string_view text );

} // namespace Sim
