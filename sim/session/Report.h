// What a `show` command prints: named fields, aligned tables and plain line
// lists, rendered either as text for people or as one JSON document.
//
// Every section has a key and a label. The key names it in JSON and never
// depends on the command's arguments or on the data (so a script can rely on
// it); the label is what people read and may say more ("lport-tab 0[5]").
#pragma once

#include "Quill/Types.h"
#include "session/Style.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Sim {

// One value: `text` is what people see; `json` is the JSON literal for
// numbers, booleans and objects (empty: the text goes out as a JSON string);
// `tone` how the text is coloured on a terminal.
struct Cell {
   std::string text;
   std::string json;
   Tone tone = Tone::plain;

   Cell() = default;
   Cell( std::string t ) : text( std::move( t ) ) {}
   Cell( const char * t ) : text( t ) {}
   static Cell number( U64 value ) { return literal( std::to_string( value ) ); }
   static Cell signedNumber( std::int64_t value ) { return literal( std::to_string( value ) ); }
   static Cell decimal( double value );
   static Cell boolean( bool value ) { return literal( value ? "true" : "false" ); }
   // Text "0x..", a number in JSON.
   static Cell hex( U64 value );
   // A register or table field as chip diagnostic shells print it: decimal
   // below 10, hexadecimal from 10 on; a number in JSON.
   static Cell fieldValue( U64 value );
   // Text for people, any JSON literal (an object or array) for scripts.
   static Cell withJson( std::string text, std::string jsonLiteral );
   Cell toned( Tone t ) && {
      tone = t;
      return std::move( *this );
   }

 private:
   static Cell literal( std::string text ) {
      Cell cell( text );
      cell.json = std::move( text );
      return cell;
   }
};

class Table {
 public:
   Table( std::string key, std::string label, std::vector< std::string > columns )
         : key_( std::move( key ) ), label_( std::move( label ) ), columns_( std::move( columns ) ) {}
   // A row with one cell per column; the column names are its JSON keys.
   void row( std::vector< Cell > cells ) { rows_.push_back( { std::move( cells ), std::nullopt } ); }
   // A row that reads as one line of text for people (a table whose rows all
   // have lines prints them instead of aligned columns); JSON keeps the cells.
   void row( std::vector< Cell > cells, std::string line ) {
      rows_.push_back( { std::move( cells ), std::move( line ) } );
   }
   const std::string & key() const noexcept { return key_; }
   const std::string & label() const noexcept { return label_; }
   const std::vector< std::string > & columns() const noexcept { return columns_; }

   struct Row {
      std::vector< Cell > cells;
      std::optional< std::string > line;
   };
   const std::vector< Row > & rows() const noexcept { return rows_; }

 private:
   std::string key_;
   std::string label_;
   std::vector< std::string > columns_;
   std::vector< Row > rows_;
};

class Report {
 public:
   explicit Report( std::string title ) : title_( std::move( title ) ) {}

   void field( const std::string & key, Cell value ) { field( key, key, std::move( value ) ); }
   // An empty label keeps the field out of the text (where a table's label
   // says it already) and in the JSON.
   void field( const std::string & key, const std::string & label, Cell value );
   // The table stays valid until the next section is added.
   Table & table( const std::string & key, std::vector< std::string > columns ) {
      return table( key, key, std::move( columns ) );
   }
   Table & table( const std::string & key, const std::string & label, std::vector< std::string > columns );
   void lines( const std::string & key, std::vector< std::string > lines );

   // Text: fields as "label: value", each table under its label with a
   // header row and aligned columns ("(none)" when empty), line lists as
   // they are. Colour as `style` says.
   void printText( std::ostream & out, const Style & style = Style() ) const;
   // One JSON object on one line: {"show": TITLE, KEY: ...}; fields as
   // members, tables as arrays of row objects keyed by column, line lists as
   // arrays of strings.
   void printJson( std::ostream & out ) const;

 private:
   struct Field {
      std::string key;
      std::string label;
      Cell value;
   };
   struct Lines {
      std::string key;
      std::vector< std::string > lines;
   };
   void printTable( std::ostream & out, const Table & table, const Style & style ) const;

   std::string title_;
   std::vector< std::variant< Field, Table, Lines > > sections_;
};

// `text` as a JSON string literal, quotes included; a byte that is no part of
// valid UTF-8 is written as the text \xNN, so the document stays valid.
std::string jsonString( const std::string & text );

} // namespace Sim
