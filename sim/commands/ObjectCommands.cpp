// The plug-in's objects through the generic attribute interface: set, call,
// mark, their expectations and `expect slices` (the object views are in
// views/ObjectViews.cpp).
#include "commands/GenericAccess.h"
#include "commands/StandardCommands.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"
#include "session/CommandTable.h"

#include <set>

namespace Sim {

namespace {

// An object with one of its attributes, the name checked against its type.
struct Target {
   ObjectRef ref;
   Resolved resolved;
   const Quill::AttrInfo * attr = nullptr;
   std::string text; // "slice 1 timeout"
};

Target
targetOf( Session & s, const ObjectRef & ref, const std::string & attrName ) {
   Target t{ ref, {}, nullptr, ref.text() + " " + attrName };
   // The name is checked against the registered type first, the plug-in
   // loaded to know it if need be: a misspelt name is the scenario's mistake
   // whether or not the agent runs and the object exists.
   if( !Quill::typeNamed( ref.typeName() ) ) {
      s.host.loadPlugin();
   }
   const Quill::TypeInfo * registered = Quill::typeNamed( ref.typeName() );
   if( !registered ) {
      throw ScenarioError( "the plug-in " + s.host.loader().path() + " registered no type " + ref.typeName() );
   }
   attributeNamed( registered, attrName );
   t.resolved = resolve( s.host, ref );
   t.attr = attributeNamed( typeOf( ref, t.resolved.object.ptr() ), attrName );
   return t;
}

void
requireObject( const Target & t, const char * command ) {
   if( !t.resolved.object ) {
      throw ScenarioError( std::string( command ) + " " + t.text + ": " + t.resolved.missing );
   }
}

void
requireOperation( const Target & t ) {
   if( t.attr->kind != Quill::AttrKind::operation ) {
      throw ScenarioError( t.text + " is not an operation but a " + kindName( t.attr->kind ) + " attribute" );
   }
}

std::string
modulesText( const std::set< unsigned > & modules ) {
   std::string text = "slices";
   for( unsigned m : modules ) {
      text += " " + std::to_string( m );
   }
   return modules.empty() ? "no slices" : text;
}

void
setCommand( Session & s, Args & args ) {
   const ObjectRef ref = parseObject( args );
   const std::string attrName = args.next( "attribute name" );
   const Token value = args.nextToken( "value" );
   args.end();
   Target t = targetOf( s, ref, attrName );
   if( t.attr->kind == Quill::AttrKind::operation ) {
      throw ScenarioError( "set " + t.text + ": an operation is called, not set (call " + ref.text() + " " + attrName +
                           " ...)" );
   }
   // Only a value attribute that takes writes can ever be set.
   if( t.attr->kind != Quill::AttrKind::value ) {
      throw ScenarioError( "set " + t.text + ": " + kindName( t.attr->kind ) + " attributes cannot be set" );
   }
   if( !( t.attr->ops & Quill::opBit( Quill::AttrOp::write ) ) ) {
      throw ScenarioError( "set " + t.text + ": the attribute is read-only (" + opsText( t.attr->ops ) + ")" );
   }
   requireObject( t, "set" );
   const Quill::Value written = valueFromToken( value, t.attr->typeName, "set " + t.text, s.host );
   Quill::Value result;
   const Quill::AttrAnswer answer = genericOp( t.resolved.object, *t.attr, Quill::AttrOp::write, { written }, result );
   if( answer != Quill::AttrAnswer::done ) {
      throw ScenarioError( "set " + t.text + ": the object answered " + answerName( answer ) );
   }
}

void
callCommand( Session & s, Args & args ) {
   const ObjectRef ref = parseObject( args );
   const std::string opName = args.next( "operation name" );
   const std::vector< Token > argTokens = args.rest();
   Target t = targetOf( s, ref, opName );
   requireOperation( t );
   requireObject( t, "call" );
   const Quill::ValueList values = argumentsFor( *t.attr, argTokens, "call " + t.text, s.host );
   Quill::Value result;
   const Quill::AttrAnswer answer = genericOp( t.resolved.object, *t.attr, Quill::AttrOp::call, values, result );
   if( answer != Quill::AttrAnswer::done ) {
      throw ScenarioError( "call " + t.text + ": the object answered " + answerName( answer ) );
   }
   if( !result.isNone() ) {
      s.out << t.text << " -> " << describeValue( result ) << "\n";
   }
}

void
markCommand( Session & s, Args & args ) {
   const ObjectRef ref = parseObject( args );
   args.keyword( "as" );
   const std::string label = args.next( "label" );
   args.end();
   const Resolved r = resolve( s.host, ref );
   if( !r.object ) {
      throw ScenarioError( "mark " + ref.text() + ": " + r.missing );
   }
   s.labels[ label ] = r.object->serial();
}

// expect OBJECT is|is-not LABEL
void
expectIdentity( Session & s, Args & args, const ObjectRef & ref, bool same ) {
   const std::string label = args.next( "label" );
   args.end();
   auto found = s.labels.find( label );
   if( found == s.labels.end() ) {
      throw ScenarioError( "unknown label '" + label + "' (mark OBJECT as LABEL first)" );
   }
   const std::string expected = ref.text() + ( same ? " is " : " is-not " ) + label;
   const Resolved r = resolve( s.host, ref );
   if( !r.object ) {
      s.checks.check( args.line().where, false, expected, r.missing );
      return;
   }
   const bool isSame = r.object->serial() == found->second;
   s.checks.check( args.line().where, isSame == same, expected,
                   isSame ? "the object marked " + label
                          : "another object (serial " + std::to_string( r.object->serial() ) + ", " + label + " is " +
                               std::to_string( found->second ) + ")" );
}

// The check of an expectation on a generic operation's result: an operation
// the object refused fails it, naming the answer.
void
checkAnswer( Session & s, const Location & where, const std::string & expectedText, Quill::AttrAnswer answer,
             const Quill::Value & result, const Token & expected ) {
   if( answer != Quill::AttrAnswer::done ) {
      s.checks.check( where, false, expectedText, answerName( answer ) );
      return;
   }
   const Comparison c = compareValue( result, expected );
   s.checks.check( where, c.holds, expectedText, c.got );
}

// expect OBJECT call OP [ARG...] -> VALUE
void
expectCall( Session & s, Args & args, const ObjectRef & ref ) {
   const std::string opName = args.next( "operation name" );
   std::vector< Token > argTokens;
   while( !args.peekIs( "->" ) ) {
      argTokens.push_back( args.nextToken( "'-> VALUE'" ) );
   }
   args.keyword( "->" );
   const Token expected = args.nextToken( "expected value" );
   args.end();
   Target t = targetOf( s, ref, opName );
   requireOperation( t );
   std::string expectedText = t.text;
   for( const Token & a : argTokens ) {
      expectedText += " " + a.text;
   }
   expectedText += " -> " + expected.text;
   if( !t.resolved.object ) {
      s.checks.check( args.line().where, false, expectedText, t.resolved.missing );
      return;
   }
   const Quill::ValueList values = argumentsFor( *t.attr, argTokens, "call " + t.text, s.host );
   Quill::Value result;
   const Quill::AttrAnswer answer = genericOp( t.resolved.object, *t.attr, Quill::AttrOp::call, values, result );
   checkAnswer( s, args.line().where, expectedText, answer, result, expected );
}

// expect OBJECT ATTR VALUE; a collection compares its member count.
void
expectAttribute( Session & s, Args & args, const ObjectRef & ref, const std::string & attrName ) {
   const Token expected = args.nextToken( "expected value" );
   args.end();
   Target t = targetOf( s, ref, attrName );
   if( t.attr->kind == Quill::AttrKind::operation ) {
      throw ScenarioError( t.text + " is an operation: use expect " + ref.text() + " call " + attrName +
                           " [ARG...] -> VALUE" );
   }
   const std::string expectedText = t.text + " " + expected.text;
   if( !t.resolved.object ) {
      s.checks.check( args.line().where, false, expectedText, t.resolved.missing );
      return;
   }
   const Quill::AttrOp op = t.attr->kind == Quill::AttrKind::collection ? Quill::AttrOp::count : Quill::AttrOp::read;
   Quill::Value result;
   const Quill::AttrAnswer answer = genericOp( t.resolved.object, *t.attr, op, {}, result );
   checkAnswer( s, args.line().where, expectedText, answer, result, expected );
}

void
expectObject( Session & s, Args & args, ObjectRef::Kind kind ) {
   const ObjectRef ref = objectAfter( kind, args );
   const Token & word = args.nextToken( "attribute, call, is or is-not" );
   if( word.is( "is" ) || word.is( "is-not" ) ) {
      expectIdentity( s, args, ref, word.is( "is" ) );
   } else if( word.is( "call" ) ) {
      expectCall( s, args, ref );
   } else {
      expectAttribute( s, args, ref, word.text );
   }
}

void
expectSlices( Session & s, Args & args ) {
   std::set< unsigned > wanted;
   for( const Token & token : args.rest() ) {
      wanted.insert( unsigned( parseUnsigned( token.text, "module id", StrataCentral::ModId::null ) ) );
   }
   std::string why;
   const auto modules = sliceModules( s.host, why );
   s.checks.check( args.line().where, modules && *modules == wanted, modulesText( wanted ),
                   modules ? modulesText( *modules ) : why );
}

} // namespace

void
addObjectCommands( CommandTable & table ) {
   table.section( "The plug-in's objects (OBJECT: mounter, root or slice MOD)" );
   table.verb( "set", { "set OBJECT ATTR VALUE", "Writes an attribute through the generic attribute interface." },
               setCommand );
   table.verb( "call",
               { "call OBJECT OP [ARG...]",
                 "Calls an operation through the generic attribute interface and prints what "
                 "it returns." },
               callCommand );
   table.verb( "mark",
               { "mark OBJECT as LABEL", "Remembers the object's identity, to check later whether it is still the same "
                                         "object." },
               markCommand );
   table.expectation( "slices", { "slices [MOD...]", "Exactly these modules have slices." }, expectSlices );
   const std::pair< const char *, ObjectRef::Kind > objects[] = { { "mounter", ObjectRef::Kind::mounter },
                                                                  { "root", ObjectRef::Kind::root },
                                                                  { "slice", ObjectRef::Kind::slice } };
   for( const auto & [ word, kind ] : objects ) {
      const std::string object = kind == ObjectRef::Kind::slice ? "slice MOD" : word;
      table.expectation(
         word,
         { object + " ATTR VALUE | " + object + " call OP [ARG...] -> VALUE | " + object + " is|is-not LABEL",
           "The attribute reads VALUE, the call returns VALUE, or the object is "
           "(is not) the one marked LABEL." },
         [ k = kind ]( Session & s, Args & args ) { expectObject( s, args, k ); } );
   }
}

} // namespace Sim
