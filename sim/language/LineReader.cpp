#include "language/LineReader.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <istream>
#include <string_view>

namespace Sim {

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t chunkBytes = 16 * 1024;

std::size_t
readFd( int fd, char * into, std::size_t size ) {
   for( ;; ) {
      const ssize_t got = ::read( fd, into, size );
      if( got >= 0 ) {
         return std::size_t( got );
      }
      if( errno == EINTR ) {
         continue;
      }
      if( errno == EAGAIN || errno == EWOULDBLOCK ) {
         // Standard input may come non-blocking from whoever started us.
         pollfd wait{ fd, POLLIN, 0 };
         ::poll( &wait, 1, -1 );
         continue;
      }
      throw InputError( "cannot read: " + systemReason() );
   }
}

} // namespace

LineReader::LineReader( ReadSome readSome ) : readSome_( std::move( readSome ) ), buffer_( chunkBytes ) {}

LineReader::LineReader( int fd )
      : LineReader( [ fd ]( char * into, std::size_t size ) { return readFd( fd, into, size ); } ) {}

LineReader::LineReader( std::istream & in )
      : LineReader( [ &in ]( char * into, std::size_t size ) -> std::size_t {
           in.read( into, std::streamsize( size ) );
           if( in.bad() ) {
              throw InputError( "cannot read: the stream failed" );
           }
           return std::size_t( in.gcount() );
        } ) {}

bool
LineReader::fill() {
   if( ended_ ) {
      return false;
   }
   start_ = 0;
   end_ = readSome_( buffer_.data(), buffer_.size() );
   ended_ = end_ == 0;
   return !ended_;
}

std::optional< std::string >
LineReader::next() {
   std::string line;
   bool any = false;
   for( ;; ) {
      if( start_ == end_ && !fill() ) {
         break;
      }
      any = true;
      const char * begin = buffer_.data() + start_;
      const char * end = buffer_.data() + end_;
      const char * newline = std::find( begin, end, '\n' );
      line.append( begin, newline );
      start_ = std::size_t( newline - buffer_.data() ) + ( newline == end ? 0 : 1 );
      if( line.size() > maxLineBytes ) {
         throw InputError( "a line longer than " + std::to_string( maxLineBytes ) + " bytes (is this scenario text?)" );
      }
      if( newline != end ) {
         break;
      }
   }
   if( !any ) {
      return std::nullopt;
   }
   if( atStart_ && std::string_view( line ).starts_with( byteOrderMark ) ) {
      line.erase( 0, byteOrderMark.size() );
   }
   atStart_ = false;
   return line;
}

} // namespace Sim
