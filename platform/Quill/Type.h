// The framework's type system: modules list types by index; each type has
// numbered attributes and one generic attribute operation through which any
// attribute can be read, written, instantiated, deleted, counted, tested for
// membership, iterated or called without knowing the C++ type.
#pragma once

#include "Quill/Types.h"
#include "Quill/Value.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Quill {

class Entity;

// The operations of the generic attribute interface.
enum class AttrOp : int {
   read = 0,    // read an attribute, or look a key up in a collection
   write = 1,   // write an attribute, or instantiate a child
   del = 2,     // delete a child or a collection member
   count = 3,   // number of members of a collection
   iterate = 4, // members of a collection, from the first or from a key
   member = 5,  // whether a key is a member of a collection
   call = 10,   // call an operation
};

// What the generic attribute operation answers.
enum class AttrAnswer : int {
   done = 0,
   notSupported = 1,
   noSuchAttribute = 2,
};

constexpr unsigned
opBit( AttrOp op ) {
   return 1u << static_cast< int >( op );
}

enum class TypeKind { value, object, entity };

enum class AttrKind {
   constructor,   // set once at construction, read-only afterwards
   value,         // read and written
   instantiating, // created by an ...Is operation, removed by ...Del
   collection,    // keyed members
   operation,     // a callable operation
};

struct ParamInfo {
   std::string name;
   std::string typeName; // "bool", "U8", "U16", "U32", "U64", "Seconds", "string" or a type
};

struct AttrInfo {
   AttributeId id;
   std::string name;
   AttrKind kind;
   std::string typeName;            // value type, element type or result type
   unsigned ops;                    // the AttrOp bits it supports
   std::vector< ParamInfo > params; // of an operation, or of instantiation
};

// The generic attribute operation of a type. `object` is the object itself
// (a Quill::PtrInterface* for object and entity types, the value for value
// types).
using GenericAttrFn = AttrAnswer ( * )( void * object, AttributeId id, AttrOp op, const ValueList & args,
                                        Value & result );

using EntityFactory = Vela::Ptr< Entity > ( * )( const std::string & name, const ValueList & args );

// What a value type can do besides attribute access.
struct ValueOps {
   std::shared_ptr< void > ( *construct )( const void * source ) = nullptr; // null source: default
   bool ( *isEq )( const void *, const void * ) = nullptr;
   bool ( *isDefault )( const void * ) = nullptr;
   std::string ( *toStrep )( const void * ) = nullptr;
   std::shared_ptr< void > ( *fromStrep )( const std::string & ) = nullptr; // throws ParseException
   std::size_t ( *hash )( const void * ) = nullptr;                         // null: the type has no hash
};

class Module;

class TypeInfo {
 public:
   std::string name;
   TypeKind kind = TypeKind::object;
   std::vector< AttrInfo > attributes;
   GenericAttrFn genericAttr = nullptr;
   ValueOps valueOps;
   EntityFactory newEntityForDir = nullptr;
   // Set when the type's module is registered.
   const Module * module = nullptr;
   U32 index = 0;

   const AttrInfo * attribute( AttributeId id ) const noexcept;
   const AttrInfo * attribute( std::string_view attrName ) const noexcept;

   // The generic attribute operation; noSuchAttribute for an identifier the
   // type does not have, notSupported when the type has no generic access.
   AttrAnswer genericAttrOp( void * object, AttributeId id, AttrOp op, const ValueList & args, Value & result ) const;

   // Throws NoHashException for a type without a hash.
   std::size_t hash( const void * value ) const;
   std::string toStrep( const void * value ) const;
   Boxed fromStrep( const std::string & text ) const;
};

class Module {
 public:
   Module( std::string name, std::vector< TypeInfo * > types );
   const std::string & name() const noexcept { return name_; }
   const std::vector< TypeInfo * > & types() const noexcept { return types_; }
   const TypeInfo * type( U32 index ) const noexcept;

 private:
   std::string name_;
   std::vector< TypeInfo * > types_;
};

// Registers a module and its types by name. Registering a module again (the
// library loaded a second time) replaces the earlier registration.
void quillModuleIs( Module & module );
const Module * moduleNamed( std::string_view name ) noexcept;
const TypeInfo * typeNamed( std::string_view name ) noexcept;

// The entity factory of a registered entity type; throws UnknownTypeException
// for an unknown or non-entity type, NewEntityArgsException when the type
// refuses the arguments.
Vela::Ptr< Entity > newEntityForDir( std::string_view typeName, const std::string & name, const ValueList & args = {} );

// Runs the generic attribute operation on a framework object through its own
// type, or answers noSuchAttribute when it has no registered type.
AttrAnswer genericAttrOp( const Vela::Ptr< PtrInterface > & object, AttributeId id, AttrOp op, const ValueList & args,
                          Value & result );

} // namespace Quill
