// The simulated chip: presets, injected failures, table expectations and SDK
// call counts. Fields are named by the LportTableFields member that carries
// them (vfpEnable ... outerTpidEnable), plus cfmOnly and spare.
#include "Shim/SimChip.h"
#include "commands/ChipAccess.h"
#include "commands/StandardCommands.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

#include <stdexcept>
#include <utility>
#include <vector>

namespace Sim {

Memory
memoryOf( const std::string & word ) {
   Shim::SimChip & chip = Shim::simChip();
   if( word == "lport-tab" ) {
      return { chip.LPORT_TABm(), word, "LPORT_TAB" };
   }
   return { chip.PORT_TABm(), word, "PORT_TAB" };
}

int
unitFrom( Args & args ) {
   return int( parseUnsigned( args.next( "unit" ), "unit", 0xFFFF ) );
}

int
indexFrom( Args & args, const Memory & memory ) {
   const char * what = memory.byPort() ? "port" : "index";
   return int( parseUnsigned( args.next( what ), what, 0xFFFF ) );
}

namespace {

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
   return { field, U32( parseUnsigned( token.text.substr( equals + 1 ), field, 0xFFFFFFFFu ) ) };
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
      // Bound by name: clang 14 (the fuzz build) cannot capture a structured binding.
      onChip( "chip " + memory.word, [ &, &field = field, &value = value ] {
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
      throw ScenarioError( "chip fail: unknown memory '" + memoryName + "' (LPORT_TABm or PORT_TABm)" );
   }
   std::optional< int > unit;
   std::optional< int > index;
   for( ;; ) {
      if( args.accept( "unit" ) ) {
         onlyOnce( unit.has_value(), "chip fail", "unit" );
         unit = int( parseUnsigned( args.next( "unit" ), "unit", 0xFFFF ) );
      } else if( args.accept( "index" ) ) {
         onlyOnce( index.has_value(), "chip fail", "index" );
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
      throw ScenarioError( "chip: unknown '" + what.text + "' (port-tab, lport-tab, cpu-pkt-profile-2, fail)" );
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
            nonZero += ( nonZero.empty() ? "" : " " ) + field + "=" + Cell::fieldValue( value ).text;
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
                              " does not fit the " + std::to_string( width ) + "-bit field " + assignment.first );
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
      const U32 actual = onChip( "expect " + memory.word,
                                 [ &, &field = field ] { return chip.entryField( unit, memory.mem, index, field ); } );
      // Values as the shows print them: 0x123 reads as the scenario wrote it.
      expected += " " + field + "=" + Cell::fieldValue( value ).text;
      got += ( got.empty() ? "" : " " ) + field + "=" + Cell::fieldValue( actual ).text;
      holds = holds && actual == value;
   }
   s.checks.check( args.line().where, holds, expected, got );
}

void
expectCpuPktProfile( Session & s, Args & args ) {
   const int unit = unitFrom( args );
   const U32 value = U32( parseUnsigned( args.next( "value" ), "value", 0xFFFFFFFFu ) );
   args.end();
   const U32 actual = onChip( "expect cpu-pkt-profile-2", [ & ] { return Shim::simChip().cpuPktProfile2( unit ); } );
   s.checks.check( args.line().where, actual == value,
                   "cpu-pkt-profile-2 " + std::to_string( unit ) + " " + Cell::hex( value ).text,
                   Cell::hex( actual ).text );
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

} // namespace

void
addChipCommands( CommandTable & table ) {
   table.section( "The simulated chip (units 0 to 7; entries start all zero)" );
   table.verb( "chip",
               { "chip port-tab UNIT PORT FIELD=VALUE... | chip lport-tab UNIT INDEX FIELD=VALUE... | "
                 "chip cpu-pkt-profile-2 UNIT VALUE | chip fail OP MEMORY [unit U] [index I] rc CODE",
                 "Presets table fields or the CPU_PKT_PROFILE_2 register, or makes the next "
                 "soc_mem_read/soc_mem_write (OP) on LPORT_TABm/PORT_TABm fail with CODE." },
               chipCommand );
   for( const std::string word : { "lport-tab", "port-tab" } ) {
      const std::string place = word == "port-tab" ? " UNIT PORT" : " UNIT INDEX";
      table.expectation( word,
                         { word + place + " FIELD=VALUE... | " + word + place + " zero",
                           "Those fields of the entry hold those values; zero: every field is 0." },
                         [ word ]( Session & s, Args & args ) { expectEntry( s, args, memoryOf( word ) ); } );
   }
   table.expectation( "cpu-pkt-profile-2",
                      { "cpu-pkt-profile-2 UNIT VALUE", "The register holds VALUE (all 32 bits)." },
                      expectCpuPktProfile );
   table.expectation( "sdk",
                      { "sdk OP N", "OP (soc_mem_read, soc_mem_write, soc_reg32_get, soc_reg32_set or any) "
                                    "ran N times since clear." },
                      expectSdk );
}

} // namespace Sim
