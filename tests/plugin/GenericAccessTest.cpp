// The generic attribute interface of the plug-in's types, case by case from
// their own type tables: every value attribute written and read back alone,
// every operation refusing a wrong argument count, the module's type indices,
// the root's iteration and the mounter keeping its root only for the very
// same five inputs.
#include "PluginFixture.h"
#include "TypeModule.h"

namespace PluginTest {
namespace {

using Quill::AttrKind;
using Quill::AttrOp;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// The library opens "ApiStrata" as it loads, before any chip access, so that
// a host can set its levels from the start. (Run alone, as ctest runs it:
// the fixture of any other test opens the handle too.)
TEST( TypeModule, TheApiHandleIsOpenedWhenTheLibraryLoads ) {
   const std::vector< std::string > handles = Quill::traceHandles();
   EXPECT_NE( std::find( handles.begin(), handles.end(), "ApiStrata" ), handles.end() );
}

class GenericAccessTest : public PluginFixture {
 protected:
   // A value of the attribute's type that differs from `current`, and from
   // the value made for any other attribute (`distinct` differs per row).
   static Quill::Value another( const Quill::AttrInfo & attr, const Quill::Value & current, unsigned distinct ) {
      if( attr.typeName == "bool" ) {
         return Quill::Value( !current.asBool() );
      }
      if( attr.typeName == "Seconds" ) {
         return Quill::Value( current.asDouble() + 1.5 + distinct );
      }
      return Quill::Value( U64( ( current.asUnsigned() + 7 + distinct ) % 256 ) );
   }
   // Every value attribute but the clock, read generically, by name.
   template < typename T >
   std::map< std::string, std::string > values( const Vela::Ptr< T > & object ) {
      std::map< std::string, std::string > read;
      for( const Quill::AttrInfo & attr : object->fwkType()->attributes ) {
         if( attr.kind == AttrKind::value && attr.typeName != "Quill::Clock" ) {
            read[ attr.name ] = done( object, attr.id, AttrOp::read ).toString();
         }
      }
      return read;
   }
};

TEST_F( GenericAccessTest, ANewSliceStartsFromItsInitialValues ) {
   auto slice = makeSlice();
   EXPECT_EQ( values( slice ), ( std::map< std::string, std::string >{ { "timeout", "2" },
                                                                       { "handleClockCalled", "false" },
                                                                       { "sizeSrcTrunkTbl", "160" },
                                                                       { "lPortRsvdProfileIdx", "0" },
                                                                       { "lPortCfmProfileIdx", "1" },
                                                                       { "lPortProfileIdx", "5" },
                                                                       { "lportProfileIdxRefCount", "0" },
                                                                       { "initialized", "true" } } ) );
   EXPECT_EQ( done( slice, Slice::clockId, AttrOp::read ).asPtr< Quill::Clock >(), activityClock() );
   for( Quill::AttributeId id : { Slice::srcTrunkBitmapId, Slice::srcTrunkBitmapCfmId } ) {
      const auto bitmap = done( slice, id, AttrOp::read ).asPtr< Ferro::Bitmap >();
      ASSERT_TRUE( bitmap );
      EXPECT_EQ( bitmap->size(), 160u );
      EXPECT_EQ( bitmap->numBitsInSetState(), 0u );
   }
   EXPECT_NE( slice->srcTrunkBitmap(), slice->srcTrunkBitmapCfm() );
}

TEST_F( GenericAccessTest, EveryValueAttributeOfASliceIsWrittenAndReadBackAlone ) {
   auto slice = makeSlice();
   unsigned distinct = 0;
   std::size_t checked = 0;
   for( const Quill::AttrInfo & attr : Slice::typeInfo().attributes ) {
      if( attr.kind != AttrKind::value || attr.typeName == "Quill::Clock" ) {
         continue;
      }
      std::map< std::string, std::string > expected = values( slice );
      const Quill::Value written = another( attr, done( slice, attr.id, AttrOp::read ), distinct++ );
      done( slice, attr.id, AttrOp::write, { written } );
      expected[ attr.name ] = written.toString();
      EXPECT_EQ( values( slice ), expected ) << "writing " << attr.name;
      ++checked;
   }
   EXPECT_EQ( checked, 8u );
   // The clock: written, it is the clock the notifiee watches.
   Vela::Ptr< Quill::Clock > other = Pallet::make< Quill::Clock >();
   done( slice, Slice::clockId, AttrOp::write, { other } );
   EXPECT_EQ( done( slice, Slice::clockId, AttrOp::read ).asPtr< Quill::Clock >(), other );
   EXPECT_EQ( slice->clockNotifiee()->clock(), other.ptr() );
   done( slice, Slice::clockId, AttrOp::write, { activityClock() } );
}

// Each operation and each read takes exactly its parameters: one argument
// more, or one fewer, is refused before anything runs.
TEST_F( GenericAccessTest, EveryOperationOfEveryTypeRefusesAWrongArgumentCount ) {
   moduleIs( 1, 0 );
   auto mounter = makeMounter();
   mountAll( mounter );
   const Vela::Ptr< Root > root = mounter->strataPacketTracerSliceRootSm();
   const Vela::Ptr< Slice > slice = root->strataPacketTracerSliceSm( mod( 1 ) );
   const std::vector< Vela::Ptr< Quill::PtrInterface > > objects{ mounter, root, slice };
   std::size_t checked = 0;
   for( const Vela::Ptr< Quill::PtrInterface > & object : objects ) {
      for( const Quill::AttrInfo & attr : object->fwkType()->attributes ) {
         // Each operation the attribute has, with the arguments it takes: a
         // call its parameters, an instantiation its inputs, a write its
         // value, a read or deletion in a collection its key, any other none.
         std::vector< std::pair< AttrOp, std::size_t > > ops;
         if( attr.ops & Quill::opBit( AttrOp::call ) ) {
            ops.emplace_back( AttrOp::call, attr.params.size() );
         }
         if( attr.ops & Quill::opBit( AttrOp::write ) ) {
            ops.emplace_back( AttrOp::write, attr.kind == AttrKind::value ? 1 : attr.params.size() );
         }
         for( AttrOp keyed : { AttrOp::read, AttrOp::del } ) {
            if( attr.ops & Quill::opBit( keyed ) ) {
               ops.emplace_back( keyed, attr.kind == AttrKind::collection ? 1 : 0 );
            }
         }
         for( const auto & [ op, wanted ] : ops ) {
            // handleLPortTableWriteForCfm also runs without its key.
            const bool optional = attr.name == "handleLPortTableWriteForCfm";
            for( std::size_t count : { wanted + 1, wanted ? wanted - 1 : wanted + 2 } ) {
               if( optional && count == 0 ) {
                  continue;
               }
               SCOPED_TRACE( object->fwkType()->name + "::" + attr.name + " op " + std::to_string( int( op ) ) +
                             " with " + std::to_string( count ) );
               EXPECT_THAT(
                  [ & ] { generic( object, attr.id, op, Quill::ValueList( count ) ); },
                  ThrowsMessage< Quill::RangeException >( HasSubstr(
                     "takes " + std::to_string( wanted ) + " argument(s), got " + std::to_string( count ) ) ) );
               ++checked;
            }
         }
      }
   }
   EXPECT_GE( checked, 100u );
   EXPECT_EQ( slice->inputs(), root->inputs() ) << "nothing was changed on the way";
}

TEST_F( GenericAccessTest, TheModuleListsItsTypesByTheirIndex ) {
   const Quill::Module * module = Quill::moduleNamed( Strata::typeModuleName );
   ASSERT_NE( module, nullptr );
   const std::vector< const Quill::TypeInfo * > byIndex{ &Strata::LportTableFields::typeInfo(), &Slice::typeInfo(),
                                                         &Root::typeInfo(), &Mounter::typeInfo() };
   ASSERT_EQ( module->types().size(), byIndex.size() );
   for( U32 index = 0; index < byIndex.size(); ++index ) {
      EXPECT_EQ( module->type( index ), byIndex[ index ] ) << "index " << index;
      EXPECT_EQ( Quill::typeNamed( byIndex[ index ]->name ), byIndex[ index ] );
   }
}

TEST_F( GenericAccessTest, TheRootIteratesFromTheFirstMemberOrFromAKey ) {
   for( unsigned modId : { 1, 3, 5 } ) {
      moduleIs( modId, 0 );
   }
   auto root = makeRoot();
   auto keysFrom = [ & ]( const Quill::ValueList & from ) {
      std::vector< unsigned > keys;
      const Quill::Value members = done( root, Root::strataPacketTracerSliceSmId, AttrOp::iterate, from );
      for( const Quill::Value & member : members.asList() ) {
         keys.push_back( member.asList()[ 0 ].as< StrataCentral::ModId >().value() );
         EXPECT_EQ( member.asList()[ 1 ].asPtr< Slice >(), root->strataPacketTracerSliceSm( mod( keys.back() ) ) );
      }
      return keys;
   };
   EXPECT_EQ( keysFrom( {} ), ( std::vector< unsigned >{ 1, 3, 5 } ) );
   EXPECT_EQ( keysFrom( { 3 } ), ( std::vector< unsigned >{ 3, 5 } ) );
   EXPECT_EQ( keysFrom( { 4 } ), ( std::vector< unsigned >{ 5 } ) );
   EXPECT_EQ( keysFrom( { 6 } ), std::vector< unsigned >{} );
   EXPECT_EQ( done( root, Root::strataPacketTracerSliceSmId, AttrOp::count ).asUnsigned(), 3u );
   EXPECT_TRUE( done( root, Root::strataPacketTracerSliceSmId, AttrOp::member, { 5 } ).asBool() );
   EXPECT_FALSE( done( root, Root::strataPacketTracerSliceSmId, AttrOp::member, { 4 } ).asBool() );
}

// Whichever of the five inputs is another object, the mounter makes a new
// root: a root kept for a moved request directory would post to the old one.
TEST_F( GenericAccessTest, TheMounterKeepsItsRootOnlyForTheVerySameFiveInputs ) {
   auto mounter = makeMounter();
   const auto inputValues = inputs().values();
   const Quill::ValueList same( inputValues.begin(), inputValues.end() );
   const auto others =
      Strata::SliceInputs{ Pallet::make< StrataCentral::PortTabWriteRequestDir >( "otherDir" ),
                           Pallet::make< StrataPacketTracer::LPortTableWriteRequestConfig >( "otherConfig" ),
                           Pallet::make< StrataPacketTracer::LPortTableWriteRequestStatus >( "otherStatus" ),
                           Pallet::make< Strata::StrataCommonSmData >( "otherScsd" ),
                           Pallet::make< CfmSw::CfmHwConfig >( "otherCfm" ) }
         .values();
   auto rootFor = [ & ]( const Quill::ValueList & args ) {
      return done( mounter, Mounter::strataPacketTracerSliceRootSmId, AttrOp::write, args ).asPtr< Root >();
   };
   for( std::size_t changed = 0; changed < Strata::SliceInputs::count; ++changed ) {
      Quill::ValueList changedOne = same;
      changedOne[ changed ] = others[ changed ];
      const Vela::Ptr< Root > first = rootFor( same );
      EXPECT_EQ( rootFor( same ), first ) << "the same inputs";
      const Vela::Ptr< Root > second = rootFor( changedOne );
      EXPECT_NE( second, first ) << "input " << changed << " changed";
      EXPECT_TRUE( second->inputs().values()[ changed ].equals( others[ changed ] ) ) << "input " << changed;
   }
}

} // namespace
} // namespace PluginTest
