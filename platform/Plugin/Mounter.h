// The agent's plug-in mounter: an entity that the host creates by type name,
// that declares its mounts in doInit and is told when they are complete.
#pragma once

#include "Cairn/Mounter.h"
#include "Quill/Entity.h"

#include <string>

namespace Plugin {

class Mounter : public Quill::Entity, public Cairn::Mounter {
 public:
   explicit Mounter( std::string name ) : Quill::Entity( std::move( name ) ) {}

   virtual const std::string & nameString() const { return name(); }
   virtual void handleParent() {}
   // Declares the mounts; the host calls it once, after attaching its context.
   virtual void doInit() = 0;
   // Staged start-up of the host: plug-ins that do not stage ignore these.
   virtual void doStage( int /*stage*/ ) {}
   virtual void handleStageInstance( int /*stage*/ ) {}
   virtual void handleStageProgressionComplete() {}
};

} // namespace Plugin
