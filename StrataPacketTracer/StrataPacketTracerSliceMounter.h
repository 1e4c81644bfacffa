// Strata::StrataPacketTracerSliceMounter: the plug-in's entry. The host makes
// it by type name, attaches its context and calls doInit, which declares the
// four mounts; when the state database has mounted them, doMountsComplete
// collects the five inputs, makes sure the status entity "Strata-CONTEXT"
// exists, and creates the root state machine, which does all the work from
// then on.
#pragma once

#include "StrataLib/MounterBase.h"
#include "StrataPacketTracerSliceRootSm.h"

namespace Strata {

class StrataPacketTracerSliceMounter : public StrataLib::MounterBase {
 public:
   static constexpr const char * quillTypeName = "Strata::StrataPacketTracerSliceMounter";

   enum AttrId : Quill::AttributeId {
      cfmHwConfigId = 642,
      strataPacketTracerSliceRootSmId = 643,
   };

   // Created with notifications on and both attributes null.
   explicit StrataPacketTracerSliceMounter( const std::string & name );
   ~StrataPacketTracerSliceMounter() override;

   const Quill::TypeInfo * fwkType() const override { return &typeInfo(); }
   static Quill::TypeInfo & typeInfo();
   // The factory the framework runs for the type name; refuses arguments with
   // the framework's new-entity-arguments error.
   static Vela::Ptr< Quill::Entity > newEntityForDir( const std::string & name, const Quill::ValueList & args );

   // Declares the four mounts and closes the group.
   void doInit() override;
   // Collects the inputs (an absent or wrongly typed one is null), creates the
   // status entity when missing and instantiates the root.
   void doMountsComplete( Cairn::MountStatus status, const Vela::Ptr< Cairn::EntityManager > & em ) override;

   const Vela::Ptr< const CfmSw::CfmHwConfig > & cfmHwConfig() const noexcept { return cfmHwConfig_; }
   void cfmHwConfigIs( const Vela::Ptr< const CfmSw::CfmHwConfig > & config ) { cfmHwConfig_ = config; }

   const Vela::Ptr< StrataPacketTracerSliceRootSm > & strataPacketTracerSliceRootSm() const noexcept {
      return strataPacketTracerSliceRootSm_;
   }
   // Keeps the existing root when all five inputs are the very same objects,
   // else replaces it with a new one.
   Vela::Ptr< StrataPacketTracerSliceRootSm > strataPacketTracerSliceRootSmIs( const SliceInputs & inputs );
   // Detaches the root, switches its notifications off and hands it over; null
   // when there is none.
   Vela::Ptr< StrataPacketTracerSliceRootSm > strataPacketTracerSliceRootSmDel();

 private:
   Vela::Ptr< const CfmSw::CfmHwConfig > cfmHwConfig_;
   Vela::Ptr< StrataPacketTracerSliceRootSm > strataPacketTracerSliceRootSm_;
};

} // namespace Strata
