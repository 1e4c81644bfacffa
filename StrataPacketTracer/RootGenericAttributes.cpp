// The root's framework type: its inputs (130 to 134), handleModule (135) and
// the collection of slices keyed by module (136), with generic access.
#include "GenericAttributes.h"
#include "StrataPacketTracerSliceRootSm.h"

namespace Strata {

namespace {

using Root = StrataPacketTracerSliceRootSm;
using Quill::AttrOp;

constexpr const char * collectionName = "strataPacketTracerSliceSm";

// One member as the iterator yields it: [modId, slice].
Quill::Value
member( const StrataCentral::ModId & modId, const Vela::Ptr< StrataPacketTracerSliceSm > & slice ) {
   return Quill::Value( Quill::ValueList{ Quill::Value::boxed( modId ), Quill::Value( slice ) } );
}

// The module id that keys a lookup, a deletion or a membership test.
StrataCentral::ModId
keyArg( const Quill::ValueList & args, const std::string & op ) {
   Generic::countIs( args, 1, op );
   return Generic::arg< StrataCentral::ModId >( args, 0, op, "modId" );
}

// The slices, keyed by module: looked up, instantiated, deleted, counted,
// tested for membership and iterated from the first member or from a key.
Generic::Attribute< Root >
slicesAttribute() {
   std::vector< Quill::ParamInfo > params = SliceInputs::params();
   params.insert( params.begin() + 4, { "modId", Generic::typeName< StrataCentral::ModId >() } );
   return { Root::strataPacketTracerSliceSmId,
            collectionName,
            Quill::AttrKind::collection,
            StrataPacketTracerSliceSm::quillTypeName,
            std::move( params ),
            { { AttrOp::read,
                []( Root & root, const Quill::ValueList & args ) {
                   return Quill::Value(
                      root.strataPacketTracerSliceSm( keyArg( args, "strataPacketTracerSliceSm lookup" ) ) );
                } },
              { AttrOp::write,
                []( Root & root, const Quill::ValueList & args ) {
                   const std::string op = "strataPacketTracerSliceSmIs";
                   Generic::countIs( args, SliceInputs::count + 1, op );
                   // The module id comes between scsd and cfmHwConfig.
                   return Quill::Value( root.strataPacketTracerSliceSmIs(
                      SliceInputs::fromArgs( args, { 0, 1, 2, 3, 5 }, op ),
                      Generic::arg< StrataCentral::ModId >( args, 4, op, "modId" ) ) );
                } },
              { AttrOp::del,
                []( Root & root, const Quill::ValueList & args ) {
                   return Quill::Value(
                      root.strataPacketTracerSliceSmDel( keyArg( args, "strataPacketTracerSliceSmDel" ) ) );
                } },
              { AttrOp::count,
                []( Root & root, const Quill::ValueList & args ) {
                   Generic::countIs( args, 0, "strataPacketTracerSliceSm count" );
                   return Quill::Value( U64( root.strataPacketTracerSliceSms().size() ) );
                } },
              { AttrOp::member,
                []( Root & root, const Quill::ValueList & args ) {
                   const auto key = keyArg( args, "strataPacketTracerSliceSm membership" );
                   return Quill::Value( bool( root.strataPacketTracerSliceSm( key ) ) );
                } },
              { AttrOp::iterate, []( Root & root, const Quill::ValueList & args ) {
                  // From the first member, or from the given key: that member,
                  // or the next one after it when the key has no member.
                  const Root::SliceMap & slices = root.strataPacketTracerSliceSms();
                  auto from = args.empty()
                                 ? slices.begin()
                                 : slices.lower_bound( keyArg( args, "strataPacketTracerSliceSm iteration" ) );
                  Quill::ValueList members;
                  for( auto at = from; at != slices.end(); ++at ) {
                     members.push_back( member( at->first, at->second ) );
                  }
                  return Quill::Value( std::move( members ) );
               } } } };
}

const std::vector< Generic::Attribute< Root > > &
attributes() {
   static const std::vector< Generic::Attribute< Root > > table{
      Generic::input< Root >( Root::sourceTrunkMapRequestDirId, "sourceTrunkMapRequestDir", 0 ),
      Generic::input< Root >( Root::lPortTableWriteRequestConfigId, "lPortTableWriteRequestConfig", 1 ),
      Generic::input< Root >( Root::lPortTableWriteRequestStatusId, "lPortTableWriteRequestStatus", 2 ),
      Generic::input< Root >( Root::scsdId, "scsd", 3 ),
      Generic::input< Root >( Root::cfmHwConfigId, "cfmHwConfig", 4 ),
      Generic::operation< static_cast< void ( Root::* )( StrataCentral::ModId ) >( &Root::handleModule ), Root >(
         Root::handleModuleId, "handleModule", "modId" ),
      slicesAttribute(),
   };
   return table;
}

} // namespace

Quill::TypeInfo &
StrataPacketTracerSliceRootSm::typeInfo() {
   return Generic::typeInfoOf< StrataPacketTracerSliceRootSm, &attributes >( quillTypeName, Quill::TypeKind::object );
}

} // namespace Strata
