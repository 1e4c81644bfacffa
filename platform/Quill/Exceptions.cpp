#include "Quill/Exceptions.h"

namespace Quill {

MutatorReinstantiatingException::MutatorReinstantiatingException( const std::string & typeName, AttributeId attributeId,
                                                                  const std::string & current,
                                                                  const std::string & passed )
      : Exception( typeName + ": attribute " + std::to_string( attributeId ) +
                   " re-instantiated with another value (current: " + current + ", passed: " + passed + ")" ),
        typeName_( typeName ), attributeId_( attributeId ) {}

namespace Impl {
void
throwMutatorReinstantiating( const std::string & typeName, AttributeId attributeId, const std::string & current,
                             const std::string & passed ) {
   throw MutatorReinstantiatingException( typeName, attributeId, current, passed );
}
} // namespace Impl

void
throwNewEntityArgsException( const std::string & typeName ) {
   throw NewEntityArgsException( typeName + ": this entity type takes no constructor arguments" );
}

void
throwRangeException( const std::string & text ) {
   throw RangeException( text );
}

} // namespace Quill
