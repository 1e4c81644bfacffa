// Scalar names the framework and the agent's types share.
#pragma once

#include <cstdint>

using U8 = std::uint8_t;
using U16 = std::uint16_t;
using U32 = std::uint32_t;
using U64 = std::uint64_t;

namespace Quill {

// Time in seconds; positive infinity as a wake-up time means never.
using Seconds = double;

// Identifier of a numbered attribute of a framework type.
using AttributeId = short;

} // namespace Quill
