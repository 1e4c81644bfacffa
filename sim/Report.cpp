#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <sstream>

namespace Sim {

Cell
Cell::decimal( double value ) {
   if( !std::isfinite( value ) ) {
      // JSON has no infinity: say it in words ("never" for a wake-up time is
      // the caller's business).
      return Cell( value > 0 ? "inf" : ( value < 0 ? "-inf" : "nan" ) );
   }
   std::ostringstream out;
   out.precision( 15 );
   out << value;
   return literal( out.str() );
}

Cell
Cell::hex( U64 value ) {
   char text[ 24 ];
   std::snprintf( text, sizeof text, "0x%llx", static_cast< unsigned long long >( value ) );
   Cell cell( text );
   cell.json = std::to_string( value );
   return cell;
}

std::string
jsonString( const std::string & text ) {
   std::string out = "\"";
   for( const unsigned char c : text ) {
      switch( c ) {
       case '"': out += "\\\""; break;
       case '\\': out += "\\\\"; break;
       case '\n': out += "\\n"; break;
       case '\r': out += "\\r"; break;
       case '\t': out += "\\t"; break;
       default:
         if( c < 0x20 ) {
            char escaped[ 8 ];
            std::snprintf( escaped, sizeof escaped, "\\u%04x", c );
            out += escaped;
         } else {
            out += char( c );
         }
      }
   }
   return out + "\"";
}

namespace {

std::string
jsonCell( const Cell & cell ) {
   return cell.json.empty() ? jsonString( cell.text ) : cell.json;
}

} // namespace

void
Report::field( const std::string & name, Cell value ) {
   sections_.emplace_back( Field{ name, std::move( value ) } );
}

Table &
Report::table( const std::string & name, std::vector< std::string > columns ) {
   sections_.emplace_back( Table( name, std::move( columns ) ) );
   return std::get< Table >( sections_.back() );
}

void
Report::lines( const std::string & name, std::vector< std::string > lines ) {
   sections_.emplace_back( Lines{ name, std::move( lines ) } );
}

void
Report::printText( std::ostream & out ) const {
   std::size_t fieldWidth = 0;
   for( const auto & section : sections_ ) {
      if( const Field * f = std::get_if< Field >( &section ) ) {
         fieldWidth = std::max( fieldWidth, f->name.size() );
      }
   }
   bool first = true;
   for( const auto & section : sections_ ) {
      if( const Field * f = std::get_if< Field >( &section ) ) {
         out << f->name << ":" << std::string( fieldWidth - f->name.size() + 1, ' ' )
             << f->value.text << "\n";
         first = false;
         continue;
      }
      if( const Lines * l = std::get_if< Lines >( &section ) ) {
         if( l->lines.empty() ) {
            out << "(no " << l->name << ")\n";
         }
         for( const std::string & line : l->lines ) {
            out << line << "\n";
         }
         first = false;
         continue;
      }
      const Table & t = std::get< Table >( section );
      if( !first ) {
         out << "\n";
      }
      first = false;
      out << t.name() << ":\n";
      if( t.rows().empty() ) {
         out << "  (none)\n";
         continue;
      }
      std::vector< std::size_t > widths;
      for( const std::string & c : t.columns() ) {
         widths.push_back( c.size() );
      }
      for( const auto & row : t.rows() ) {
         for( std::size_t i = 0; i < row.size() && i < widths.size(); ++i ) {
            widths[ i ] = std::max( widths[ i ], row[ i ].text.size() );
         }
      }
      auto printRow = [ & ]( auto cellText, std::size_t count ) {
         std::string line = " ";
         for( std::size_t i = 0; i < count; ++i ) {
            const std::string text = cellText( i );
            line += " " + text;
            if( i + 1 < count ) {
               line += std::string( widths[ i ] - text.size() + 1, ' ' );
            }
         }
         out << line << "\n";
      };
      printRow( [ & ]( std::size_t i ) { return t.columns()[ i ]; }, t.columns().size() );
      for( const auto & row : t.rows() ) {
         printRow( [ & ]( std::size_t i ) { return i < row.size() ? row[ i ].text : ""; },
                   t.columns().size() );
      }
   }
}

void
Report::printJson( std::ostream & out ) const {
   out << "{" << jsonString( "show" ) << ": " << jsonString( title_ );
   for( const auto & section : sections_ ) {
      out << ", ";
      if( const Field * f = std::get_if< Field >( &section ) ) {
         out << jsonString( f->name ) << ": " << jsonCell( f->value );
      } else if( const Lines * l = std::get_if< Lines >( &section ) ) {
         out << jsonString( l->name ) << ": [";
         for( std::size_t i = 0; i < l->lines.size(); ++i ) {
            out << ( i ? ", " : "" ) << jsonString( l->lines[ i ] );
         }
         out << "]";
      } else {
         const Table & t = std::get< Table >( section );
         out << jsonString( t.name() ) << ": [";
         for( std::size_t r = 0; r < t.rows().size(); ++r ) {
            const auto & row = t.rows()[ r ];
            out << ( r ? ", " : "" ) << "{";
            for( std::size_t i = 0; i < t.columns().size(); ++i ) {
               out << ( i ? ", " : "" ) << jsonString( t.columns()[ i ] ) << ": "
                   << ( i < row.size() ? jsonCell( row[ i ] ) : "null" );
            }
            out << "}";
         }
         out << "]";
      }
   }
   out << "}\n";
}

} // namespace Sim
