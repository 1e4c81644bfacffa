// The agent's Strata chip identities: module ids, ports and port lists.
#pragma once

#include "Quill/Types.h"
#include "Quill/Value.h"

#include <compare>
#include <ostream>
#include <set>

namespace StrataCentral {

// A chip-module identifier, valid 0 to 64, 64 being the null module id.
class ModId {
 public:
   static constexpr U16 min = 0;
   static constexpr U16 null = 64;

   constexpr ModId() = default;
   // Throws Quill::RangeException for a value above null.
   explicit ModId( unsigned value );
   constexpr U16 value() const noexcept { return value_; }
   auto operator<=>( const ModId & ) const = default;
   // Its type in the framework's generic interface (Agent/AgentTypeModule.cpp).
   static const Quill::TypeInfo & typeInfo();

 private:
   U16 value_ = null;
};

inline std::ostream &
operator<<( std::ostream & out, const ModId & modId ) {
   return out << modId.value();
}

// A 10-bit port number, 0 to 0x3ff.
class U10 {
 public:
   static constexpr U16 max = 0x3ff;
   constexpr U10() = default;
   // Throws Quill::RangeException for a value above 0x3ff.
   explicit U10( unsigned value );
   constexpr U16 value() const noexcept { return value_; }
   auto operator<=>( const U10 & ) const = default;

 private:
   U16 value_ = 0;
};

} // namespace StrataCentral

namespace StrataTypes {

// A chip port: module id, chip unit, port number (10 bits, kept in 16) and a
// one-byte field the plug-in carries along.
struct StrataPort {
   U16 modId = 0;
   U16 unit = 0;
   U16 port = 0;
   U8 flags = 0;

   // The port of an interface that has no chip port.
   static constexpr StrataPort nullPort() noexcept { return StrataPort{ 0xDEAD, 0xFFFF, 0x3FF, 0 }; }

   bool isEq( const StrataPort & other ) const noexcept { return *this == other; }
   auto operator<=>( const StrataPort & ) const = default;
   // Its type in the framework's generic interface (Agent/AgentTypeModule.cpp).
   static const Quill::TypeInfo & typeInfo();
};

// "MOD/UNIT/PORT".
std::ostream & operator<<( std::ostream & out, const StrataPort & port );

using StrataPortList = std::set< StrataPort >;

} // namespace StrataTypes

template <>
struct Quill::ValueTraits< StrataCentral::ModId > {
   static const Quill::TypeInfo & type() { return StrataCentral::ModId::typeInfo(); }
};
template <>
struct Quill::ValueTraits< StrataTypes::StrataPort > {
   static const Quill::TypeInfo & type() { return StrataTypes::StrataPort::typeInfo(); }
};
