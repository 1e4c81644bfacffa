// Flagpole, the feature-toggle library.
//
// The stand-in answers from what the host has set: a toggle is on or off by
// name, whatever file names it (the host owns that configuration), and every
// question is counted per toggle so that the host can see who asked how often.
// A toggle the host never set is off. The third argument ("default when the
// file cannot be read") is not needed: the host's settings are always there;
// it is kept, with the file named, as what the last question asked.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace Flagpole {

// The toggle's state in the lowest bit.
int getToggleState( const std::string & name, const std::string & file, bool fallback );

// Host side.
void toggleStateIs( const std::string & name, bool on );
std::size_t toggleReads( const std::string & name );
// The last question about `name`, if any: the file and the fallback it gave,
// and what the library answered. A plug-in that keeps its answer acts on
// `answer`, whatever the toggle is set to since.
struct Question {
   std::string file;
   bool fallback = false;
   bool answer = false;
};
std::optional< Question > lastQuestion( const std::string & name );
std::map< std::string, bool > toggleStates();
// Forgets every setting and count (a fresh host).
void togglesClear();

} // namespace Flagpole

// The agent calls it unqualified.
using Flagpole::getToggleState;
