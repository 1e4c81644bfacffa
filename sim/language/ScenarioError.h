// The errors that end a run with exit status 2.
//
// ScenarioError: a scenario line is malformed or names something unknown.
// The runner prefixes it with FILE:LINE and, when running files, stops the
// run. Its message shows the text it quotes as it was read: a NUL byte, a
// control character or a byte that is no UTF-8 appears as \xNN (see
// printable()), so the message is never cut short or garbled by what it
// quotes. It deliberately does not derive from Quill::Exception: a framework
// error thrown by the plug-in during a command is a failed check, not a bad
// line, and the runner tells the two apart by type.
//
// InputError: input that cannot be read as scenario text (a read error, a
// line beyond the length limit).
//
// OutputError: output that could not be written (standard output, the
// recording): a run whose results are lost has not worked.
#pragma once

#include "language/Printable.h"

#include <stdexcept>
#include <string>

namespace Sim {

class ScenarioError : public std::runtime_error {
 public:
   explicit ScenarioError( const std::string & what ) : std::runtime_error( printable( what ) ) {}
};

class InputError : public std::runtime_error {
 public:
   using std::runtime_error::runtime_error;
};

class OutputError : public std::runtime_error {
 public:
   using std::runtime_error::runtime_error;
};

// The reason the last system call failed, from errno ("No space left on
// device"), for an InputError or OutputError.
std::string systemReason();

} // namespace Sim
