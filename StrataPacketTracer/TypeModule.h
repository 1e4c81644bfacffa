// The plug-in's type module, registered with the framework when the library
// loads: Strata::LportTableFields (0), Strata::StrataPacketTracerSliceSm (1),
// Strata::StrataPacketTracerSliceRootSm (2), Strata::StrataPacketTracerSliceMounter (3).
#pragma once

#include "Quill/Type.h"

namespace Strata {

inline constexpr const char * typeModuleName = "StrataPacketTracerSlice";
const Quill::Module & typeModule();

} // namespace Strata
