// Strata::StrataPacketTracerSliceSm: the per-chip-module state machine.
//
// One slice exists for each module of the shared Strata state; the root state
// machine creates and removes them. A slice holds its five inputs for its whole
// life, subscribes to three of them (the packet tracer's request, the shared
// Strata state and the CFM configuration) and turns their changes into its
// handlers: packet-tracer requests program the tracer's LPORT profile and
// complete on the slice's clock; CFM forwarding configurations, LAG
// membership and interfaces keep the shared CFM profile on their ports.
//
// A slice serves the ports of its own module (MOD/UNIT/PORT with MOD its
// modId) and leaves every other port to its module's slice: each request is
// carried out and answered once, and the claims, kept by port number, never
// mix two modules' ports. The CFM profile entry is one per chip unit, so its
// users are counted across the slices of one root, which also note the ports
// steered at the tracer's profile (PortsSetUp): a module's next slice takes
// over what its last one set up.
//
// The implementation is split by concern:
//   SliceLifecycle.cpp      creation, subscriptions, initialisation, teardown
//   SliceClaims.cpp         the two source-trunk claims and the profile counter
//   SliceClock.cpp          the completion clock and its notifiee
//   SlicePacketTracer.cpp   the packet tracer's request, LPORT_TAB, source
//                           trunk map and CPU packet profile
//   SliceCfm.cpp            the CFM profile, CFM claims, forwarding configs, LAGs
//   SlicePorts.cpp          which ports the slice can program, for both clients
//   SliceGenericAttributes.cpp  the type's attributes and generic access
#pragma once

#include "Agent/CfmHwConfig.h"
#include "Agent/Lumo.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Agent/StrataTypes.h"
#include "Ferro/Bitmap.h"
#include "LportTableFields.h"
#include "PortsSetUp.h"
#include "PresentCfmKeys.h"
#include "Quill/Clock.h"
#include "Quill/PtrInterface.h"
#include "Quill/Type.h"
#include "SliceInputs.h"
#include "SourceTrunkClaims.h"
#include "TraceLines.h"
#include "Vela/Ptr.h"
#include "Vela/Publisher.h"

#include <memory>
#include <optional>
#include <string>

namespace Strata {

class StrataPacketTracerSliceSm : public Quill::PtrInterface {
   struct CreationKey {
      explicit CreationKey() = default;
   };

 public:
   static constexpr const char * quillTypeName = "Strata::StrataPacketTracerSliceSm";

   // Generic attribute identifiers, in declaration order.
   enum AttrId : Quill::AttributeId {
      sourceTrunkMapRequestDirId = 130,
      lPortTableWriteRequestConfigId = 131,
      lPortTableWriteRequestStatusId = 132,
      scsdId = 133,
      modIdId = 134,
      cfmHwConfigId = 135,
      timeoutId = 136,
      handleClockCalledId = 137,
      clockId = 138,
      handleClockId = 139,
      intfOnSliceId = 140,
      sizeSrcTrunkTblId = 141,
      srcTrunkBitmapId = 142,
      isAllocatedSrcTrunkIdxId = 143,
      isAllocatedSrcTrunkCfmIdxId = 144,
      allocatedLportCfmIdxId = 145,
      allocateSrcTrunkIdxId = 146,
      freeSrcTrunkIdxId = 147,
      srcTrunkBitmapCfmId = 148,
      allocateSrcTrunkCfmIdxId = 149,
      freeSrcTrunkCfmIdxId = 150,
      programLPortTableCfmId = 151,
      programSourceTrunkMapCfmId = 152,
      lPortRsvdProfileIdxId = 153,
      lPortCfmProfileIdxId = 154,
      lPortProfileIdxId = 155,
      lportProfileIdxRefCountId = 156,
      programLPortTableId = 157,
      programSourceTrunkMapId = 158,
      programCpuPktProfileId = 159,
      handleLPortTableWriteRequestId = 160,
      handleLPortTableWriteForCfmId = 161,
      handlePortToLagId = 162,
      initializedId = 163,
      handleInitializedId = 164,
   };

   // No LPORT profile.
   static constexpr U32 noProfile = 0xFFFFFFFFu;

   class QuillClock;

