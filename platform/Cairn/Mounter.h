// A state-database mounter: declares what it wants mounted and hears when the
// state database has mounted it.
#pragma once

#include "Cairn/Mount.h"
#include "Vela/Ptr.h"

namespace Cairn {

class EntityManager;

class Mounter {
 public:
   virtual ~Mounter() = default;
   // The state database's entry point; by default hands on to doMountsComplete.
   virtual void doCairnMountsComplete( MountStatus status, const Vela::Ptr< EntityManager > & em ) {
      doMountsComplete( status, em );
   }
   virtual void doMountsComplete( MountStatus status, const Vela::Ptr< EntityManager > & em ) = 0;
   virtual void handleMountStatus( MountStatus ) {}
};

} // namespace Cairn
