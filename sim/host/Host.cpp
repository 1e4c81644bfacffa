#include "host/Host.h"

#include "Agent/CfmHwConfig.h"
#include "Pallet/Pallet.h"
#include "Quill/Clock.h"
#include "Quill/Type.h"
#include "language/ScenarioError.h"

namespace Sim {

namespace {
struct InputName {
   AgentInput input;
   const char * name;
};
constexpr InputName inputNames[] = {
   { AgentInput::cfmConfig, "cfm-config" },
   { AgentInput::requestConfig, "request-config" },
   { AgentInput::statusDir, "status-dir" },
   { AgentInput::requestDir, "request-dir" },
   { AgentInput::scsd, "scsd" },
};

template < typename T >
Vela::Ptr< T >
entityAt( const Cairn::EntityManager & em, const std::string & path ) {
   return Vela::dynamicPtrCast< T >( em.getEntity( path ) );
}

std::string
parentPath( const std::string & path ) {
   const std::size_t slash = path.rfind( '/' );
   return slash == std::string::npos ? std::string() : path.substr( 0, slash );
}
} // namespace

std::optional< AgentInput >
agentInputNamed( std::string_view name ) noexcept {
   for( const InputName & n : inputNames ) {
      if( name == n.name ) {
         return n.input;
      }
   }
   return std::nullopt;
}

const char *
agentInputName( AgentInput input ) noexcept {
   for( const InputName & n : inputNames ) {
      if( n.input == input ) {
         return n.name;
      }
   }
   return "?";
}

Host::Host( PluginLoader & loader )
      : loader_( loader ), em_( Pallet::make< Cairn::EntityManager >( "stateDb" ) ),
        scsd_( Pallet::make< Strata::StrataCommonSmData >( scsdName ) ) {
   // Other agents write these two; they exist before this agent starts.
   requestConfig_ = Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestConfig >(
      em_->entityIs( requestConfigPath, StrataPacketTracer::LPortTableWriteRequestConfig::quillTypeName ) );
   cfmConfig_ =
      Vela::dynamicPtrCast< CfmSw::CfmHwConfig >( em_->entityIs( cfmConfigPath, CfmSw::CfmHwConfig::quillTypeName ) );
   Quill::System::currentTimeIs( 0 );
   // The agent writes SOURCE_TRUNK_MAP on the unit of the request's module;
   // a module the shared state does not place is looked for by the module
   // information heading the key (the lowest unit that carries it).
   sourceTrunkMap_.unitResolverIs(
      [ this ]( const StrataCentral::PortTabWriteRequestKey & key ) -> std::optional< U16 > {
         if( const U16 * unit = scsd_->strataModIdToUnit.find( key.modId ) ) {
            return *unit;
         }
         for( const auto & [ unit, info ] : scsd_->strataModId ) {
            if( info.modInfo == key.modInfo ) {
               return unit;
            }
         }
         return std::nullopt;
      } );
}

Host::~Host() {
   if( started() ) {
      try {
         stop();
      } catch( ... ) {
         // Shutting down: nothing is left to report to.
      }
   }
}

std::string
Host::pathOf( AgentInput input, const std::string & context ) {
   switch( input ) {
   case AgentInput::cfmConfig: return cfmConfigPath;
   case AgentInput::requestConfig: return requestConfigPath;
   case AgentInput::statusDir: return statusDirPath;
   case AgentInput::requestDir: return requestDirPathPrefix + context;
   case AgentInput::scsd: break;
   }
   return {};
}

void
Host::contextNameIs( std::string name ) {
   if( started() ) {
      throw ScenarioError( "context: the agent is started; the context name can only change "
                           "before agent start" );
   }
   contextName_ = std::move( name );
}

Vela::Ptr< Quill::Dir >
Host::statusDir() const {
   auto kept = detached_.find( statusDirPath );
   if( kept != detached_.end() ) {
      return Vela::dynamicPtrCast< Quill::Dir >( kept->second );
   }
   return entityAt< Quill::Dir >( *em_, statusDirPath );
}

Vela::Ptr< Quill::Dir >
Host::statusDirIs() {
   if( Vela::Ptr< Quill::Dir > dir = statusDir() ) {
      return dir;
   }
   if( withheld( AgentInput::statusDir ) ) {
      // Withheld: the directory lives with the host until the next start.
      const std::string path = statusDirPath;
      Vela::Ptr< Quill::Dir > dir = Pallet::make< Quill::Dir >( path.substr( path.rfind( '/' ) + 1 ) );
      detached_[ path ] = dir;
      return dir;
   }
   if( em_->getEntity( statusDirPath ) ) {
      throw ScenarioError( std::string( "status: " ) + statusDirPath + " is not a directory" );
   }
   return Vela::dynamicPtrCast< Quill::Dir >( em_->entityIs( statusDirPath, Quill::Dir::quillTypeName ) );
}

Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus >
Host::statusEntity() const {
   Vela::Ptr< Quill::Dir > dir = statusDir();
   if( !dir ) {
      return {};
   }
   return Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >(
      dir->entityPtr( statusEntityName() ) );
}

Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus >
Host::statusEntityIs() {
   if( auto status = statusEntity() ) {
      return status;
   }
   Vela::Ptr< Quill::Dir > dir = statusDirIs();
   return Vela::dynamicPtrCast< StrataPacketTracer::LPortTableWriteRequestStatus >(
      dir->createEntity( statusEntityName(), StrataPacketTracer::LPortTableWriteRequestStatus::quillTypeName ) );
}

void
Host::restoreDetached() {
   for( auto & [ path, entity ] : detached_ ) {
      if( em_->getEntity( path ) ) {
         continue; // something took the place meanwhile; the host's copy yields
      }
      auto parent =
         Vela::dynamicPtrCast< Quill::Dir >( em_->entityIs( parentPath( path ), Quill::Dir::quillTypeName ) );
      if( parent ) {
         parent->entityIs( entity );
      }
   }
   detached_.clear();
}

void
Host::detach( AgentInput input ) {
   const std::string path = pathOf( input, contextName_ );
   if( Vela::Ptr< Quill::Entity > entity = em_->getEntity( path ) ) {
      detached_[ path ] = entity;
   }
}

void
Host::start( const std::set< AgentInput > & missing ) {
   if( started() ) {
      throw ScenarioError( "agent start: the agent is started already (agent stop first)" );
   }
   loader_.load();
   if( !Quill::typeNamed( mounterTypeName ) ) {
      throw ScenarioError( "agent start: the plug-in " + loader_.path() + " registered no type " + mounterTypeName );
   }
   restoreDetached();
   withheld_ = missing;

   Vela::Ptr< StrataLib::MounterBase > mounter =
      Vela::dynamicPtrCast< StrataLib::MounterBase >( Quill::newEntityForDir( mounterTypeName, mounterName ) );
   if( !mounter ) {
      throw ScenarioError( std::string( "agent start: " ) + mounterTypeName + " is not a StrataLib::MounterBase" );
   }
   mounter_ = mounter;

   auto context = Pallet::make< StrataLib::HostContext >( em_, contextName_ );
   if( !missing.count( AgentInput::scsd ) ) {
      context->sharedEntityIs( scsdName, scsd_ );
   }
   mounter_->hostContextIs( context );
   mounter_->doInit();

   std::set< std::string > withheldPaths;
   for( AgentInput input : missing ) {
      if( input != AgentInput::scsd ) {
         detach( input );
         withheldPaths.insert( pathOf( input, contextName_ ) );
      }
   }
   Vela::Ptr< Cairn::MountGroup > group = em_->getMountGroup( mounter_.ptr() );
   mountStatus_ = em_->completeMounts( *group, withheldPaths );
   // The SOURCE_TRUNK_MAP table listens before the plug-in runs: slices made
   // during doMountsComplete may post requests at once.
   sourceTrunkMap_.watch( entityAt< StrataCentral::PortTabWriteRequestDir >( *em_, requestDirPath() ) );
   mounter_->doMountsComplete( mountStatus_, em_ );
}

void
Host::remount() {
   if( !started() ) {
      throw ScenarioError( "agent remount: the agent is not started" );
   }
   mounter_->doMountsComplete( mountStatus_, em_ );
}

void
Host::stop() {
   if( !started() ) {
      throw ScenarioError( "agent stop: the agent is not started" );
   }
   sourceTrunkMap_.watch( nullptr );
   em_->mountGroupDel( mounter_.ptr() );
   // The host's reference is the last one: the mounter goes here, and with it
   // the root and every slice.
   Vela::Ptr< StrataLib::MounterBase > dying = std::move( mounter_ );
   mounter_ = nullptr;
   dying = nullptr;
}

} // namespace Sim
