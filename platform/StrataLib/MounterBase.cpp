#include "StrataLib/MounterBase.h"

namespace StrataLib {

Vela::Ptr< Quill::Entity >
HostContext::sharedEntity( const std::string & name ) const {
   auto found = shared_.find( name );
   return found == shared_.end() ? Vela::Ptr< Quill::Entity >() : found->second;
}

void
HostContext::sharedEntityIs( const std::string & name, const Vela::Ptr< Quill::Entity > & entity ) {
   shared_[ name ] = entity;
}

Vela::Ptr< Cairn::EntityManager >
MounterBase::entityManager() const {
   return hostContext_ ? hostContext_->entityManager() : Vela::Ptr< Cairn::EntityManager >();
}

std::string
MounterBase::contextName() const {
   return hostContext_ ? hostContext_->contextName() : std::string();
}

Vela::Ptr< Quill::Entity >
MounterBase::sharedEntity( const std::string & name ) const {
   return hostContext_ ? hostContext_->sharedEntity( name ) : Vela::Ptr< Quill::Entity >();
}

} // namespace StrataLib
