#include "Observation.h"

#include <sstream>

namespace ModelTest {

namespace {

template< typename T >
std::string
setText( const std::set< T > & values ) {
   std::ostringstream text;
   text << "{";
   const char * separator = "";
   for( const T & value : values ) {
      text << separator << value;
      separator = ",";
   }
   text << "}";
   return text.str();
}

std::string
sliceText( const SliceView & s ) {
   std::ostringstream text;
   text << "slice " << s.modId << ": timeout " << s.timeout << ", handleClockCalled "
        << ( s.handleClockCalled ? "true" : "false" ) << ", wake-up " << s.wakeUp << ", tracer claims "
        << setText( s.tracerClaims ) << ", CFM claims " << setText( s.cfmClaims );
   return text.str();
}

std::string
timesText( const std::vector< double > & times ) {
   std::ostringstream text;
   text << "[";
   const char * separator = "";
   for( double t : times ) {
      text << separator << t;
      separator = ", ";
   }
   text << "]";
   return text.str();
}

template< typename T >
void
compare( std::vector< std::string > & out, const std::string & what, const T & expected, const T & actual ) {
   if( !( expected == actual ) ) {
      std::ostringstream line;
      line << what << ": expected " << expected << ", got " << actual;
      out.push_back( line.str() );
   }
}

} // namespace

U32
Observation::sourceTrunkMapOf( const Port & port ) const {
   auto found = sourceTrunkMap.find( StmKey( port.modId, port.port ) );
   return found == sourceTrunkMap.end() ? 0 : found->second;
}

std::string
fieldsText( const FieldValues & fields ) {
   if( fields.empty() ) {
      return "zero";
   }
   std::ostringstream text;
   const char * separator = "";
   for( const auto & [ name, value ] : fields ) {
      text << separator << name << "=" << value;
      separator = " ";
   }
   return text.str();
}

std::vector< std::string >
differences( const Observation & expected, const Observation & actual ) {
   std::vector< std::string > out;

   std::set< Observation::StmKey > keys;
   for( const auto & entry : expected.sourceTrunkMap ) {
      keys.insert( entry.first );
   }
   for( const auto & entry : actual.sourceTrunkMap ) {
      keys.insert( entry.first );
   }
   for( const Observation::StmKey & key : keys ) {
      auto e = expected.sourceTrunkMap.find( key );
      auto a = actual.sourceTrunkMap.find( key );
      const std::string want = e == expected.sourceTrunkMap.end() ? "never written" : std::to_string( e->second );
      const std::string got = a == actual.sourceTrunkMap.end() ? "never written" : std::to_string( a->second );
      if( want != got ) {
         out.push_back( "SOURCE_TRUNK_MAP " + std::to_string( key.first ) + "/" +
                        std::to_string( key.second ) + ": expected " + want + ", got " + got );
      }
   }

   std::set< int > indices;
   for( const auto & entry : expected.lportTab ) {
      indices.insert( entry.first );
   }
   for( const auto & entry : actual.lportTab ) {
      indices.insert( entry.first );
   }
   for( int index : indices ) {
      auto e = expected.lportTab.find( index );
      auto a = actual.lportTab.find( index );
      const FieldValues none;
      const FieldValues & want = e == expected.lportTab.end() ? none : e->second;
      const FieldValues & got = a == actual.lportTab.end() ? none : a->second;
      if( want != got ) {
         out.push_back( "LPORT_TAB " + std::to_string( chipUnit ) + " " + std::to_string( index ) +
                        ": expected " + fieldsText( want ) + ", got " + fieldsText( got ) );
      }
   }
   for( const std::string & entry : actual.otherUnitEntries ) {
      out.push_back( "written where nothing should be: " + entry );
   }

   compare( out, "CPU_PKT_PROFILE_2", expected.cpuPktProfile2, actual.cpuPktProfile2 );
   compare( out, "status version", expected.statusVersion, actual.statusVersion );
   compare( out, "status state", expected.statusState, actual.statusState );
   compare( out, "status requestId", expected.statusRequestId, actual.statusRequestId );
   if( expected.completions != actual.completions ) {
      out.push_back( "completions during the step at times: expected " + timesText( expected.completions ) +
                     ", got " + timesText( actual.completions ) );
   }

   std::map< unsigned, const SliceView * > want;
   std::map< unsigned, const SliceView * > got;
   for( const SliceView & s : expected.slices ) {
      want[ s.modId ] = &s;
   }
   for( const SliceView & s : actual.slices ) {
      got[ s.modId ] = &s;
   }
   for( const auto & [ mod, view ] : want ) {
      auto other = got.find( mod );
      if( other == got.end() ) {
         out.push_back( "slice " + std::to_string( mod ) + " missing" );
      } else if( !( *view == *other->second ) ) {
         out.push_back( "expected " + sliceText( *view ) );
         out.push_back( "     got " + sliceText( *other->second ) );
      }
   }
   for( const auto & [ mod, view ] : got ) {
      if( !want.count( mod ) ) {
         out.push_back( "unexpected " + sliceText( *view ) );
      }
   }
   return out;
}

} // namespace ModelTest
