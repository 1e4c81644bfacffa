#include "output/ManualPages.h"

#include "output/Usage.h"

namespace Sim {

std::string
roffText( const std::string & text ) {
   std::string out;
   for( char c : text ) {
      if( c == '\\' ) {
         out += "\\e";
      } else if( c == '-' ) {
         out += "\\-";
      } else {
         out += c;
      }
   }
   // A control character at the start of a line would make it a request.
   if( !out.empty() && ( out[ 0 ] == '.' || out[ 0 ] == '\'' ) ) {
      out = "\\&" + out;
   }
   return out;
}

namespace {

std::string
header( const std::string & name, const char * section, const std::string & version, const char * manual ) {
   std::string upper;
   for( char c : name ) {
      upper += char( c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c );
   }
   return ".TH " + upper + " " + section + " \"\" \"strata-agent-sim " + version + "\" \"" + manual + "\"\n";
}

std::string
bold( const std::string & text ) {
   return "\\fB" + roffText( text ) + "\\fR";
}

// A tagged paragraph: each of `forms` in bold on a line of its own, then
// `text` indented below them.
std::string
tagged( const std::vector< std::string > & forms, const std::string & text ) {
   std::string out = ".TP\n" + bold( forms.front() ) + "\n";
   for( std::size_t i = 1; i < forms.size(); ++i ) {
      out += ".TQ\n" + bold( forms[ i ] ) + "\n";
   }
   return out + roffText( text ) + "\n";
}

std::string
paragraph( const std::string & text ) {
   return ".PP\n" + roffText( text ) + "\n";
}

// Lines shown as they are, in a literal block.
std::string
example( const std::vector< std::string > & lines ) {
   std::string out = ".PP\n.RS 4\n.nf\n";
   for( const std::string & line : lines ) {
      out += roffText( line ) + "\n";
   }
   return out + ".fi\n.RE\n";
}

} // namespace

std::string
programManualPage( const std::string & version ) {
   std::string page = header( "strata-agent-sim", "1", version, "User Commands" );
   page += ".SH NAME\nstrata\\-agent\\-sim \\- run the packet tracer plug-in against a simulated switch\n";
   page += ".SH SYNOPSIS\n.B strata\\-agent\\-sim\n[\\fIOPTION\\fR...] [\\fISCENARIO\\fR...]\n";
   page += ".SH DESCRIPTION\n" + roffText( programSummary ) + "\n";
   page += paragraph(
      "It is the host the plug-in libStrataPacketTracerSlice runs in, as the switch's forwarding agent would "
      "be: it loads the plug-in with dlopen, owns the state database, the virtual clock, the feature toggles "
      "and a simulated chip, and carries out the source-trunk-map requests the plug-in posts. A scenario sets "
      "up the switch, starts the agent, drives the packet tracer and CFM, moves the clock, and states with "
      "expect what must then be true; each failed expectation prints FILE:LINE: expected ..., got ... and the "
      "run goes on. The language is described in strata-scenario(5); 'help' at the prompt lists it too." );
   page += ".SH OPTIONS\n";
   for( const OptionDoc & option : commandLineOptions ) {
      page += tagged( { std::string( option.name ) + ( *option.value ? " " : "" ) + option.value }, option.summary );
   }
   page += ".SH EXIT STATUS\n";
   for( const ExitStatusDoc & exit : exitStatuses ) {
      page += tagged( { exit.status }, exit.meaning );
   }
   page += ".SH ENVIRONMENT\n";
   page += tagged( { "NO_COLOR" }, "When set, output to a terminal is not coloured either." );
   page += ".SH FILES\n";
   page += tagged( { "/usr/lib/strata-agent/plugins/libStrataPacketTracerSlice.so.1" },
                   "The plug-in loaded by default, found relative to the simulator itself "
                   "(../lib/strata-agent/plugins/), so an installed tree can be moved." );
   page += tagged( { "/usr/share/strata-agent-sim/examples/" },
                   "Commented example scenarios; default.scn is the place to start." );
   page += tagged( { "/usr/share/strata-agent-sim/scenario-language.md" }, "The scenario language, with examples." );
   page += ".SH EXAMPLES\n";
   page += paragraph( "Run an example and check its expectations; the last line is N passed, N failed:" );
   page += example( { "strata-agent-sim /usr/share/strata-agent-sim/examples/default.scn" } );
   page += paragraph( "Only the SDK calls' trace lines:" );
   page += example( { "strata-agent-sim --trace 'ApiStrata=4;StrataPacketTracerSliceMounter=none;Cairn=none' "
                      "default.scn" } );
   page += paragraph( "A suite in CI, with a report the CI server reads and a timeline to open in Perfetto "
                      "(ui.perfetto.dev) or chrome://tracing:" );
   page += example( { "strata-agent-sim --quiet --junit report.xml --timeline run.json tests/*.scn" } );
   page += paragraph( "Explore at the prompt, keeping what was typed as a new scenario:" );
   page += example( { "strata-agent-sim --record new.scn" } );
   page += ".SH SEE ALSO\n.BR strata\\-scenario (5)\n";
   return page;
}

std::string
languageManualPage( const CommandTable & table, const std::string & version ) {
   std::string page = header( "strata-scenario", "5", version, "File Formats" );
   page += ".SH NAME\nstrata\\-scenario \\- the scenario language of strata\\-agent\\-sim\n";
   page += ".SH DESCRIPTION\n";
   page += roffText( "A scenario is a text file of commands, one per line, run in order by strata-agent-sim(1) "
                     "or typed at its prompt. A # starts a comment; words are separated by blanks, and a word "
                     "with blanks or a # is written in double quotes, with \\\" and \\\\ inside. Every show "
                     "prints text for people, or one JSON document when the line ends in json." ) +
           "\n";
   page += paragraph( "A malformed line, or one naming a toggle, trace handle, type or attribute the plug-in and "
                      "the host do not have, ends the run with exit status 2 (FILE:LINE: what is wrong, with "
                      "the names meant); nothing after it runs. Each expect is one check; a run that contains "
                      "one ends with N passed, N failed." );
   page += ".SH COMMANDS\n";
   for( const CommandTable::DocGroup & group : table.documentation() ) {
      page += ".SS " + roffText( group.title ) + "\n";
      for( const Doc & doc : group.commands ) {
         page += tagged( alternatives( doc.usage ), doc.summary );
      }
   }
   page += ".SS Help\n";
   page += tagged( alternatives( CommandTable::helpDoc().usage ), CommandTable::helpDoc().summary );
   page += ".SH EXAMPLE\n";
   page += example( { "unit 0 modinfo 0x100          # chip unit 0 and its module information",
                      "module 1 unit 0               # module 1 on unit 0: the plug-in makes a slice",
                      "intf Ethernet7 port 1/0/7", "agent start", "tracer apply Ethernet7 cpu id trace:1",
                      "expect request 1/7 5", "clock advance 2", "expect status state 4", "show claims" } );
   page += ".SH SEE ALSO\n.BR strata\\-agent\\-sim (1)\n";
   return page;
}

} // namespace Sim