   // Creates a slice for module `modId`, runs its initialisation and switches
   // its notifications on. `portsSetUp` is shared by the slices of one
   // root; without it the slice keeps its own, which is right only while it
   // is the one slice on its units. Construction that throws
   // releases everything it took (subscriptions and references) and returns
   // the memory before the error goes on.
   static Vela::Ptr< StrataPacketTracerSliceSm >
   StrataPacketTracerSliceSmIs( const SliceInputs & inputs, StrataCentral::ModId modId,
                                std::shared_ptr< PortsSetUp > portsSetUp = nullptr );

   // Only for StrataPacketTracerSliceSmIs (the key is private).
   StrataPacketTracerSliceSm( CreationKey, const SliceInputs & inputs, StrataCentral::ModId modId,
                              std::shared_ptr< PortsSetUp > portsSetUp );
   ~StrataPacketTracerSliceSm() override;

   const Quill::TypeInfo * fwkType() const override { return &typeInfo(); }
   static Quill::TypeInfo & typeInfo();

   // --- constructor attributes (read-only) ---
   const SliceInputs & inputs() const noexcept { return inputs_; }
   StrataCentral::ModId modId() const noexcept { return modId_; }

   // --- value attributes ---
   Quill::Seconds timeout() const noexcept { return timeout_; }
   void timeoutIs( Quill::Seconds timeout ) noexcept { timeout_ = timeout; }
   bool handleClockCalled() const noexcept { return handleClockCalled_; }
   void handleClockCalledIs( bool called ) noexcept { handleClockCalled_ = called; }
   U8 sizeSrcTrunkTbl() const noexcept { return sizeSrcTrunkTbl_; }
   void sizeSrcTrunkTblIs( U8 size ) noexcept { sizeSrcTrunkTbl_ = size; }
   U32 lPortRsvdProfileIdx() const noexcept { return lPortRsvdProfileIdx_; }
   void lPortRsvdProfileIdxIs( U32 idx ) noexcept { lPortRsvdProfileIdx_ = idx; }
   U32 lPortCfmProfileIdx() const noexcept { return lPortCfmProfileIdx_; }
   void lPortCfmProfileIdxIs( U32 idx ) noexcept { lPortCfmProfileIdx_ = idx; }
   U32 lPortProfileIdx() const noexcept { return lPortProfileIdx_; }
   void lPortProfileIdxIs( U32 idx ) noexcept { lPortProfileIdx_ = idx; }
   U8 lportProfileIdxRefCount() const noexcept { return lportProfileIdxRefCount_; }
   void lportProfileIdxRefCountIs( U8 count ) noexcept { lportProfileIdxRefCount_ = count; }
   bool initialized() const noexcept { return initialized_; }
   void initializedIs( bool initialized ) noexcept { initialized_ = initialized; }

   // --- the completion clock (SliceClock.cpp) ---
   // The clock the notifiee watches, or null when there is no notifiee.
   Vela::Ptr< const Quill::Clock > clock() const;
   // Attaches, re-points or (with null) removes the clock notifiee.
   void clockIs( const Vela::Ptr< const Quill::Clock > & clock );
   // Removes the notifiee; returns the clock it watched, or null.
   Vela::Ptr< const Quill::Clock > clockDel();
   const Vela::Ptr< QuillClock > & clockNotifiee() const noexcept { return clock_; }
   // Completion: publishes the completion of the last request this slice
   // carried out (its id, whatever request has come since) on the status
   // when one is waiting (handleClockCalled), then disarms the clock.
   void handleClock();

   // Whether the interface is one of the shared state's interfaces (intf or
   // unusedIntf); the module plays no part.
   bool intfOnSlice( const Lumo::IntfId & intfId );

