// Strata::StrataPacketTracerSliceRootSm: keeps exactly one slice per chip
// module listed in the shared Strata state's strataModIdToUnit, creating a
// slice when a module appears and removing it when the module goes. It holds
// the five inputs every slice needs and switches its slices' notifications
// together with its own.
#pragma once

#include "StrataPacketTracerSliceSm.h"

#include <map>
#include <memory>

namespace Strata {

class StrataPacketTracerSliceRootSm : public Quill::PtrInterface {
   struct CreationKey {
      explicit CreationKey() = default;
   };

 public:
   static constexpr const char * quillTypeName = "Strata::StrataPacketTracerSliceRootSm";

   enum AttrId : Quill::AttributeId {
      sourceTrunkMapRequestDirId = 130,
      lPortTableWriteRequestConfigId = 131,
      lPortTableWriteRequestStatusId = 132,
      scsdId = 133,
      cfmHwConfigId = 134,
      handleModuleId = 135,
      strataPacketTracerSliceSmId = 136,
   };

   using SliceMap = std::map< StrataCentral::ModId, Vela::Ptr< StrataPacketTracerSliceSm > >;

   // Creates the root: subscribes to the scsd at once, creates a slice for
   // every module listed, then switches notifications on (root and slices).
   // An error during construction withdraws the subscription and propagates.
   static Vela::Ptr< StrataPacketTracerSliceRootSm > StrataPacketTracerSliceRootSmIs( const SliceInputs & inputs );

   // Only for StrataPacketTracerSliceRootSmIs (the key is private).
   StrataPacketTracerSliceRootSm( CreationKey, const SliceInputs & inputs );
   ~StrataPacketTracerSliceRootSm() override;

   const Quill::TypeInfo * fwkType() const override { return &typeInfo(); }
   static Quill::TypeInfo & typeInfo();

   const SliceInputs & inputs() const noexcept { return inputs_; }

   // Makes the collection agree with the scsd for one module.
   void handleModule( StrataCentral::ModId modId );
   // handleModule(modId) for every module the scsd lists.
   void handleModule();

   // The slice for modId, created when missing. Throws the framework's
   // re-instantiation error, naming the first input that differs, when a slice
   // exists with other inputs.
   Vela::Ptr< StrataPacketTracerSliceSm > strataPacketTracerSliceSmIs( const SliceInputs & inputs,
                                                                       StrataCentral::ModId modId );
   // Removes the slice for modId and returns it, or null when there was none.
   Vela::Ptr< StrataPacketTracerSliceSm > strataPacketTracerSliceSmDel( StrataCentral::ModId modId );
   void strataPacketTracerSliceSmDelAll();
   // The slice for modId, or null.
   Vela::Ptr< StrataPacketTracerSliceSm > strataPacketTracerSliceSm( StrataCentral::ModId modId ) const;
   const SliceMap & strataPacketTracerSliceSms() const noexcept { return slices_; }

   void hasNotificationActiveIs( bool active );
   virtual void quillDoZombieReactors( bool zombie );

   static void scsdDispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * );

 private:
   // Destroyed in the reverse of this order: the slices, the subscription,
   // then the inputs.
   SliceInputs inputs_;
   // What the slices have set up for each client, shared by all of them.
   std::shared_ptr< PortsSetUp > portsSetUp_ = std::make_shared< PortsSetUp >();
   Vela::Subscriber scsdSubscriber_{ &scsdDispatch, this };
   SliceMap slices_;
};

} // namespace Strata
