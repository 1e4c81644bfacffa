#include "Runner.h"

#include "AgentHarness.h"
#include "Generator.h"
#include "ReferenceModel.h"

#include <exception>
#include <iomanip>
#include <sstream>

namespace ModelTest {

namespace {

std::vector< std::string >
formattedTraces( const AgentHarness & harness ) {
   std::vector< std::string > lines;
   for( const Quill::TraceRecord & record : harness.traces() ) {
      lines.push_back( Quill::formatTraceLine( record ) );
   }
   return lines;
}

std::optional< Failure >
checkStep( const AgentHarness & harness, const ReferenceModel & model, const Observation & seen,
           const Action & action, std::size_t step, RunChecks checks ) {
   std::vector< std::string > diffs = differences( model.expected(), seen );
   if( !diffs.empty() ) {
      return Failure{ FailureKind::mismatch, step, diffs };
   }
   const std::vector< double > & due = model.completionsDue();
   for( std::size_t i = 0; i < seen.completions.size() && i < due.size(); ++i ) {
      if( seen.completions[ i ] < due[ i ] ) {
         return Failure{ FailureKind::completion, step,
                         { "a completion at " + std::to_string( seen.completions[ i ] ) + " s, before " +
                           std::to_string( due[ i ] ) + " s" } };
      }
   }
   if( seen.statusVersion != harness.completionsSeen() ) {
      return Failure{ FailureKind::completion, step,
                      { "status version " + std::to_string( seen.statusVersion ) + " after " +
                        std::to_string( harness.completionsSeen() ) + " completions" } };
   }
   if( action.kind == ActionKind::restart && !harness.stopLeftovers().empty() ) {
      return Failure{ FailureKind::leftover, step, harness.stopLeftovers() };
   }
   if( checks.intent ) {
      std::vector< std::string > breaks = model.invariantBreaks( seen );
      if( !breaks.empty() ) {
         return Failure{ FailureKind::invariant, step, breaks };
      }
   }
   return std::nullopt;
}

} // namespace

const char *
failureKindName( FailureKind kind ) {
   switch( kind ) {
    case FailureKind::mismatch: return "the plug-in differs from the reference model";
    case FailureKind::completion: return "a completion is wrong in number or time";
    case FailureKind::leftover: return "an agent stop left something behind";
    case FailureKind::exception: return "an exception escaped";
    case FailureKind::invariant: return "an invariant is broken";
   }
   return "?";
}

RunResult
runSequence( const Universe & universe, const Sequence & sequence, RunChecks checks ) {
   RunResult result;
   std::size_t step = 0;
   try {
      AgentHarness harness( universe, checks.captureTraces );
      ReferenceModel model( universe );
      for( ; step < sequence.size(); ++step ) {
         const Action & action = sequence[ step ];
         harness.apply( action );
         model.apply( action );
         const Observation seen = harness.observe();
         result.failure = checkStep( harness, model, seen, action, step, checks );
         if( result.failure ) {
            result.traces = formattedTraces( harness );
            return result;
         }
      }
      const std::vector< std::string > leftovers = harness.finish();
      if( !leftovers.empty() ) {
         result.failure = Failure{ FailureKind::leftover, sequence.size(), leftovers };
      }
      result.traces = formattedTraces( harness );
   } catch( const std::exception & e ) {
      result.failure = Failure{ FailureKind::exception, step, { e.what() } };
   }
   return result;
}

Sequence
shrink( const Sequence & failing, const std::function< std::optional< Failure >( const Sequence & ) > & fails,
        std::size_t budget ) {
   auto prefixUpTo = []( const Sequence & s, const Failure & f ) {
      return Sequence( s.begin(), s.begin() + std::ptrdiff_t( std::min( f.step + 1, s.size() ) ) );
   };
   std::optional< Failure > first = fails( failing );
   if( !first ) {
      return failing;
   }
   Sequence best = prefixUpTo( failing, *first );
   std::size_t runs = 1;
   for( std::size_t chunk = std::max< std::size_t >( best.size() / 2, 1 ); chunk >= 1 && runs < budget; ) {
      bool removedAny = false;
      for( std::size_t at = 0; at < best.size() && runs < budget; ) {
         Sequence candidate = best;
         candidate.erase( candidate.begin() + std::ptrdiff_t( at ),
                          candidate.begin() + std::ptrdiff_t( std::min( at + chunk, candidate.size() ) ) );
         ++runs;
         if( std::optional< Failure > f = fails( candidate ) ) {
            best = prefixUpTo( candidate, *f );
            removedAny = true;
         } else {
            at += chunk;
         }
      }
      if( chunk == 1 ) {
         if( !removedAny ) {
            break; // a whole pass of single steps removed nothing
         }
      } else {
         chunk /= 2;
      }
   }
   return best;
}

std::string
scenarioText( const Universe & universe, const Sequence & sequence ) {
   std::ostringstream text;
   text << "toggle StrataCfmOnTH3 on\n"
        << "toggle StrataCfmOnTH3Masquerade on\n"
        << "context model\n"
        << "unit " << chipUnit << " modinfo 0x" << std::hex << chipUnitModInfo << std::dec << "\n";
   std::set< U16 > numbers;
   for( const Port & port : universe.ports() ) {
      numbers.insert( port.port );
   }
   for( U16 number : numbers ) {
      text << "chip port-tab " << chipUnit << " " << number;
      for( const auto & [ field, value ] : universe.portTab( number ) ) {
         text << " " << field << "=" << value;
      }
      text << "\n";
   }
   for( const auto & [ index, fields ] : universe.lportTabPresets() ) {
      text << "chip lport-tab " << chipUnit << " " << index;
      for( const auto & [ field, value ] : fields ) {
         text << " " << field << "=" << value;
      }
      text << "\n";
   }
   text << "chip cpu-pkt-profile-2 " << chipUnit << " 0x" << std::hex << cpuPktProfilePreset << std::dec << "\n"
        << "agent start\n";
   ReferenceModel model( universe );
   for( const Action & action : sequence ) {
      if( action.kind == ActionKind::timeout ) {
         for( const SliceModel & slice : model.slices() ) {
            text << "set slice " << slice.modId() << " timeout " << action.seconds << "\n";
         }
      } else if( action.kind == ActionKind::restart ) {
         text << "agent stop\nagent start\n";
      } else {
         text << action.text( universe ) << "\n";
      }
      model.apply( action );
   }
   return text.str();
}

std::string
failureReport( const Universe & universe, const std::string & runName, U64 seed, const Sequence & sequence,
               const Failure & failure, RunChecks checks, bool confined ) {
   auto fails = [ & ]( const Sequence & candidate ) -> std::optional< Failure > {
      if( confined && !staysConfined( universe, candidate ) ) {
         return std::nullopt; // outside what the run may do: not this failure
      }
      RunResult r = runSequence( universe, candidate, checks );
      if( r.failure && r.failure->kind == failure.kind ) {
         return r.failure;
      }
      return std::nullopt;
   };
   const Sequence shortest = shrink( sequence, fails );
   RunChecks replay = checks;
   replay.captureTraces = true;
   const RunResult last = runSequence( universe, shortest, replay );
   const Failure & shown = last.failure ? *last.failure : failure;

   std::ostringstream report;
   report << runName << " run, seed " << seed << " (replay: STRATA_MODEL_SEED=" << seed
          << " STRATA_MODEL_STEPS=" << sequence.size() << " model_tests --gtest_filter='ModelRun.*')\n"
          << failureKindName( failure.kind ) << " at step " << failure.step + 1 << " of " << sequence.size()
          << ".\nShortest failing sequence found (" << shortest.size() << " steps):\n";
   for( std::size_t i = 0; i < shortest.size(); ++i ) {
      report << std::setw( 5 ) << i + 1 << "  " << shortest[ i ].text( universe ) << "\n";
   }
   report << "It fails at step " << shown.step + 1 << ":\n";
   for( const std::string & line : shown.details ) {
      report << "    " << line << "\n";
   }
   report << "As a scenario for strata-agent-sim:\n" << scenarioText( universe, shortest );
   const std::size_t shownLines = 80;
   report << "Last plug-in trace lines of that run:\n";
   const std::size_t from = last.traces.size() > shownLines ? last.traces.size() - shownLines : 0;
   for( std::size_t i = from; i < last.traces.size(); ++i ) {
      report << "    " << last.traces[ i ] << "\n";
   }
   return report.str();
}

} // namespace ModelTest
