// Vela::String: the framework's text type.
#pragma once

#include <string>

namespace Vela {
using String = std::string;
}
