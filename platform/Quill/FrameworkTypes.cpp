#include "Quill/FrameworkTypes.h"

#include "Cairn/EntityManager.h"
#include "Ferro/Bitmap.h"
#include "Quill/Clock.h"
#include "Quill/TypeInfoMakers.h"

namespace Quill {

namespace {

struct Types {
   TypeInfo dir = entityTypeInfo< Dir >();
   TypeInfo entityManager = unmakeableEntityTypeInfo( Cairn::EntityManager::quillTypeName );
   TypeInfo clock = objectTypeInfo( Clock::quillTypeName );
   TypeInfo bitmap = objectTypeInfo( Ferro::Bitmap::quillTypeName );

   Module module{ frameworkModuleName, { &dir, &entityManager, &clock, &bitmap } };

   Types() { quillModuleIs( module ); }
};

Types &
types() {
   static auto * instance = new Types;
   return *instance;
}

// Registered when the platform library loads.
const bool registered = ( types(), true );

} // namespace

const TypeInfo &
FrameworkTypes::dir() {
   return types().dir;
}
const TypeInfo &
FrameworkTypes::entityManager() {
   return types().entityManager;
}
const TypeInfo &
FrameworkTypes::clock() {
   return types().clock;
}
const TypeInfo &
FrameworkTypes::bitmap() {
   return types().bitmap;
}

} // namespace Quill
