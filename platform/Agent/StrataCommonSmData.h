// The agent's shared Strata state ("strataCommon"): module tables, interface
// and LAG maps and the interface collections. Each map publishes one change
// per entry, with its key, on the entity's publisher.
#pragma once

#include "Agent/Lumo.h"
#include "Agent/StrataTypes.h"
#include "Quill/Entity.h"
#include "Quill/PublishedMap.h"

namespace StrataCentral {

// Chip information of a unit; the plug-in carries it along unread.
struct ChipInfo {
   U32 chipId = 0;
   U32 revision = 0;
   auto operator<=>( const ChipInfo & ) const = default;
};

} // namespace StrataCentral

namespace Strata {

// Module information of a chip unit.
struct StrataModInfo {
   U16 modInfo = 0; // the 16-bit value that heads a source-trunk-map request key
   StrataCentral::ChipInfo chipInfo;
   auto operator<=>( const StrataModInfo & ) const = default;
};

} // namespace Strata

namespace Orca {

class OrcaCommonSmData : public Quill::Entity {
 public:
   static constexpr Quill::AttributeId intfAttr = 1;
   static constexpr Quill::AttributeId unusedIntfAttr = 2;

   explicit OrcaCommonSmData( std::string name ) : Quill::Entity( std::move( name ) ) {}

   Quill::PublishedMap< Lumo::IntfId, bool > intf{ publisher(), intfAttr };
   Quill::PublishedMap< Lumo::IntfId, bool > unusedIntf{ publisher(), unusedIntfAttr };
};

} // namespace Orca

namespace Strata {

class StrataCommonSmData : public Orca::OrcaCommonSmData {
 public:
   static constexpr const char * quillTypeName = "Strata::StrataCommonSmData";
   static constexpr Quill::AttributeId strataModIdToUnitAttr = 10;
   static constexpr Quill::AttributeId strataModIdAttr = 11;
   static constexpr Quill::AttributeId strataIntfToPortCacheAttr = 12;
   static constexpr Quill::AttributeId strataLagToPortAttr = 13;
   static constexpr Quill::AttributeId strataPortToLagAttr = 14;
   static constexpr Quill::AttributeId strataPortToIntfAttr = 15;

   explicit StrataCommonSmData( std::string name ) : Orca::OrcaCommonSmData( std::move( name ) ) {}
   const Quill::TypeInfo * fwkType() const override;

   // Module id to chip unit.
   Quill::PublishedMap< StrataCentral::ModId, U16 > strataModIdToUnit{ publisher(), strataModIdToUnitAttr };
   // Chip unit to module information.
   Quill::PublishedMap< U16, StrataModInfo > strataModId{ publisher(), strataModIdAttr };
   // Interface to its chip port.
   Quill::PublishedMap< Lumo::IntfId, StrataTypes::StrataPort > strataIntfToPortCache{ publisher(),
                                                                                       strataIntfToPortCacheAttr };
   // Port-channel to its member ports.
   Quill::PublishedMap< Lumo::IntfId, StrataTypes::StrataPortList > strataLagToPort{ publisher(), strataLagToPortAttr };
   // Member port to its port-channel.
   Quill::PublishedMap< StrataTypes::StrataPort, Lumo::IntfId > strataPortToLag{ publisher(), strataPortToLagAttr };
   // Port to its own interface, ordered by port.
   Quill::PublishedMap< StrataTypes::StrataPort, Lumo::IntfId > strataPortToIntf{ publisher(), strataPortToIntfAttr };
};

} // namespace Strata
