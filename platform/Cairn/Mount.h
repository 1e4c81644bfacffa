// What a mounter asks of the state database: mounts grouped per mounter.
//
// Mount flags, as this state database reads them:
//   r  read: the mounter reads the entity; a missing entity stays missing
//   w  write: the mounter writes the entity; created at its path when missing
//   c  create: created at its path when missing
//   i  immediate: the mount takes what is there at once, without waiting for
//      a writer to publish; accepted, and a no-op here, where every mount is
//      served from the local database at once
// Any other letter is refused.
#pragma once

#include "Quill/PtrInterface.h"
#include "Quill/Types.h"

#include <ostream>
#include <string>
#include <vector>

namespace Cairn {

class AllMountFlags {
 public:
   static constexpr U32 read = 1u << 0;
   static constexpr U32 write = 1u << 1;
   static constexpr U32 create = 1u << 2;
   static constexpr U32 immediate = 1u << 3;

   void valIs( U32 bits ) noexcept { bits_ = bits; }
   U32 val() const noexcept { return bits_; }
   bool has( U32 bit ) const noexcept { return bits_ & bit; }
   // The flags as letters, in the order r w c i.
   std::string letters() const;

 private:
   U32 bits_ = 0;
};

class Mount {
 public:
   Mount( std::string path, std::string typeName ) : path_( std::move( path ) ), typeName_( std::move( typeName ) ) {}

   const std::string & path() const noexcept { return path_; }
   const std::string & typeName() const noexcept { return typeName_; }
   AllMountFlags & flags() noexcept { return flags_; }
   const AllMountFlags & flags() const noexcept { return flags_; }
   // Adds the flags named by the letters; throws Quill::RangeException naming
   // the mount and the letter when a letter is unknown.
   void handleFlags( const std::string & letters );
   // Whether a missing entity is created at the path.
   bool createsWhenMissing() const noexcept {
      return flags_.has( AllMountFlags::create ) || flags_.has( AllMountFlags::write );
   }

 private:
   std::string path_;
   std::string typeName_;
   AllMountFlags flags_;
};

enum class MountStatus {
   mountInProgress,
   mountSuccess,    // every mount has an entity of its declared type
   mountIncomplete, // at least one mount has no entity, or one of another type
};
std::ostream & operator<<( std::ostream & out, MountStatus status );
const char * mountStatusName( MountStatus status ) noexcept;

class MountGroup : public Quill::PtrInterface {
 public:
   static constexpr const char * quillTypeName = "Cairn::MountGroup";

   // Declares one more mount; refused once the group is closed.
   void doMount( const Mount & mount );
   // Closes the group: no more mounts. `waitForWriters` and `reason` are
   // accepted for the callers' sake; the local database serves every mount at
   // once, so `timeout` is not waited for.
   void doClose( bool waitForWriters, const std::string & reason, Quill::Seconds timeout );

   const std::vector< Mount > & mounts() const noexcept { return mounts_; }
   bool isClosed() const noexcept { return closed_; }

 private:
   std::vector< Mount > mounts_;
   bool closed_ = false;
};

} // namespace Cairn
