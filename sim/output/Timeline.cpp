#include "output/Timeline.h"

#include "Quill/Clock.h"
#include "language/Printable.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"

#include <ostream>

namespace Sim {

namespace {

const char *
opName( Shim::SimChip::Op op ) noexcept {
   switch( op ) {
   case Shim::SimChip::Op::memRead: return "soc_mem_read";
   case Shim::SimChip::Op::memWrite: return "soc_mem_write";
   case Shim::SimChip::Op::reg32Get: return "soc_reg32_get";
   case Shim::SimChip::Op::reg32Set: return "soc_reg32_set";
   case Shim::SimChip::Op::count_: break;
   }
   return "?";
}

} // namespace

Timeline::Timeline( Session & session, std::ostream & out, std::string name )
      : session_( session ), out_( out ), name_( std::move( name ) ),
        commands_( log_.track( "scenario", "commands", 0 ) ) {
   session_.host.requestConfig().publisher().subscriberAdd( &requestSubscriber_ );
   followStatusEntity();
   Shim::simChip().listenerIs( [ this ]( const Shim::SimChip::Access & access ) { chipAccessed( access ); } );
   session_.host.sourceTrunkMap().listenerIs(
      [ this ]( const StrataCentral::PortTabWriteRequest & request, std::optional< U16 > unit ) {
         requestCarriedOut( request, unit );
      } );
}

Timeline::~Timeline() {
   Shim::simChip().listenerIs( nullptr );
   session_.host.sourceTrunkMap().listenerIs( nullptr );
}

double
Timeline::now() const {
   return Quill::System::currentTime();
}

TraceEventLog::Track
Timeline::unitTrack( int unit ) {
   return log_.track( "chip", "unit " + std::to_string( unit ), unit );
}

TraceEventLog::Track
Timeline::sliceTrack( std::optional< U16 > module ) {
   if( !module ) {
      return log_.track( "slices", "no slice (the interface has no chip port)", 1 << 16 );
   }
   return log_.track( "slices", "slice " + std::to_string( *module ), *module );
}

// The status entity is made by the plug-in when the agent starts, and may be
// made again by a later start: it is looked up around every command.
void
Timeline::followStatusEntity() {
   const auto status = session_.host.statusEntity();
   if( status && statusSubscriber_.publisher() != &status->publisher() ) {
      status->publisher().subscriberAdd( &statusSubscriber_ );
   }
}

void
Timeline::requestChanged( Vela::Publisher *, Vela::Subscriber * subscriber, short attr, const void *, const void * ) {
   if( attr != StrataPacketTracer::LPortTableWriteRequestConfig::versionAttr ) {
      return;
   }
   Timeline & self = *subscriber->ownerAs< Timeline >();
   const auto & request = self.session_.host.requestConfig();
   const auto * port = self.session_.host.scsd().strataIntfToPortCache.find( request.intfId() );
   const std::optional< U16 > module =
      port && *port != StrataTypes::StrataPort::nullPort() ? std::optional< U16 >( port->modId ) : std::nullopt;
   const std::string id = requestIdText( request.requestId() );
   self.openRequests_.push_back(
      { request.version(),
        self.now(),
        std::string( request.enable() ? "apply " : "withdraw " ) + request.intfId().name() + " (" + id + ")",
        self.sliceTrack( module ),
        { { "interface", request.intfId().name() },
          { "requestId", id },
          { "version", Cell::number( request.version() ) },
          { "cpu", Cell::boolean( request.cpuPktProfileEnable() ) },
          { "changedAt", self.running_ ? self.running_->where.text() : std::string( "-" ) } } } );
}

// A completion answers every request still open: the plug-in completes the
// request as it stands, whichever versions came before.
void
Timeline::statusChanged( Vela::Publisher *, Vela::Subscriber * subscriber, short attr, const void *, const void * ) {
   if( attr != StrataPacketTracer::LPortTableWriteRequestStatus::versionAttr ) {
      return;
   }
   Timeline & self = *subscriber->ownerAs< Timeline >();
   const auto status = self.session_.host.statusEntity();
   for( std::size_t i = 0; i < self.openRequests_.size(); ++i ) {
      OpenRequest & open = self.openRequests_[ i ];
      open.args.emplace_back( "completed", Cell::boolean( true ) );
      if( status ) {
         open.args.emplace_back( "statusVersion", Cell::number( status->version() ) );
         open.args.emplace_back( "statusState", Cell::number( unsigned( status->state() ) ) );
      }
      if( i + 1 < self.openRequests_.size() ) {
         open.args.emplace_back( "supersededBy", Cell::number( self.openRequests_.back().version ) );
      }
      self.log_.span( open.track, open.start, self.now(), open.name, "tracer request", open.args );
   }
   self.openRequests_.clear();
}

void
Timeline::chipAccessed( const Shim::SimChip::Access & access ) {
   std::string what = access.target;
   if( access.index ) {
      what += "[" + std::to_string( *access.index ) + "]";
   }
   TraceEventLog::EventArgs args{ { "call", opName( access.op ) },
                                  { "unit", Cell::signedNumber( access.unit ) },
                                  { "rc", Cell::signedNumber( access.rc ) } };
   if( running_ ) {
      args.emplace_back( "during", running_->where.text() );
   }
   if( access.rc < 0 ) {
      args.emplace_back( "error", Shim::simChip().soc_errmsg( access.rc ) );
      log_.instant( unitTrack( access.unit ), now(), std::string( "SDK failure: " ) + opName( access.op ) + " " + what,
                    "failure", args );
      return;
   }
   log_.instant( unitTrack( access.unit ), now(), "write " + what, "chip write", args );
}

void
Timeline::requestCarriedOut( const StrataCentral::PortTabWriteRequest & request, std::optional< U16 > unit ) {
   const auto & key = request.key;
   const std::string port = std::to_string( key.modId.value() ) + "/" + std::to_string( key.port.value() );
   log_.instant( sliceTrack( key.modId.value() ), now(), "request " + port + " -> " + std::to_string( request.value ),
                 "posted request",
                 { { "modId", Cell::number( key.modId.value() ) },
                   { "port", Cell::number( key.port.value() ) },
                   { "profile", Cell::number( request.value ) },
                   { "kind", Cell::number( key.kind ) },
                   { "modInfo", Cell::hex( key.modInfo ) },
                   { "unit", unit ? Cell::number( *unit ) : Cell::withJson( "none", "null" ) } } );
}

void
Timeline::audited( const Line & line, bool clean, const std::string & summary,
                   const std::vector< std::string > & differences ) {
   std::string lines;
   for( const std::string & l : differences ) {
      lines += ( lines.empty() ? "" : "\n" ) + l;
   }
   log_.globalInstant( now(), "audit: " + summary, clean ? "audit" : "audit differs",
                       { { "command", line.where.text() + ": " + line.text }, { "lines", lines } } );
}

void
Timeline::commandStarting( const Line & line ) {
   followStatusEntity();
   running_ = line;
   runningSince_ = now();
}

void
Timeline::commandEnded( const Line & line ) {
   followStatusEntity();
   log_.span( commands_, runningSince_, now(), line.text, "command", { { "at", line.where.text() } } );
   running_.reset();
}

void
Timeline::checked( const Location & where, bool holds, const std::string & message ) {
   if( !holds ) {
      log_.instant( commands_, now(), "expectation failed", "failure",
                    { { "at", where.text() }, { "message", message } } );
   }
}

void
Timeline::processStopping() noexcept {
   try {
      log_.globalInstant( now(), "the agent stopped the process", "failure",
                          { { "command", running_ ? running_->where.text() + ": " + running_->text : "-" } } );
      write();
   } catch( ... ) {
      // The process is going and standard error already says why.
   }
}

void
Timeline::write() {
   if( running_ ) {
      log_.span( commands_, runningSince_, now(), running_->text, "command", { { "at", running_->where.text() } } );
      running_.reset();
   }
   for( OpenRequest & open : openRequests_ ) {
      open.args.emplace_back( "completed", Cell::boolean( false ) );
      log_.span( open.track, open.start, now(), open.name + " (not completed)", "tracer request", open.args );
   }
   openRequests_.clear();
   log_.write( out_ );
   out_.flush();
   if( !out_ ) {
      throw OutputError( "cannot write the timeline " + printable( name_ ) + ": " + systemReason() );
   }
}

} // namespace Sim
