#include "Cairn/Mount.h"

#include "Quill/Exceptions.h"
#include "Quill/Trace.h"

namespace Cairn {

namespace {
const Quill::TraceHandle &
cairnTrace() {
   static const Quill::TraceHandle handle( "Cairn", false );
   return handle;
}
} // namespace

std::string
AllMountFlags::letters() const {
   std::string text;
   if( has( read ) )
      text += 'r';
   if( has( write ) )
      text += 'w';
   if( has( create ) )
      text += 'c';
   if( has( immediate ) )
      text += 'i';
   return text;
}

void
Mount::handleFlags( const std::string & letters ) {
   U32 bits = flags_.val();
   for( char letter : letters ) {
      switch( letter ) {
      case 'r': bits |= AllMountFlags::read; break;
      case 'w': bits |= AllMountFlags::write; break;
      case 'c': bits |= AllMountFlags::create; break;
      case 'i': bits |= AllMountFlags::immediate; break;
      default:
         Quill::throwRangeException( "mount '" + path_ + "': unknown mount flag '" + std::string( 1, letter ) +
                                     "' in \"" + letters + "\"" );
      }
   }
   flags_.valIs( bits );
}

const char *
mountStatusName( MountStatus status ) noexcept {
   switch( status ) {
   case MountStatus::mountInProgress: return "mountInProgress";
   case MountStatus::mountSuccess: return "mountSuccess";
   case MountStatus::mountIncomplete: return "mountIncomplete";
   }
   return "mountUnknown";
}

std::ostream &
operator<<( std::ostream & out, MountStatus status ) {
   return out << mountStatusName( status );
}

void
MountGroup::doMount( const Mount & mount ) {
   if( closed_ ) {
      Quill::throwRangeException( "mount '" + mount.path() + "' declared after the group closed" );
   }
   mounts_.push_back( mount );
   QTRACE( cairnTrace(), 0, __LINE__, "doMount" )
      << "mount " << mount.path() << " type " << mount.typeName() << " flags \"" << mount.flags().letters() << "\"";
}

void
MountGroup::doClose( bool, const std::string &, Quill::Seconds ) {
   closed_ = true;
   QTRACE( cairnTrace(), 0, __LINE__, "doClose" ) << "closed with " << unsigned( mounts_.size() ) << " mounts";
}

} // namespace Cairn