   // --- claims (SliceClaims.cpp, SourceTrunkClaims.h) ---
   // Whether each client holds port number `idx`, and how many CFM holds:
   // const and silent, for whatever observes the slice. The handlers use the
   // traced queries below, whose lines trace readers know.
   bool tracerHolds( U32 idx ) const noexcept { return tracerClaims_.holds( idx ); }
   bool cfmHolds( U32 idx ) const noexcept { return cfmClaims_.holds( idx ); }
   U32 cfmClaimCount() const noexcept { return cfmClaims_.count(); }
   const Vela::Ptr< Ferro::Bitmap > & srcTrunkBitmap() const noexcept { return tracerClaims_.bitmap(); }
   const Vela::Ptr< Ferro::Bitmap > & srcTrunkBitmapCfm() const noexcept { return cfmClaims_.bitmap(); }
   // Keeps a bitmap made with the same three values, else replaces it.
   Vela::Ptr< Ferro::Bitmap > srcTrunkBitmapIs( U64 id, U32 size, Ferro::HBitmap::BitState initialBitState ) {
      return tracerClaims_.bitmapIs( id, size, initialBitState );
   }
   Vela::Ptr< Ferro::Bitmap > srcTrunkBitmapDel() noexcept { return tracerClaims_.bitmapDel(); }
   Vela::Ptr< Ferro::Bitmap > srcTrunkBitmapCfmIs( U64 id, U32 size, Ferro::HBitmap::BitState initialBitState ) {
      return cfmClaims_.bitmapIs( id, size, initialBitState );
   }
   Vela::Ptr< Ferro::Bitmap > srcTrunkBitmapCfmDel() noexcept { return cfmClaims_.bitmapDel(); }
   bool isAllocatedSrcTrunkIdx( U32 idx );
   bool isAllocatedSrcTrunkCfmIdx( U32 idx );
   // The number of ports CFM holds: the CFM profile's reference count.
   U32 allocatedLportCfmIdx();
   U32 allocateSrcTrunkIdx( U32 idx ) { return tracerClaims_.claim( idx ); }
   // Releasing the null index stops the process (a broken precondition).
   void freeSrcTrunkIdx( U32 idx ) { tracerClaims_.release( idx ); }
   U32 allocateSrcTrunkCfmIdx( U32 idx ) { return cfmClaims_.claim( idx ); }
   void freeSrcTrunkCfmIdx( U32 idx ) { cfmClaims_.release( idx ); }
   // Modulo 256, no overflow check.
   U8 lportProfileIdxRefCountInc( U8 by ) noexcept;
   U8 lportProfileIdxRefCountDec( U8 by ) noexcept;

   // --- CFM programming (SliceCfm.cpp) ---
   // Writes the shared CFM profile at the first set-up, clears it at the last
   // take-down; returns the profile index for the port.
   U32 programLPortTableCfm( bool setupLPort, const StrataTypes::StrataPort & sp );
   // Claims or releases the port for CFM and posts its source-trunk-map
   // request, giving way to the packet tracer.
   void programSourceTrunkMapCfm( bool setupLPort, U32 lportIdx, const StrataTypes::StrataPort & sp );
   // Brings this module's ports behind one forwarding-config key in line with
   // its presence: a present key sets them up, a removed one takes down those
   // that CFM no longer covers (cfmCovers).
   void handleLPortTableWriteForCfm( const CfmSw::IntfVlanTuple & intfVlanTuple );
   // Programs every forwarding-config key present.
   void handleLPortTableWriteForCfm();
   // A port of this module joined or left a port-channel, or got or lost its
   // interface: sets it up when CFM now covers it and does not hold it, takes
   // it down when CFM holds it and no longer covers it. An interface change
   // also lets the tracer's ports go that its request no longer names
   // (tracerClaimsTakenBack).
   void handlePortToLag( const StrataTypes::StrataPort & sp );
   void handlePortToIntf( const StrataTypes::StrataPort & sp );
   // Module information arrived for `unit`: the tracer's ports that wait to
   // be taken back are (tracerClaimsTakenBack); the requests of this
   // module's CFM ports there that could not be keyed before are posted, and
   // those whose take-down waited for it are taken down.
   void handleModInfo( U16 unit );
   // Whether CFM covers the port: a present key on its own interface or on
   // its port-channel, or membership of a port-channel for a port with an
   // interface of its own. Set-up and take-down both follow this rule.
   bool cfmCovers( const StrataTypes::StrataPort & sp );

