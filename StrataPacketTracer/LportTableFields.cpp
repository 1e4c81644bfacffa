#include "LportTableFields.h"

#include "Quill/Exceptions.h"
#include "Quill/Format.h"

#include <array>
#include <memory>
#include <string>

namespace Strata {

namespace {

// One member of the value: a flag or a number, never both. The table order is
// the declaration order, which is also the order of the text and of the
// generic attribute identifiers.
struct Member {
   const char * name;
   bool LportTableFields::*flag;
   U32 LportTableFields::*number;
};

constexpr std::array< Member, 18 > members{ {
   { "vfpEnable", &LportTableFields::vfpEnable, nullptr },
   { "v4L3Enable", &LportTableFields::v4L3Enable, nullptr },
   { "v6L3Enable", &LportTableFields::v6L3Enable, nullptr },
   { "v6IpmcEnable", &LportTableFields::v6IpmcEnable, nullptr },
   { "v4IpmcEnable", &LportTableFields::v4IpmcEnable, nullptr },
   { "usePortTableGroupId", &LportTableFields::usePortTableGroupId, nullptr },
   { "trustIncomingVid", &LportTableFields::trustIncomingVid, nullptr },
   { "trustDscpV4", &LportTableFields::trustDscpV4, nullptr },
   { "trustDscpV6", &LportTableFields::trustDscpV6, nullptr },
   { "parity", &LportTableFields::parity, nullptr },
   { "mplsEnable", &LportTableFields::mplsEnable, nullptr },
   { "ipmcDoVlan", &LportTableFields::ipmcDoVlan, nullptr },
   { "filterEnable", &LportTableFields::filterEnable, nullptr },
   { "enIfilter", &LportTableFields::enIfilter, nullptr },
   { "disableStaticMoveDrop", &LportTableFields::disableStaticMoveDrop, nullptr },
   { "portVid", nullptr, &LportTableFields::portVid },
   { "outerTpidEnable", nullptr, &LportTableFields::outerTpidEnable },
   { "lPortProfileIdx", nullptr, &LportTableFields::lPortProfileIdx },
} };

// The generic attribute identifier of the first member; the others follow.
constexpr Quill::AttributeId firstMemberId = 2;

const Member *
memberWithId( Quill::AttributeId id ) noexcept {
   const int index = id - firstMemberId;
   return index >= 0 && index < int( members.size() ) ? &members[ std::size_t( index ) ] : nullptr;
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
      Quill::throwRangeException( where + ": a write takes exactly one value, " +
                                  std::to_string( args.size() ) + " given" );
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
   case Quill::AttrOp::write:
      memberIs( fields, *member, args );
      return Quill::AttrAnswer::done;
   default:
      return Quill::AttrAnswer::notSupported;
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
   for( std::size_t i = 0; i < members.size(); ++i ) {
      type->attributes.push_back( Quill::AttrInfo{
         Quill::AttributeId( firstMemberId + int( i ) ), members[ i ].name, Quill::AttrKind::value,
         members[ i ].flag ? "bool" : "U32",
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

LportTableFields::LportTableFields( Quill::CharRange & range ) {
   range.needString( "Value('Strata::LportTableFields', ** {" );
   bool first = true;
   for( const Member & member : members ) {
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
   for( const Member & member : members ) {
      if( member.flag ? this->*member.flag != other.*member.flag
                      : this->*member.number != other.*member.number ) {
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
   return Quill::_fmt(
      "Value('Strata::LportTableFields', ** {'vfpEnable': %s, 'v4L3Enable': %s, 'v6L3Enable': %s, "
      "'v6IpmcEnable': %s, 'v4IpmcEnable': %s, 'usePortTableGroupId': %s, 'trustIncomingVid': %s, "
      "'trustDscpV4': %s, 'trustDscpV6': %s, 'parity': %s, 'mplsEnable': %s, 'ipmcDoVlan': %s, "
      "'filterEnable': %s, 'enIfilter': %s, 'disableStaticMoveDrop': %s, 'portVid': %u, "
      "'outerTpidEnable': %u, 'lPortProfileIdx': %u})",
      boolStrep( vfpEnable ), boolStrep( v4L3Enable ), boolStrep( v6L3Enable ),
      boolStrep( v6IpmcEnable ), boolStrep( v4IpmcEnable ), boolStrep( usePortTableGroupId ),
      boolStrep( trustIncomingVid ), boolStrep( trustDscpV4 ), boolStrep( trustDscpV6 ),
      boolStrep( parity ), boolStrep( mplsEnable ), boolStrep( ipmcDoVlan ),
      boolStrep( filterEnable ), boolStrep( enIfilter ), boolStrep( disableStaticMoveDrop ),
      unsigned( portVid ), unsigned( outerTpidEnable ), unsigned( lPortProfileIdx ) );
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
