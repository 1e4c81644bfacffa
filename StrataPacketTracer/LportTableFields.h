// Strata::LportTableFields: the LPORT_TAB settings the packet tracer's profile
// takes over from an ingress port's PORT_TAB entry. A plain value: default is
// all zero; it can be copied, compared, printed in the framework's value
// representation and parsed back strictly from it. It has no hash.
#pragma once

#include "Quill/CharRange.h"
#include "Quill/Type.h"
#include "Quill/Types.h"
#include "Shim/Sdk.h"
#include "Vela/String.h"

#include <ostream>
#include <span>

namespace Strata {

struct LportTableFields {
   static constexpr const char * quillTypeName = "Strata::LportTableFields";

   bool vfpEnable = false;
   bool v4L3Enable = false;
   bool v6L3Enable = false;
   bool v6IpmcEnable = false;
   bool v4IpmcEnable = false;
   bool usePortTableGroupId = false;
   bool trustIncomingVid = false;
   bool trustDscpV4 = false;
   bool trustDscpV6 = false;
   bool parity = false;
   bool mplsEnable = false;
   bool ipmcDoVlan = false;
   bool filterEnable = false;
   bool enIfilter = false;
   bool disableStaticMoveDrop = false;
   U32 portVid = 0;
   U32 outerTpidEnable = 0;
   U32 lPortProfileIdx = 0;

   // One member of the value: a flag or a number, never both, and the
   // LPORT_TAB/PORT_TAB field that carries it (none for lPortProfileIdx,
   // which names a profile and is no setting).
   struct Member {
      const char * name;
      bool LportTableFields::*flag;
      U32 LportTableFields::*number;
      Shim::soc_field_t ( Shim::Sdk::*field )() const;
   };
   // Every member, in declaration order, which is also the order of the text
   // and of the generic attribute identifiers. The one list of what the
   // tracer's profile copies: the text, the parser, equality, the generic
   // attributes, the entry fields and the benchmark's bare SDK sequence all
   // go by it.
   static std::span< const Member > members() noexcept;

   LportTableFields() = default;
   // Parses the representation from `range`, strictly left to right; throws
   // Quill::ParseException at the first mismatch. Leaves the range after "})".
   explicit LportTableFields( Quill::CharRange & range );

   // Every member equal.
   bool isEq( const LportTableFields & other ) const noexcept;
   bool operator==( const LportTableFields & other ) const noexcept { return isEq( other ); }
   // Differs from the all-zero value.
   bool isNonDefault() const noexcept;

   // "Value('Strata::LportTableFields', ** {'vfpEnable': false, ...})".
   Vela::String valueToStrep() const;
   // The value the whole of `text` represents; throws Quill::ParseException.
   static LportTableFields strepToValue( const Vela::String & text );

   // Sets, in an entry buffer of LPORT_TAB or PORT_TAB, the field that
   // carries each setting: a flag as 0 or 1, a number whole. lPortProfileIdx
   // is no field's and is not written.
   void toEntry( Shim::Sdk & sdk, int unit, Shim::soc_mem_t mem, void * entry ) const;
   // The settings an entry buffer carries: a flag is set when its field is
   // not 0, a number is the field's value; lPortProfileIdx stays 0.
   static LportTableFields fromEntry( Shim::Sdk & sdk, int unit, Shim::soc_mem_t mem, const void * entry );

   // The type registered with the framework (type index 0 of the module).
   static Quill::TypeInfo & typeInfo();
};

std::ostream & operator<<( std::ostream & out, const LportTableFields & fields );

} // namespace Strata

template <>
struct Quill::ValueTraits< Strata::LportTableFields > {
   static const Quill::TypeInfo & type() { return Strata::LportTableFields::typeInfo(); }
};