   // --- packet-tracer programming (SlicePacketTracer.cpp) ---
   // Read-modify-writes the tracer's LPORT_TAB profile entry on the port's unit.
   void programLPortTable( const StrataTypes::StrataPort & sp, const LportTableFields & lportTableFields );
   // Claims (or releases) the port for the tracer and posts its request. Throws
   // the framework's range errors for a module id above 64 or a port number
   // above 0x3FF; a unit without module information, or a slice without a
   // request directory, is refused with an ERROR line and changes nothing.
   void programSourceTrunkMap( bool setupLPort, const StrataTypes::StrataPort & sp );
   void programCpuPktProfile( bool setupLPort, const StrataTypes::StrataPort & sp );
   // Carries out the request in full or not at all, when its port is this
   // module's: a request that cannot be (see requestRefusal) is refused with
   // one ERROR line before the chip is touched, and never answered; an armed
   // completion of an earlier request stays as it was. The port's profile
   // entry is written before the port is steered at it.
   void handleLPortTableWriteRequest();

   // --- lifecycle (SliceLifecycle.cpp) ---
   void handleInitialized();
   void hasNotificationActiveIs( bool active );
   virtual void quillDoZombieReactors( bool zombie );

   // Reactors, called by the inputs' publishers. Each lives with the handler
   // it runs: lPortTableWriteRequestConfigDispatch in SlicePacketTracer.cpp,
   // scsdDispatch and cfmHwConfigDispatch in SliceCfm.cpp.
   static void lPortTableWriteRequestConfigDispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *,
                                                     const void * );
   static void scsdDispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * );
   static void cfmHwConfigDispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * );

 private:
   // How a CFM handler reports one port of its: the function that writes its
   // lines, the call site of a refusal and of the line naming the profile.
   struct CfmPortReport {
      const char * function;
      TraceLine refused;
      TraceLine programmed;
      const char * programmedText; // before the port, e.g. " sp: "
   };

   // --- which ports the slice can program (SlicePorts.cpp) ---
   // Why neither client can have `sp` programmed, or nothing: the null port or
   // a unit the chip does not have, a port number beyond the source-trunk
   // claims. (A port of this slice's module has a module id a request key
   // can hold.)
   std::optional< std::string > portRefusal( const StrataTypes::StrataPort & sp ) const;
   // portRefusal, then what the tracer's request needs besides: the unit's
   // module information and a request directory.
   std::optional< std::string > requestRefusal( const StrataTypes::StrataPort & sp ) const;
   // The number of ports both claim bitmaps hold; 0 without them.
   U32 claimCapacity() const noexcept;
   // The module information of a chip unit; null when the shared state has
   // none (or the slice has no shared state).
   const StrataModInfo * modInfoOfUnit( U16 unit ) const;
   // intfOnSlice without its trace line.
   bool intfKnown( const Lumo::IntfId & intfId ) const;
   // Whether `sp` is this slice's to serve: a port of its module. Another
   // module's port is left alone, with one line at level 9 naming `function`.
   bool servesPort( const StrataTypes::StrataPort & sp, TraceLine site, const char * function ) const;

   // The tracer asks for one port at a time: a port of this module steered at
   // its profile (by this slice or an earlier one) that the current request
   // does not name was applied by an earlier request no withdrawal took back,
   // and goes back to CFM's profile or to none. A port whose unit has no
   // module information waits for it.
   void tracerClaimsTakenBack();

   // --- start-up (SliceLifecycle.cpp) ---
   // A completed apply of the current request keeps its port, when it is this
   // module's, claimed by the tracer: the port still points at its profile.
   void tracerClaimResumed();
   // CFM's start: every key present, every port-channel membership, and the
   // ports an earlier slice of this module set up that nothing covers now.
   void cfmResumed();

   // --- CFM (SliceCfm.cpp) ---
   // Sets one port up for CFM or takes it down, for a handler: a port the
   // slice cannot program is refused with one ERROR line and nothing else;
   // otherwise the profile (programLPortTableCfm), then the claim and the
   // request (programSourceTrunkMapCfm).
   void cfmPortIs( bool setup, const StrataTypes::StrataPort & sp, const CfmPortReport & report );
   // Whether a present forwarding-config key of `keyIntf` (the one just
   // removed, on another VLAN), or anything else cfmCovers knows, still
   // covers `sp`.
   bool stillCovered( const Lumo::IntfId & keyIntf, const StrataTypes::StrataPort & sp );
   // Brings one port of this module in line with cfmCovers, for the
   // handlers of port events; does nothing where CFM already agrees.
   void cfmPortFollows( const StrataTypes::StrataPort & sp, const CfmPortReport & report );
   // CFM's claim on the port, in the slice's bitmap and among the unit's
   // profile users together.
   void cfmClaimIs( const StrataTypes::StrataPort & sp, bool claimed );

   // Arming and disarming the notifiee; both do nothing when the slice has
   // no notifiee (after clockDel, or clockIs with no clock).
   void clockWakeUpIs( Quill::Seconds wakeUp );
   void subscriptionsIs( bool active );
   // handleLPortTableWriteForCfm(key) for a key the caller knows to be
   // present (knownPresent), which spares the lookup, or not.
   void handleCfmKey( const CfmSw::IntfVlanTuple & intfVlanTuple, bool knownPresent );

   // Members go in the reverse of their order here, which is the order the
   // slice lets its objects go in: the tracer's bitmap, CFM's bitmap, the
   // clock notifiee, then the inputs from the last to the first.
   SliceInputs inputs_;
   StrataCentral::ModId modId_;

   // Value attributes, with their initial values.
   Quill::Seconds timeout_ = 2.0;
   bool handleClockCalled_ = false;
   Vela::Ptr< QuillClock > clock_;
   U8 sizeSrcTrunkTbl_ = 160;
   static const SourceTrunkClaims::Report tracerClaimsReport;
   static const SourceTrunkClaims::Report cfmClaimsReport;
   SourceTrunkClaims cfmClaims_{ cfmClaimsReport };       // srcTrunkBitmapCfm
   SourceTrunkClaims tracerClaims_{ tracerClaimsReport }; // srcTrunkBitmap
   U32 lPortRsvdProfileIdx_ = 0;
   U32 lPortCfmProfileIdx_ = 1;
   U32 lPortProfileIdx_ = 5;
   U8 lportProfileIdxRefCount_ = 0;
   bool initialized_ = false;

   // What the root's slices have set up, shared with them.
   std::shared_ptr< PortsSetUp > portsSetUp_;
   // The id of the request this slice carried out last, if any: its
   // completion publishes it, whatever request has come since.
   std::optional< PacketTracer::RequestId > completingRequestId_;

   // Changes of the CFM configuration heard by this slice, plus one for every
   // time it stopped listening. While it has not moved, a snapshot of the
   // configuration's keys is still exactly the set of present keys.
   U64 cfmConfigChanges_ = 0;
   // The keys this slice has seen present, by interface.
   PresentCfmKeys presentCfmKeys_;

   // Subscriptions to the three watched inputs.
   Vela::Subscriber lPortTableWriteRequestConfigSubscriber_{ &lPortTableWriteRequestConfigDispatch, this };
   Vela::Subscriber scsdSubscriber_{ &scsdDispatch, this };
   Vela::Subscriber cfmHwConfigSubscriber_{ &cfmHwConfigDispatch, this };
};

// The slice's clock notifiee: holds a plain back reference to its slice,
// cleared when the slice lets it go, so that a late clock event never reaches
// a slice that is gone.
class StrataPacketTracerSliceSm::QuillClock : public Quill::Clock::NotifieeConst {
 public:
   static constexpr const char * quillTypeName = "Strata::StrataPacketTracerSliceSm::QuillClock";

   QuillClock( const Vela::Ptr< const Quill::Clock > & clock, StrataPacketTracerSliceSm * owner );
   // The base detaches the notifiee from its clock: nothing can reach it
   // after that, so there is nothing to switch off or mark.
   ~QuillClock() override = default;

   StrataPacketTracerSliceSm * owner() const noexcept { return owner_; }
   void ownerIs( StrataPacketTracerSliceSm * owner ) noexcept { owner_ = owner; }

   // Watches another clock; when it changes to a real clock and the notifiee
   // is live, runs the owner's handleClock once.
   void notifierIs( const Vela::Ptr< const Quill::PtrInterface > & notifier ) override;
   void onAttribute( Quill::AttributeId id ) override;
   virtual void quillDoZombieReactors( bool zombie );

 private:
   StrataPacketTracerSliceSm * owner_;
};

} // namespace Strata
