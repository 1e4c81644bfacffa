#include "SliceInputs.h"

#include "GenericAttributes.h"

namespace Strata {

namespace {
constexpr std::array< const char *, SliceInputs::count > names{ "sourceTrunkMapRequestDir",
                                                                "lPortTableWriteRequestConfig",
                                                                "lPortTableWriteRequestStatus", "scsd", "cfmHwConfig" };
} // namespace

std::array< Quill::Value, SliceInputs::count >
SliceInputs::values() const {
   return { Quill::Value( sourceTrunkMapRequestDir ), Quill::Value( lPortTableWriteRequestConfig ),
            Quill::Value( lPortTableWriteRequestStatus ), Quill::Value( scsd ), Quill::Value( cfmHwConfig ) };
}

std::vector< Quill::ParamInfo >
SliceInputs::params() {
   const SliceInputs none;
   return { { names[ 0 ], Generic::typeName< decltype( none.sourceTrunkMapRequestDir ) >() },
            { names[ 1 ], Generic::typeName< decltype( none.lPortTableWriteRequestConfig ) >() },
            { names[ 2 ], Generic::typeName< decltype( none.lPortTableWriteRequestStatus ) >() },
            { names[ 3 ], Generic::typeName< decltype( none.scsd ) >() },
            { names[ 4 ], Generic::typeName< decltype( none.cfmHwConfig ) >() } };
}

SliceInputs
SliceInputs::fromArgs( const Quill::ValueList & args, const std::array< std::size_t, count > & positions,
                       const std::string & op ) {
   SliceInputs inputs;
   auto take = [ & ]( auto & input, std::size_t i ) {
      input = Generic::arg< std::decay_t< decltype( input ) > >( args, positions[ i ], op, names[ i ] );
   };
   take( inputs.sourceTrunkMapRequestDir, 0 );
   take( inputs.lPortTableWriteRequestConfig, 1 );
   take( inputs.lPortTableWriteRequestStatus, 2 );
   take( inputs.scsd, 3 );
   take( inputs.cfmHwConfig, 4 );
   return inputs;
}

} // namespace Strata
