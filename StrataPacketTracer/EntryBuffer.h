// The buffer every memory access of the plug-in reads into or writes from.
#pragma once

#include "Shim/Sdk.h"

#include <cstddef>
#include <vector>

namespace Strata {

// Zero-filled, as large as the SDK's largest memory entry.
inline std::vector< U32 >
entryBuffer() {
   return std::vector< U32 >( static_cast< std::size_t >( Shim::sdk_->soc_mem_entry_words_max() ), 0u );
}

} // namespace Strata
