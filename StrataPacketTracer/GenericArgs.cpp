#include "GenericArgs.h"

namespace Strata::GenericArgs {

void
throwFor( const char * op, const char * param, const std::string & detail ) {
   Quill::throwRangeException( std::string( op ) + ": parameter '" + param + "': " + detail );
}

void
countIs( const Quill::ValueList & args, std::size_t count, const char * op ) {
   if( args.size() != count ) {
      Quill::throwRangeException( std::string( op ) + ": takes " + std::to_string( count ) +
                                  " argument(s), got " + std::to_string( args.size() ) );
   }
}

const Quill::Value &
at( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   if( i >= args.size() ) {
      throwFor( op, param, "missing" );
   }
   return args[ i ];
}

bool
boolArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   const Quill::Value & v = at( args, i, op, param );
   try {
      return v.asBool();
   } catch( const Quill::RangeException & e ) {
      throwFor( op, param, e.what() );
   }
}

U64
unsignedArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param,
             U64 max ) {
   const Quill::Value & v = at( args, i, op, param );
   try {
      return v.asUnsigned( max );
   } catch( const Quill::RangeException & e ) {
      throwFor( op, param, e.what() );
   }
}

double
secondsArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   const Quill::Value & v = at( args, i, op, param );
   try {
      return v.asDouble();
   } catch( const Quill::RangeException & e ) {
      throwFor( op, param, e.what() );
   }
}

StrataCentral::ModId
modIdArg( const Quill::ValueList & args, std::size_t i, const char * op, const char * param ) {
   const Quill::Value & v = at( args, i, op, param );
   if( v.isBoxed() ) {
      return boxedArg< StrataCentral::ModId >( args, i, op, param );
   }
   try {
      return StrataCentral::ModId( unsigned( v.asUnsigned( StrataCentral::ModId::null ) ) );
   } catch( const Quill::RangeException & e ) {
      throwFor( op, param, e.what() );
   }
}

} // namespace Strata::GenericArgs
