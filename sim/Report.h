// What a `show` command prints: named fields, aligned tables and plain line
// lists, rendered either as text for people or as one JSON document.
#pragma once

#include "Quill/Types.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

namespace Sim {

// One value: `text` is what people see; `json` is the JSON literal for
// numbers and booleans (empty: the text goes out as a JSON string).
struct Cell {
   std::string text;
   std::string json;

   Cell() = default;
   Cell( std::string t ) : text( std::move( t ) ) {}
   Cell( const char * t ) : text( t ) {}
   static Cell number( U64 value ) { return literal( std::to_string( value ) ); }
   static Cell signedNumber( std::int64_t value ) { return literal( std::to_string( value ) ); }
   static Cell decimal( double value );
   static Cell boolean( bool value ) { return literal( value ? "true" : "false" ); }
   // Text "0x..", a number in JSON.
   static Cell hex( U64 value );

 private:
   static Cell literal( std::string text ) {
      Cell cell( text );
      cell.json = std::move( text );
      return cell;
   }
};

class Table {
 public:
   Table( std::string name, std::vector< std::string > columns )
         : name_( std::move( name ) ), columns_( std::move( columns ) ) {}
   // A row with one cell per column.
   void row( std::vector< Cell > cells ) { rows_.push_back( std::move( cells ) ); }
   const std::string & name() const noexcept { return name_; }
   const std::vector< std::string > & columns() const noexcept { return columns_; }
   const std::vector< std::vector< Cell > > & rows() const noexcept { return rows_; }

 private:
   std::string name_;
   std::vector< std::string > columns_;
   std::vector< std::vector< Cell > > rows_;
};

class Report {
 public:
   explicit Report( std::string title ) : title_( std::move( title ) ) {}

   void field( const std::string & name, Cell value );
   // The table stays valid until the next section is added.
   Table & table( const std::string & name, std::vector< std::string > columns );
   void lines( const std::string & name, std::vector< std::string > lines );

   // Text: fields as "name: value", each table with a header row and its
   // columns aligned ("(none)" when empty), line lists as they are.
   void printText( std::ostream & out ) const;
   // One JSON object: fields as members, tables as arrays of row objects keyed
   // by column, line lists as arrays of strings.
   void printJson( std::ostream & out ) const;

 private:
   struct Field {
      std::string name;
      Cell value;
   };
   struct Lines {
      std::string name;
      std::vector< std::string > lines;
   };
   std::string title_;
   std::vector< std::variant< Field, Table, Lines > > sections_;
};

// `text` as a JSON string literal, quotes included.
std::string jsonString( const std::string & text );

} // namespace Sim
