#include "LportTableFields.h"

#include "Quill/Exceptions.h"

#include <iterator>
#include <memory>
#include <string>

namespace Strata {

namespace {

using Sdk = Shim::Sdk;
using F = LportTableFields;
using Member = LportTableFields::Member;

// members(): sized by its rows, so that no count is written beside it.
constexpr Member memberTable[] = {
   { "vfpEnable", &F::vfpEnable, nullptr, &Sdk::VFP_ENABLEf },
   { "v4L3Enable", &F::v4L3Enable, nullptr, &Sdk::V4L3_ENABLEf },
   { "v6L3Enable", &F::v6L3Enable, nullptr, &Sdk::V6L3_ENABLEf },
   { "v6IpmcEnable", &F::v6IpmcEnable, nullptr, &Sdk::V6IPMC_ENABLEf },
   { "v4IpmcEnable", &F::v4IpmcEnable, nullptr, &Sdk::V4IPMC_ENABLEf },
   { "usePortTableGroupId", &F::usePortTableGroupId, nullptr, &Sdk::USE_PORT_TABLE_GROUP_IDf },
   { "trustIncomingVid", &F::trustIncomingVid, nullptr, &Sdk::TRUST_INCOMING_VIDf },
   { "trustDscpV4", &F::trustDscpV4, nullptr, &Sdk::TRUST_DSCP_V4f },
   { "trustDscpV6", &F::trustDscpV6, nullptr, &Sdk::TRUST_DSCP_V6f },
   { "parity", &F::parity, nullptr, &Sdk::PORT_PARITY_ENf },
   { "mplsEnable", &F::mplsEnable, nullptr, &Sdk::MPLS_ENABLEf },
   { "ipmcDoVlan", &F::ipmcDoVlan, nullptr, &Sdk::IPMC_DO_VLANf },
   { "filterEnable", &F::filterEnable, nullptr, &Sdk::FILTER_ENABLEf },
   { "enIfilter", &F::enIfilter, nullptr, &Sdk::EN_IFILTERf },
   { "disableStaticMoveDrop", &F::disableStaticMoveDrop, nullptr, &Sdk::DISABLE_STATIC_MOVE_DROPf },
   { "portVid", nullptr, &F::portVid, &Sdk::PORT_VIDf },
   { "outerTpidEnable", nullptr, &F::outerTpidEnable, &Sdk::OUTER_TPID_ENABLEf },
   { "lPortProfileIdx", nullptr, &F::lPortProfileIdx, nullptr },
};

// A member's value as a number: a flag as 0 or 1.
U32
numberOf( const LportTableFields & fields, const Member & member ) noexcept {
   return member.flag ? U32( fields.*member.flag ) : fields.*member.number;
}

// The generic attribute identifier of the first member; the others follow.
constexpr Quill::AttributeId firstMemberId = 2;

const Member *
memberWithId( Quill::AttributeId id ) noexcept {
   const int index = id - firstMemberId;
   return index >= 0 && index < int( std::size( memberTable ) ) ? &memberTable[ std::size_t( index ) ] : nullptr;
}

// The framework's text form of a flag, the same one its bool reader accepts.
const char *
boolStrep( bool value ) noexcept {
   return value ? "true" : "false";
}

// Writes one member from a generic value; a value of the wrong kind or size
// is refused with the member named, and the member keeps its old value.
void
memberIs( LportTableFields & fields, const Member & member, const Quill::ValueList & args ) {
   const std::string where = std::string( LportTableFields::quillTypeName ) + "::" + member.name;
   if( args.size() != 1 ) {
      Quill::throwRangeException( where + ": a write takes exactly one value, " + std::to_string( args.size() ) +
                                  " given" );
   }
   try {
      if( member.flag ) {
         fields.*member.flag = args[ 0 ].asBool();
      } else {
         fields.*member.number = U32( args[ 0 ].asUnsigned( 0xFFFFFFFFu ) );
      }
   } catch( const Quill::RangeException & error ) {
      Quill::throwRangeException( where + ": " + error.what() );
   }
}

Quill::AttrAnswer
genericAttr( void * object, Quill::AttributeId id, Quill::AttrOp op, const Quill::ValueList & args,
             Quill::Value & result ) {
   const Member * member = memberWithId( id );
   if( !member ) {
      return Quill::AttrAnswer::noSuchAttribute;
   }
   auto & fields = *static_cast< LportTableFields * >( object );
   switch( op ) {
   case Quill::AttrOp::read:
      if( member->flag ) {
         result = Quill::Value( fields.*member->flag );
      } else {
         result = Quill::Value( fields.*member->number );
      }
      return Quill::AttrAnswer::done;
   case Quill::AttrOp::write: memberIs( fields, *member, args ); return Quill::AttrAnswer::done;
   default: return Quill::AttrAnswer::notSupported;
   }
}

const LportTableFields &
fieldsAt( const void * value ) noexcept {
   return *static_cast< const LportTableFields * >( value );
}

Quill::TypeInfo *
makeTypeInfo() {
   auto * type = new Quill::TypeInfo;
   type->name = LportTableFields::quillTypeName;
   type->kind = Quill::TypeKind::value;
   for( std::size_t i = 0; i < std::size( memberTable ); ++i ) {
      type->attributes.push_back(
         Quill::AttrInfo{ Quill::AttributeId( firstMemberId + int( i ) ),
                          memberTable[ i ].name,
                          Quill::AttrKind::value,
                          memberTable[ i ].flag ? "bool" : "U32",
                          Quill::opBit( Quill::AttrOp::read ) | Quill::opBit( Quill::AttrOp::write ),
                          {} } );
   }
   type->genericAttr = &genericAttr;
   Quill::ValueOps & ops = type->valueOps;
   ops.construct = []( const void * source ) -> std::shared_ptr< void > {
      return source ? std::make_shared< LportTableFields >( fieldsAt( source ) )
                    : std::make_shared< LportTableFields >();
   };
   ops.isEq = []( const void * a, const void * b ) { return fieldsAt( a ).isEq( fieldsAt( b ) ); };
   ops.isDefault = []( const void * a ) { return !fieldsAt( a ).isNonDefault(); };
   ops.toStrep = []( const void * a ) -> std::string { return fieldsAt( a ).valueToStrep(); };
   ops.fromStrep = []( const std::string & text ) -> std::shared_ptr< void > {
      return std::make_shared< LportTableFields >( LportTableFields::strepToValue( text ) );
   };
   // The value is a bag of settings, never a key: asking for its hash must
   // fail loudly rather than hash something arbitrary.
   ops.hash = nullptr;
   return type;
}

} // namespace

std::span< const LportTableFields::Member >
LportTableFields::members() noexcept {
   return memberTable;
}

LportTableFields::LportTableFields( Quill::CharRange & range ) {
   range.needString( "Value('Strata::LportTableFields', ** {" );
   bool first = true;
   for( const Member & member : memberTable ) {
      // Separator, quoted name and colon form one literal, so a member out of
      // place, missing or added fails right at its name.
      range.needString( std::string( first ? "'" : ", '" ) + member.name + "': " );
      first = false;
      if( member.flag ) {
         Quill::deserializeAttr( range, member.name, this->*member.flag );
      } else {
         Quill::deserializeAttr( range, member.name, this->*member.number );
      }
   }
   range.needString( "})" );
}

bool
LportTableFields::isEq( const LportTableFields & other ) const noexcept {
   for( const Member & member : memberTable ) {
      if( numberOf( *this, member ) != numberOf( other, member ) ) {
         return false;
      }
   }
   return true;
}

bool
LportTableFields::isNonDefault() const noexcept {
   return !isEq( LportTableFields() );
}

Vela::String
LportTableFields::valueToStrep() const {
   // The same pieces, in the same order, as the parser reads.
   std::string text = "Value('Strata::LportTableFields', ** {";
   bool first = true;
   for( const Member & member : memberTable ) {
      text += std::string( first ? "'" : ", '" ) + member.name + "': ";
      text += member.flag ? boolStrep( this->*member.flag ) : std::to_string( this->*member.number );
      first = false;
   }
   return text + "})";
}

void
LportTableFields::toEntry( Shim::Sdk & sdk, int unit, Shim::soc_mem_t mem, void * entry ) const {
   for( const Member & member : memberTable ) {
      if( member.field ) {
         sdk.soc_mem_field32_set( unit, mem, entry, ( sdk.*member.field )(), numberOf( *this, member ) );
      }
   }
}

LportTableFields
LportTableFields::fromEntry( Shim::Sdk & sdk, int unit, Shim::soc_mem_t mem, const void * entry ) {
   LportTableFields fields;
   for( const Member & member : memberTable ) {
      if( !member.field ) {
         continue;
      }
      const U32 value = sdk.soc_mem_field32_get( unit, mem, entry, ( sdk.*member.field )() );
      if( member.flag ) {
         fields.*member.flag = value != 0;
      } else {
         fields.*member.number = value;
      }
   }
   return fields;
}

LportTableFields
LportTableFields::strepToValue( const Vela::String & text ) {
   Quill::CharRange range( text.data(), text.data() + text.size() );
   LportTableFields fields( range );
   range.checkAllDataConsumed();
   return fields;
}

Quill::TypeInfo &
LportTableFields::typeInfo() {
   // Built once and never destroyed: the type registry refers to it until the
   // process ends, past the destruction of ordinary statics.
   static Quill::TypeInfo * type = makeTypeInfo();
   return *type;
}

std::ostream &
operator<<( std::ostream & out, const LportTableFields & fields ) {
   return out << fields.valueToStrep();
}

} // namespace Strata
