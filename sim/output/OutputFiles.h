// The files a run writes beside standard output (--record, --junit,
// --timeline), checked and opened before anything runs: a run whose report
// could not be written, or that would write over one of its inputs or write
// two outputs into one file, is refused at once instead of after the work.
#pragma once

#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Sim {

class OutputFiles {
 public:
   // An input of the run, as the error names it, and its open descriptor.
   struct Input {
      std::string name;
      int fd;
   };

   // The file `path` for the option `option` ("--junit").
   void add( const std::string & option, const std::string & path ) { paths_[ option ] = path; }

   // Refuses a file that is one of `inputs` (the same file, by whatever name)
   // or that two options name; then opens each, truncated. Returns what was
   // wrong ("--junit r.xml is also the file of --record"), or nothing.
   std::optional< std::string > open( const std::vector< Input > & inputs );

   // The open file of `option`, or null when it was not given.
   std::ofstream * file( const std::string & option );
   const std::string & path( const std::string & option ) const { return paths_.at( option ); }

 private:
   std::map< std::string, std::string > paths_;
   std::map< std::string, std::ofstream > files_;
};

} // namespace Sim
