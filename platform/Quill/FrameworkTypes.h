// The framework's own types, registered as the module "Framework" when the
// platform library loads: the directory the state database creates by type
// name, its entity manager, the clock and the bitmap. The agent's types and
// the plug-in's register modules of their own in the same way.
#pragma once

#include "Quill/Type.h"

namespace Quill {

inline constexpr const char * frameworkModuleName = "Framework";

struct FrameworkTypes {
   static const TypeInfo & dir();
   static const TypeInfo & entityManager();
   static const TypeInfo & clock();
   static const TypeInfo & bitmap();
};

} // namespace Quill
