// Quill::_fmt: printf-style formatting into a Vela::String.
#pragma once

#include "Vela/String.h"

namespace Quill {

Vela::String _fmt( const char * format, ... ) __attribute__( ( format( printf, 1, 2 ) ) );

} // namespace Quill
