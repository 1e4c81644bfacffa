// The plug-in's objects as the language names them (mounter, root, slice MOD)
// and the conversions between scenario tokens and the generic attribute
// interface's values. The simulator knows no plug-in class: it finds the
// objects through the mounter's attributes and the root's collection, and the
// attributes, operations and parameter types through the types' TypeInfo.
#pragma once

#include "Agent/StrataTypes.h"
#include "Quill/PtrInterface.h"
#include "Quill/Type.h"
#include "Quill/Value.h"
#include "Vela/Ptr.h"
#include "language/Command.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Sim {

class Host;

struct ObjectRef {
   enum class Kind { mounter, root, slice };
   Kind kind = Kind::mounter;
   StrataCentral::ModId modId; // of a slice

   // "mounter", "root" or "slice MOD".
   std::string text() const;
   // The registered type of such an object.
   const char * typeName() const noexcept;
};

// Reads the rest of an OBJECT whose first word (`kind`) was already taken: a
// slice takes its module id. Throws ScenarioError.
ObjectRef objectAfter( ObjectRef::Kind kind, Args & args );
// Reads a whole OBJECT.
ObjectRef parseObject( Args & args );

// An object looked up, or why there is none ("no slice for module 9").
struct Resolved {
   Vela::Ptr< Quill::PtrInterface > object;
   std::string missing;
};
// Framework errors of the plug-in propagate.
Resolved resolve( const Host & host, const ObjectRef & ref );

// The modules that have slices, read through the root's collection: empty
// without a root; nothing, with `why` set, when the collection cannot be
// iterated.
std::optional< std::set< unsigned > > sliceModules( const Host & host, std::string & why );

// The object's type: its own, or the registered type of such objects when it
// is absent; null when neither is known (the plug-in is not loaded).
const Quill::TypeInfo * typeOf( const ObjectRef & ref, const Quill::PtrInterface * object );
// The attribute `name` of `type`; throws ScenarioError when the type has none.
// Null type: null (nothing to check against).
const Quill::AttrInfo * attributeNamed( const Quill::TypeInfo * type, const std::string & name );

// Runs one generic operation; answers other than done come back as they are.
Quill::AttrAnswer genericOp( const Vela::Ptr< Quill::PtrInterface > & object, const Quill::AttrInfo & attr,
                             Quill::AttrOp op, const Quill::ValueList & args, Quill::Value & result );
const char * answerName( Quill::AttrAnswer answer ) noexcept;
// An attribute's kind as the language writes it ("operation"), and the
// operations it takes ("read,write").
const char * kindName( Quill::AttrKind kind ) noexcept;
std::string opsText( unsigned ops );

// A token as a value of `typeName` ("bool", "U8" ... "U64", "Seconds",
// "string", a registered value type parsed by its TypeInfo, or an object type:
// `null` or the path of an entity in the state database). Throws ScenarioError
// naming `what` when the token does not fit.
Quill::Value valueFromToken( const Token & token, const std::string & typeName, const std::string & what,
                             const Host & host );
// The arguments of an operation or instantiation, checked against its
// parameters. An operation called with no arguments is passed on as it is:
// the plug-in decides whether it has a form without parameters.
Quill::ValueList argumentsFor( const Quill::AttrInfo & attr, const std::vector< Token > & tokens,
                               const std::string & what, const Host & host );

struct Comparison {
   bool holds = false;
   std::string got;
};
// Compares what was read with the expected token by the kind of what was read:
// numbers numerically, booleans, pointers as null/present, values of a
// registered type by parsing the token with that type, text as written.
// Throws ScenarioError when the token cannot be a value of that kind.
Comparison compareValue( const Quill::Value & got, const Token & expected );
// A value for people: "null", "present (Type#serial)", numbers, text.
std::string describeValue( const Quill::Value & value );

} // namespace Sim
