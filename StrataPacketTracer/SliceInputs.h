// The five inputs the mounter collects when the state database's mounts
// complete, hands to the root state machine, and the root to every slice:
// always these five objects, in this order.
#pragma once

#include "Agent/CfmHwConfig.h"
#include "Agent/PacketTracerTypes.h"
#include "Agent/PortTabWriteRequestDir.h"
#include "Agent/StrataCommonSmData.h"
#include "Quill/Type.h"
#include "Quill/Value.h"
#include "Vela/Ptr.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace Strata {

struct SliceInputs {
   static constexpr std::size_t count = 5;

   Vela::Ptr< StrataCentral::PortTabWriteRequestDir > sourceTrunkMapRequestDir;
   Vela::Ptr< const StrataPacketTracer::LPortTableWriteRequestConfig > lPortTableWriteRequestConfig;
   Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > lPortTableWriteRequestStatus;
   Vela::Ptr< Strata::StrataCommonSmData > scsd;
   Vela::Ptr< const CfmSw::CfmHwConfig > cfmHwConfig;

   // Each input the very same object as the other's (two nulls are equal).
   bool operator==( const SliceInputs & ) const = default;

   // The inputs in order, as the generic interface reads them.
   std::array< Quill::Value, count > values() const;
   // The inputs' names and types in order, as parameters of the generic
   // interface's instantiation.
   static std::vector< Quill::ParamInfo > params();
   // The inputs from a generic call: argument positions[i] is input i. Throws
   // Quill::RangeException naming `op` and the input when one is missing or
   // is an object of another type; none gives a null input.
   static SliceInputs fromArgs( const Quill::ValueList & args, const std::array< std::size_t, count > & positions,
                                const std::string & op );
};

} // namespace Strata
