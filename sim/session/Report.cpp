#include "session/Report.h"

#include "language/Printable.h"

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
Cell::fieldValue( U64 value ) {
   if( value < 10 ) {
      return number( value );
   }
   return hex( value );
}

Cell
Cell::withJson( std::string text, std::string jsonLiteral ) {
   Cell cell( std::move( text ) );
   cell.json = std::move( jsonLiteral );
   return cell;
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
   std::size_t at = 0;
   while( at < text.size() ) {
      const auto c = static_cast< unsigned char >( text[ at ] );
      const std::size_t length = utf8SequenceLength( std::string_view( text ).substr( at ) );
      if( length > 1 ) {
         out.append( text, at, length );
         at += length;
         continue;
      }
      ++at;
      switch( c ) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
         if( length == 0 ) {
            // A byte that is no UTF-8 would make the document invalid: it
            // is shown as printable() shows it, "\xNN".
            char escaped[ 8 ];
            std::snprintf( escaped, sizeof escaped, "\\\\x%02x", c );
            out += escaped;
         } else if( c < 0x20 ) {
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
Report::field( const std::string & key, const std::string & label, Cell value ) {
   sections_.emplace_back( Field{ key, label, std::move( value ) } );
}

Table &
Report::table( const std::string & key, const std::string & label, std::vector< std::string > columns ) {
   sections_.emplace_back( Table( key, label, std::move( columns ) ) );
   return std::get< Table >( sections_.back() );
}

void
Report::lines( const std::string & key, std::vector< std::string > lines ) {
   sections_.emplace_back( Lines{ key, std::move( lines ) } );
}

void
Report::printTable( std::ostream & out, const Table & t, const Style & style ) const {
   out << style.paint( t.label() + ":", Tone::heading ) << "\n";
   if( t.rows().empty() ) {
      out << "  " << style.paint( "(none)", Tone::dim ) << "\n";
      return;
   }
   const bool asLines =
      std::all_of( t.rows().begin(), t.rows().end(), []( const Table::Row & row ) { return bool( row.line ); } );
   if( asLines ) {
      for( const Table::Row & row : t.rows() ) {
         out << "  " << *row.line << "\n";
      }
      return;
   }
   std::vector< std::size_t > widths;
   for( const std::string & c : t.columns() ) {
      widths.push_back( c.size() );
   }
   for( const Table::Row & row : t.rows() ) {
      for( std::size_t i = 0; i < row.cells.size() && i < widths.size(); ++i ) {
         widths[ i ] = std::max( widths[ i ], row.cells[ i ].text.size() );
      }
   }
   // Padding is counted on the plain text: colour codes take no columns.
   auto printRow = [ & ]( auto cellAt ) {
      std::string line = " ";
      for( std::size_t i = 0; i < widths.size(); ++i ) {
         const Cell cell = cellAt( i );
         line += " " + style.paint( cell.text, cell.tone );
         if( i + 1 < widths.size() ) {
            line += std::string( widths[ i ] - cell.text.size() + 1, ' ' );
         }
      }
      out << line << "\n";
   };
   printRow( [ & ]( std::size_t i ) { return Cell( t.columns()[ i ] ).toned( Tone::heading ); } );
   for( const Table::Row & row : t.rows() ) {
      printRow( [ & ]( std::size_t i ) { return i < row.cells.size() ? row.cells[ i ] : Cell(); } );
   }
}

void
Report::printText( std::ostream & out, const Style & style ) const {
   std::size_t labelWidth = 0;
   for( const auto & section : sections_ ) {
      if( const Field * f = std::get_if< Field >( &section ) ) {
         labelWidth = std::max( labelWidth, f->label.size() );
      }
   }
   bool first = true;
   for( const auto & section : sections_ ) {
      if( const Field * f = std::get_if< Field >( &section ) ) {
         if( f->label.empty() ) {
            continue;
         }
         out << f->label << ":" << std::string( labelWidth - f->label.size() + 1, ' ' )
             << style.paint( f->value.text, f->value.tone ) << "\n";
      } else if( const Lines * l = std::get_if< Lines >( &section ) ) {
         if( l->lines.empty() ) {
            out << style.paint( "(no " + l->key + ")", Tone::dim ) << "\n";
         }
         for( const std::string & line : l->lines ) {
            out << line << "\n";
         }
      } else {
         // A table stands apart from what precedes it.
         out << ( first ? "" : "\n" );
         printTable( out, std::get< Table >( section ), style );
      }
      first = false;
   }
}

void
Report::printJson( std::ostream & out ) const {
   out << "{" << jsonString( "show" ) << ": " << jsonString( title_ );
   for( const auto & section : sections_ ) {
      out << ", ";
      if( const Field * f = std::get_if< Field >( &section ) ) {
         out << jsonString( f->key ) << ": " << jsonCell( f->value );
      } else if( const Lines * l = std::get_if< Lines >( &section ) ) {
         out << jsonString( l->key ) << ": [";
         for( std::size_t i = 0; i < l->lines.size(); ++i ) {
            out << ( i ? ", " : "" ) << jsonString( l->lines[ i ] );
         }
         out << "]";
      } else {
         const Table & t = std::get< Table >( section );
         out << jsonString( t.key() ) << ": [";
         for( std::size_t r = 0; r < t.rows().size(); ++r ) {
            const auto & cells = t.rows()[ r ].cells;
            out << ( r ? ", " : "" ) << "{";
            for( std::size_t i = 0; i < t.columns().size(); ++i ) {
               out << ( i ? ", " : "" ) << jsonString( t.columns()[ i ] ) << ": "
                   << ( i < cells.size() ? jsonCell( cells[ i ] ) : "null" );
            }
            out << "}";
         }
         out << "]";
      }
   }
   out << "}\n";
}

} // namespace Sim
