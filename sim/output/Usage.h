// The command line as every place that documents it shows it: --help, the
// manual page strata-agent-sim(1) and the bash completion are all made from
// these tables, so they cannot drift apart from each other or from what the
// program accepts (main.cpp parses exactly these options).
#pragma once

#include <string>

namespace Sim {

struct OptionDoc {
   const char * name;    // "--trace"
   const char * value;   // what follows it ("HANDLE=LEVELS[;...]"), "" for a flag
   const char * summary; // one or two sentences
};

inline constexpr OptionDoc commandLineOptions[] = {
   { "--quiet", "", "Prints no trace lines; they are still captured for expect trace and show trace." },
   { "--trace", "HANDLE=LEVELS[;...]",
     "Prints only these trace levels of these handles (LEVELS: a comma list of 0 to 15, all or none); "
     "may be given more than once. Every level of every handle is printed otherwise." },
   { "--plugin", "PATH",
     "Loads this plug-in instead of the one of the simulator's own version beside it "
     "(../lib/strata-agent/plugins/)." },
   { "--record", "FILE",
     "Writes every command run, from files or typed, as a scenario that replays to the same state." },
   { "--junit", "FILE",
     "Writes the run's checks as JUnit XML, the format CI servers read: a test suite per scenario file, a test "
     "case per expect line named FILE:LINE, the failure message as printed." },
   { "--timeline", "FILE",
     "Writes the run's events in virtual time as a Chrome trace-event file, which Perfetto and chrome://tracing "
     "open: a track per chip unit and per slice, chip writes, posted requests, each tracer request from its "
     "change to its completion, SDK failures and audit results." },
   { "--version", "", "Prints the version and exits." },
   { "--help", "", "Prints this help and exits (also -h)." },
};

struct ExitStatusDoc {
   const char * status;
   const char * meaning;
};

inline constexpr ExitStatusDoc exitStatuses[] = {
   { "0", "Every expectation held." },
   { "1", "An expectation did not hold, or the plug-in raised an error during a command." },
   { "2", "A malformed line or a name the plug-in and the host do not have, input that cannot be read as "
          "scenario text, output that could not be written, or a usage error; a file that --record, --junit or "
          "--timeline cannot write is refused before anything runs." },
   { "abort", "The agent stopped the process on purpose (a failed checked SDK call), with SIGABRT, as it "
              "would on a switch." },
};

// Runs each SCENARIO in order ...: what the program does, in a few lines.
inline constexpr const char * programSummary =
   "Runs each SCENARIO in order in one agent process ('-' is standard input); with none, runs standard "
   "input the same way, or reads commands at the strata> prompt when it is a terminal ('help' lists the "
   "commands).";

// What --help prints: synopsis, summary, options, exit statuses.
std::string usageText();

} // namespace Sim
