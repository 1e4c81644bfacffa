// The simulated chip: presets, injected failures, table expectations, SDK call
// counts and table views. Fields are named by the LportTableFields member that
// carries them (vfpEnable ... outerTpidEnable), plus cfmOnly and spare.
#include "CommandTable.h"
#include "ScenarioError.h"
#include "Shim/SimChip.h"
#include "Tokens.h"

#include <stdexcept>
#include <utility>
#include <vector>

namespace Sim {

namespace {

struct SdkOpName {
   const char * name;
   Shim::SimChip::Op op;
};
constexpr SdkOpName sdkOps[] = {
   { "soc_mem_read", Shim::SimChip::Op::memRead },
   { "soc_mem_write", Shim::SimChip::Op::memWrite },
   { "soc_reg32_get", Shim::SimChip::Op::reg32Get },
   { "soc_reg32_set", Shim::SimChip::Op::reg32Set },
};

// A table of the chip as the language names it: "lport-tab" or "port-tab".
struct Memory {
   Shim::soc_mem_t mem;
   std::string word;
};

Memory
memoryOf( const std::string & word ) {
   Shim::SimChip & chip = Shim::simChip();
   return { word == "lport-tab" ? chip.LPORT_TABm() : chip.PORT_TABm(), word };
}

int
unitFrom( Args & args ) {
   return int( parseUnsigned( args.next( "unit" ), "unit", 0xFFFF ) );
}

int
indexFrom( Args & args, const Memory & memory ) {
   return int( parseUnsigned( args.next( memory.word == "port-tab" ? "port" : "index" ),
                              memory.word == "port-tab" ? "port" : "index", 0xFFFF ) );
}

// FIELD=VALUE, the field checked against the memory.
std::pair< std::string, U32 >
fieldAssignment( const Token & token, const Memory & memory ) {
   const std::size_t equals = token.text.find( '=' );
   if( equals == std::string::npos || equals == 0 ) {
      throw ScenarioError( memory.word + ": '" + token.text + "' is not FIELD=VALUE" );
   }
   const std::string field = token.text.substr( 0, equals );
   if( Shim::simChip().fieldWidth( memory.mem, field ) == 0 ) {
      std::string known;
      for( const std::string & name : Shim::simChip().fieldNames( memory.mem ) ) {
         known += ( known.empty() ? "" : " " ) + name;
      }
      throw ScenarioError( memory.word + " has no field '" + field + "' (fields: " + known + ")" );
   }
   return { field,
            U32( parseUnsigned( token.text.substr( equals + 1 ), field, 0xFFFFFFFFu ) ) };
}

// Host-side chip accesses throw std::out_of_range for a unit or index the
// chip does not have: that is the scenario's mistake.
template< typename F >
auto
onChip( const std::string & what, F && access ) {
   try {
      return access();
   } catch( const std::out_of_range & e ) {
      throw ScenarioError( what + ": " + e.what() );
   } catch( const std::invalid_argument & e ) {
      throw ScenarioError( what + ": " + e.what() );
   }
}

void
presetEntry( Args & args, const Memory & memory ) {
   const int unit = unitFrom( args );
   const int index = indexFrom( args, memory );
   std::vector< std::pair< std::string, U32 > > fields;
   for( const Token & token : args.rest() ) {
      fields.push_back( fieldAssignment( token, memory ) );
   }
   if( fields.empty() ) {
      throw ScenarioError( "chip " + memory.word + ": missing FIELD=VALUE" );
   }
   for( const auto & [ field, value ] : fields ) {
      onChip( "chip " + memory.word, [ & ] {
         Shim::simChip().entryFieldIs( unit, memory.mem, index, field, value );
         return 0;
      } );
   }
}

void
failCommand( Args & args ) {
   const std::string opName = args.next( "soc_mem_read or soc_mem_write" );
   Shim::SimChip::Op op;
   if( opName == "soc_mem_read" ) {
      op = Shim::SimChip::Op::memRead;
   } else if( opName == "soc_mem_write" ) {
      op = Shim::SimChip::Op::memWrite;
   } else {
      throw ScenarioError( "chip fail: '" + opName + "' is not soc_mem_read or soc_mem_write" );
   }
   const std::string memoryName = args.next( "memory (LPORT_TABm or PORT_TABm)" );
   const std::optional< Shim::soc_mem_t > mem = Shim::simChip().memoryNamed( memoryName );
   if( !mem ) {
      throw ScenarioError( "chip fail: unknown memory '" + memoryName +
                           "' (LPORT_TABm or PORT_TABm)" );
   }
   std::optional< int > unit;
   std::optional< int > index;
   for( ;; ) {
      if( args.accept( "unit" ) ) {
         unit = int( parseUnsigned( args.next( "unit" ), "unit", 0xFFFF ) );
      } else if( args.accept( "index" ) ) {
         index = int( parseUnsigned( args.next( "index" ), "index", 0xFFFF ) );
      } else {
         break;
      }
   }
   args.keyword( "rc" );
   const std::int64_t rc = parseSigned( args.next( "return code" ), "rc" );
   args.end();
   if( rc >= 0 || rc < -1000 ) {
      throw ScenarioError( "chip fail: rc " + std::to_string( rc ) +
                           " is not a failure (give a negative SDK return code)" );
   }
   onChip( "chip fail", [ & ] {
      Shim::simChip().failNext( op, *mem, unit, index, int( rc ) );
      return 0;
   } );
}

void
chipCommand( Session &, Args & args ) {
   const Token & what = args.nextToken( "port-tab, lport-tab, cpu-pkt-profile-2 or fail" );
   if( what.is( "port-tab" ) || what.is( "lport-tab" ) ) {
      presetEntry( args, memoryOf( what.text ) );
   } else if( what.is( "cpu-pkt-profile-2" ) ) {
      const int unit = unitFrom( args );
      const U32 value = U32( parseUnsigned( args.next( "value" ), "value", 0xFFFFFFFFu ) );
      args.end();
      onChip( "chip cpu-pkt-profile-2", [ & ] {
         Shim::simChip().cpuPktProfile2Is( unit, value );
         return 0;
      } );
   } else if( what.is( "fail" ) ) {
      failCommand( args );
   } else {
      throw ScenarioError( "chip: unknown '" + what.text +
                           "' (port-tab, lport-tab, cpu-pkt-profile-2, fail)" );
   }
}

// expect lport-tab|port-tab UNIT INDEX FIELD=VALUE... | zero
void
expectEntry( Session & s, Args & args, const Memory & memory ) {
   const int unit = unitFrom( args );
   const int index = indexFrom( args, memory );
   const std::string place = memory.word + " " + std::to_string( unit ) + " " + std::to_string( index );
   Shim::SimChip & chip = Shim::simChip();
   if( args.accept( "zero" ) ) {
      args.end();
      std::string nonZero;
      for( const std::string & field : chip.fieldNames( memory.mem ) ) {
         const U32 value =
            onChip( "expect " + memory.word, [ & ] { return chip.entryField( unit, memory.mem, index, field ); } );
         if( value != 0 ) {
            nonZero += ( nonZero.empty() ? "" : " " ) + field + "=" + std::to_string( value );
         }
      }
      s.checks.check( args.line().where, nonZero.empty(), place + " zero", nonZero );
      return;
   }
   std::vector< std::pair< std::string, U32 > > fields;
   for( const Token & token : args.rest() ) {
      auto assignment = fieldAssignment( token, memory );
      const unsigned width = chip.fieldWidth( memory.mem, assignment.first );
      if( width < 32 && ( assignment.second >> width ) != 0 ) {
         throw ScenarioError( "expect " + memory.word + ": " + std::to_string( assignment.second ) +
                              " does not fit the " + std::to_string( width ) + "-bit field " +
                              assignment.first );
      }
      fields.push_back( std::move( assignment ) );
   }
   if( fields.empty() ) {
      throw ScenarioError( "expect " + memory.word + ": missing FIELD=VALUE or zero" );
   }
   std::string expected = place;
   std::string got;
   bool holds = true;
   for( const auto & [ field, value ] : fields ) {
      const U32 actual =
         onChip( "expect " + memory.word, [ & ] { return chip.entryField( unit, memory.mem, index, field ); } );
      expected += " " + field + "=" + std::to_string( value );
      got += ( got.empty() ? "" : " " ) + field + "=" + std::to_string( actual );
      holds = holds && actual == value;
   }
   s.checks.check( args.line().where, holds, expected, got );
}

void
expectCpuPktProfile( Session & s, Args & args ) {
   const int unit = unitFrom( args );
   const U32 value = U32( parseUnsigned( args.next( "value" ), "value", 0xFFFFFFFFu ) );
   args.end();
   const U32 actual =
      onChip( "expect cpu-pkt-profile-2", [ & ] { return Shim::simChip().cpuPktProfile2( unit ); } );
   s.checks.check( args.line().where, actual == value,
                   "cpu-pkt-profile-2 " + std::to_string( unit ) + " " + std::to_string( value ),
                   std::to_string( actual ) );
}

void
expectSdk( Session & s, Args & args ) {
   const std::string opName = args.next( "SDK operation" );
   const U64 count = parseUnsigned( args.next( "count" ), "count" );
   args.end();
   std::size_t actual = 0;
   if( opName == "any" ) {
      actual = Shim::simChip().callCountAll();
   } else {
      bool known = false;
      for( const SdkOpName & op : sdkOps ) {
         if( opName == op.name ) {
            actual = Shim::simChip().callCount( op.op );
            known = true;
         }
      }
      if( !known ) {
         throw ScenarioError( "sdk: unknown operation '" + opName +
                              "' (soc_mem_read, soc_mem_write, soc_reg32_get, soc_reg32_set, any)" );
      }
   }
   s.checks.check( args.line().where, actual == count, "sdk " + opName + " " + std::to_string( count ),
                   std::to_string( actual ) );
}

void
addEntryTable( Report & report, const Memory & memory, int unit, int index ) {
   Shim::SimChip & chip = Shim::simChip();
   Table & table = report.table( memory.word + " " + std::to_string( unit ) + " " +
                                    std::to_string( index ),
                                 { "field", "bits", "value" } );
   for( const std::string & field : chip.fieldNames( memory.mem ) ) {
      const U32 value = onChip( "show " + memory.word,
                                [ & ] { return chip.entryField( unit, memory.mem, index, field ); } );
      table.row( { field, Cell::number( chip.fieldWidth( memory.mem, field ) ), Cell::number( value ) } );
   }
}

// show lport-tab|port-tab UNIT [INDEX]: one entry, or every non-zero entry.
Report
showEntry( Args & args, const Memory & memory ) {
   const int unit = unitFrom( args );
   Report report( memory.word );
   if( args.atEnd() ) {
      const auto indices = onChip( "show " + memory.word,
                                   [ & ] { return Shim::simChip().nonZeroEntries( unit, memory.mem ); } );
      report.field( "unit", Cell::number( unsigned( unit ) ) );
      report.field( "non-zero entries", Cell::number( indices.size() ) );
      for( int index : indices ) {
         addEntryTable( report, memory, unit, index );
      }
      return report;
   }
   const int index = indexFrom( args, memory );
   args.end();
   addEntryTable( report, memory, unit, index );
   return report;
}

Report
showCpuPktProfile( Session &, Args & args ) {
   const int unit = unitFrom( args );
   args.end();
   const U32 value =
      onChip( "show cpu-pkt-profile-2", [ & ] { return Shim::simChip().cpuPktProfile2( unit ); } );
   Report report( "cpu-pkt-profile-2" );
   report.field( "unit", Cell::number( unsigned( unit ) ) );
   report.field( "register", Cell::hex( value ) );
   report.field( "CPU_PKT_PROFILE_BITMAP (bits 0-7)", Cell::hex( value & 0xFFu ) );
   return report;
}

Report
showSdk( Session &, Args & args ) {
   args.end();
   Report report( "sdk" );
   Table & table = report.table( "SDK calls since clear", { "operation", "calls" } );
   for( const SdkOpName & op : sdkOps ) {
      table.row( { op.name, Cell::number( Shim::simChip().callCount( op.op ) ) } );
   }
   table.row( { "any", Cell::number( Shim::simChip().callCountAll() ) } );
   return report;
}

} // namespace

void
addChipCommands( CommandTable & table ) {
   table.verb( "chip",
               "chip port-tab UNIT PORT FIELD=VALUE... | chip lport-tab UNIT INDEX FIELD=VALUE... | "
               "chip cpu-pkt-profile-2 UNIT VALUE | chip fail OP MEMORY [unit U] [index I] rc CODE",
               chipCommand );
   for( const std::string word : { "lport-tab", "port-tab" } ) {
      const std::string place = word == "port-tab" ? " UNIT PORT" : " UNIT INDEX";
      table.expectation( word, word + place + " FIELD=VALUE... | zero",
                         [ word ]( Session & s, Args & args ) {
                            expectEntry( s, args, memoryOf( word ) );
                         } );
      table.show( word, word + ( word == "port-tab" ? " UNIT [PORT]" : " UNIT [INDEX]" ),
                  [ word ]( Session &, Args & args ) { return showEntry( args, memoryOf( word ) ); } );
   }
   table.expectation( "cpu-pkt-profile-2", "cpu-pkt-profile-2 UNIT VALUE", expectCpuPktProfile );
   table.expectation( "sdk", "sdk OP N", expectSdk );
   table.show( "cpu-pkt-profile-2", "cpu-pkt-profile-2 UNIT", showCpuPktProfile );
   table.show( "sdk", "sdk", showSdk );
}

} // namespace Sim
