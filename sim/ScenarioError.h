// The error a scenario line causes by being malformed or by naming something
// unknown. The runner prefixes it with FILE:LINE and, when running files, stops
// the run with exit status 2.
//
// It deliberately does not derive from Quill::Exception: a framework error
// thrown by the plug-in during a command is a failed check, not a bad line, and
// the runner tells the two apart by type.
#pragma once

#include <stdexcept>
#include <string>

namespace Sim {

class ScenarioError : public std::runtime_error {
 public:
   using std::runtime_error::runtime_error;
};

} // namespace Sim
