// The host agent's base for Strata plug-in mounters: a plug-in mounter with a
// host context, from which it takes the state database's entity manager, the
// context name and the host's shared entities.
#pragma once

#include "Cairn/EntityManager.h"
#include "Plugin/Mounter.h"
#include "Quill/Entity.h"

#include <map>
#include <string>

namespace StrataLib {

// What the host hands a mounter before doInit.
class HostContext : public Quill::PtrInterface {
 public:
   static constexpr const char * quillTypeName = "StrataLib::HostContext";

   HostContext( Vela::Ptr< Cairn::EntityManager > em, std::string contextName )
         : entityManager_( std::move( em ) ), contextName_( std::move( contextName ) ) {}

   const Vela::Ptr< Cairn::EntityManager > & entityManager() const noexcept { return entityManager_; }
   const std::string & contextName() const noexcept { return contextName_; }

   // Entities the host shares with every plug-in, by name; null when absent.
   Vela::Ptr< Quill::Entity > sharedEntity( const std::string & name ) const;
   void sharedEntityIs( const std::string & name, const Vela::Ptr< Quill::Entity > & entity );
   void sharedEntityDel( const std::string & name ) { shared_.erase( name ); }

 private:
   Vela::Ptr< Cairn::EntityManager > entityManager_;
   std::string contextName_;
   std::map< std::string, Vela::Ptr< Quill::Entity > > shared_;
};

class MounterBase : public Plugin::Mounter {
 public:
   explicit MounterBase( std::string name ) : Plugin::Mounter( std::move( name ) ) {}

   void hostContextIs( const Vela::Ptr< HostContext > & context ) { hostContext_ = context; }
   const Vela::Ptr< HostContext > & hostContext() const noexcept { return hostContext_; }

   // The state database's entity manager, or null without a host context.
   Vela::Ptr< Cairn::EntityManager > entityManager() const;
   // The context name, or "" without a host context.
   std::string contextName() const;
   // A host shared entity, or null.
   Vela::Ptr< Quill::Entity > sharedEntity( const std::string & name ) const;

 private:
   Vela::Ptr< HostContext > hostContext_;
};

} // namespace StrataLib
