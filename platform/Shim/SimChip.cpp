#include "Shim/SimChip.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string_view>

namespace Shim {

namespace {

// SDK identifiers. The values mean nothing beyond being distinct; none is 0,
// so that an identifier left zero-initialised by mistake names nothing.
enum : soc_mem_t { lportTabMem = 0x101, portTabMem = 0x102 };
enum : soc_reg_t { cpuPktProfile2Reg = 0x201 };
enum : int { memBlockAny = -1, memBlockAll = -2, regPortAny = -10 };

namespace FieldId {
enum : soc_field_t {
   vfpEnable = 0x301,
   v4L3Enable,
   v6L3Enable,
   v6IpmcEnable,
   v4IpmcEnable,
   usePortTableGroupId,
   trustIncomingVid,
   trustDscpV4,
   trustDscpV6,
   parity,
   mplsEnable,
   ipmcDoVlan,
   filterEnable,
   enIfilter,
   disableStaticMoveDrop,
   portVid,
   outerTpidEnable,
   cfmOnly,
   spare,
   cpuPktProfileBitmap,
};
} // namespace FieldId

struct FieldLayout {
   const char * name; // the host-side name
   soc_field_t id;
   unsigned offset; // bit offset in the entry, counted from bit 0 of word 0
   unsigned width;
};

// The two tables lay out their common fields differently, as distinct
// hardware tables do: a field read with the wrong memory gives a wrong value
// instead of passing by chance. In both, some fields straddle a word boundary
// (LPORT_TAB portVid at 30..41, PORT_TAB trustDscpV4 at 31..32).
constexpr FieldLayout lportTabFields[] = {
   { "vfpEnable", FieldId::vfpEnable, 0, 2 },
   { "v4L3Enable", FieldId::v4L3Enable, 2, 2 },
   { "v6L3Enable", FieldId::v6L3Enable, 4, 2 },
   { "v6IpmcEnable", FieldId::v6IpmcEnable, 6, 2 },
   { "v4IpmcEnable", FieldId::v4IpmcEnable, 8, 2 },
   { "usePortTableGroupId", FieldId::usePortTableGroupId, 10, 2 },
   { "trustIncomingVid", FieldId::trustIncomingVid, 12, 2 },
   { "trustDscpV4", FieldId::trustDscpV4, 14, 2 },
   { "trustDscpV6", FieldId::trustDscpV6, 16, 2 },
   { "parity", FieldId::parity, 18, 2 },
   { "mplsEnable", FieldId::mplsEnable, 20, 2 },
   { "ipmcDoVlan", FieldId::ipmcDoVlan, 22, 2 },
   { "filterEnable", FieldId::filterEnable, 24, 2 },
   { "enIfilter", FieldId::enIfilter, 26, 2 },
   { "disableStaticMoveDrop", FieldId::disableStaticMoveDrop, 28, 2 },
   { "portVid", FieldId::portVid, 30, 12 },
   { "outerTpidEnable", FieldId::outerTpidEnable, 42, 4 },
   { "cfmOnly", FieldId::cfmOnly, 46, 1 },
   { "spare", FieldId::spare, 47, 16 },
};

// Bit 0 is left unused, like the valid bit many port tables start with.
constexpr FieldLayout portTabFields[] = {
   { "portVid", FieldId::portVid, 1, 12 },
   { "outerTpidEnable", FieldId::outerTpidEnable, 13, 4 },
   { "vfpEnable", FieldId::vfpEnable, 17, 2 },
   { "v4L3Enable", FieldId::v4L3Enable, 19, 2 },
   { "v6L3Enable", FieldId::v6L3Enable, 21, 2 },
   { "v6IpmcEnable", FieldId::v6IpmcEnable, 23, 2 },
   { "v4IpmcEnable", FieldId::v4IpmcEnable, 25, 2 },
   { "usePortTableGroupId", FieldId::usePortTableGroupId, 27, 2 },
   { "trustIncomingVid", FieldId::trustIncomingVid, 29, 2 },
   { "trustDscpV4", FieldId::trustDscpV4, 31, 2 },
   { "trustDscpV6", FieldId::trustDscpV6, 33, 2 },
   { "parity", FieldId::parity, 35, 2 },
   { "mplsEnable", FieldId::mplsEnable, 37, 2 },
   { "ipmcDoVlan", FieldId::ipmcDoVlan, 39, 2 },
   { "filterEnable", FieldId::filterEnable, 41, 2 },
   { "enIfilter", FieldId::enIfilter, 43, 2 },
   { "disableStaticMoveDrop", FieldId::disableStaticMoveDrop, 45, 2 },
};

// CPU_PKT_PROFILE_2's one field.
constexpr FieldLayout cpuPktProfileBitmapField = { "bitmap", FieldId::cpuPktProfileBitmap, 0, 8 };

constexpr U32
widthMask( unsigned width ) {
   return width >= 32 ? ~U32{ 0 } : ( U32{ 1 } << width ) - 1;
}

// A field of at most 32 bits covers at most two consecutive words.
U32
bitsGet( const U32 * words, const FieldLayout & field ) {
   const unsigned word = field.offset / 32;
   const unsigned shift = field.offset % 32;
   U64 bits = words[ word ] >> shift;
   if( shift + field.width > 32 ) {
      bits |= U64{ words[ word + 1 ] } << ( 32 - shift );
   }
   return static_cast< U32 >( bits ) & widthMask( field.width );
}

void
bitsSet( U32 * words, const FieldLayout & field, U32 value ) {
   const unsigned word = field.offset / 32;
   const unsigned shift = field.offset % 32;
   const bool straddles = shift + field.width > 32;
   const U64 mask = U64{ widthMask( field.width ) } << shift;
   U64 bits = words[ word ];
   if( straddles ) {
      bits |= U64{ words[ word + 1 ] } << 32;
   }
   bits = ( bits & ~mask ) | ( ( U64{ value & widthMask( field.width ) } << shift ) & mask );
   words[ word ] = static_cast< U32 >( bits );
   if( straddles ) {
      words[ word + 1 ] = static_cast< U32 >( bits >> 32 );
   }
}

struct MemoryLayout {
   soc_mem_t id;
   const char * name;
   int size; // entries
   std::span< const FieldLayout > fields;

   // The words the entry occupies: what a read copies out.
   constexpr unsigned words() const {
      unsigned end = 0;
      for( const FieldLayout & f : fields ) {
         end = std::max( end, f.offset + f.width );
      }
      return ( end + 31 ) / 32;
   }
   const FieldLayout * field( soc_field_t fieldId ) const {
      auto found = std::ranges::find( fields, fieldId, &FieldLayout::id );
      return found == fields.end() ? nullptr : &*found;
   }
   const FieldLayout * field( std::string_view fieldName ) const {
      auto found =
         std::ranges::find( fields, fieldName, []( const FieldLayout & f ) { return std::string_view( f.name ); } );
      return found == fields.end() ? nullptr : &*found;
   }
   // What the hardware keeps of a written entry: its fields, nothing else.
   SimChip::Entry stored( const U32 * words ) const {
      SimChip::Entry entry{};
      for( const FieldLayout & f : fields ) {
         bitsSet( entry.data(), f, bitsGet( words, f ) );
      }
      return entry;
   }
};

constexpr MemoryLayout memories[] = {
   { lportTabMem, "LPORT_TABm", SimChip::lportTabSize, lportTabFields },
   { portTabMem, "PORT_TABm", SimChip::portTabSize, portTabFields },
};
constexpr std::size_t memoryCount = std::size( memories );

// Every field fits a 32-bit value and the entry, and no two fields share a bit.
constexpr bool
layoutIsSound( std::span< const FieldLayout > fields ) {
   for( std::size_t i = 0; i < fields.size(); ++i ) {
      const FieldLayout & f = fields[ i ];
      if( f.width == 0 || f.width > 32 || f.offset + f.width > 32 * SimChip::entryWordsMax ) {
         return false;
      }
      for( std::size_t j = i + 1; j < fields.size(); ++j ) {
         const FieldLayout & g = fields[ j ];
         if( f.offset < g.offset + g.width && g.offset < f.offset + f.width ) {
            return false;
         }
      }
   }
   return true;
}
static_assert( layoutIsSound( lportTabFields ) && layoutIsSound( portTabFields ) );

const MemoryLayout *
memoryLayout( soc_mem_t mem ) {
   auto found = std::ranges::find( memories, mem, &MemoryLayout::id );
   return found == std::end( memories ) ? nullptr : &*found;
}

bool
validUnit( int unit ) {
   return unit >= 0 && unit < SimChip::unitCount;
}

bool
validIndex( const MemoryLayout & layout, int index ) {
   return index >= 0 && index < layout.size;
}

bool
isZero( const SimChip::Entry & entry ) {
   return std::ranges::all_of( entry, []( U32 word ) { return word == 0; } );
}

// Host-side argument checks: each names what was wrong.
void
requireUnit( int unit ) {
   if( !validUnit( unit ) ) {
      throw std::out_of_range( "unit " + std::to_string( unit ) + " is not a chip unit (0 to " +
                               std::to_string( SimChip::unitCount - 1 ) + ")" );
   }
}

const MemoryLayout &
requireMemory( soc_mem_t mem ) {
   const MemoryLayout * layout = memoryLayout( mem );
   if( !layout ) {
      throw std::out_of_range( "memory " + std::to_string( mem ) + " is not a chip memory (LPORT_TABm or PORT_TABm)" );
   }
   return *layout;
}

void
requireIndex( const MemoryLayout & layout, int index ) {
   if( !validIndex( layout, index ) ) {
      throw std::out_of_range( std::string( layout.name ) + " has no entry " + std::to_string( index ) + " (0 to " +
                               std::to_string( layout.size - 1 ) + ")" );
   }
}

const FieldLayout &
requireField( const MemoryLayout & layout, const std::string & name ) {
   const FieldLayout * field = layout.field( name );
   if( !field ) {
      throw std::out_of_range( std::string( layout.name ) + " has no field '" + name + "'" );
   }
   return *field;
}

std::size_t
opIndex( SimChip::Op op ) {
   const auto index = static_cast< std::size_t >( op );
   if( index >= static_cast< std::size_t >( SimChip::Op::count_ ) ) {
      throw std::out_of_range( "operation " + std::to_string( index ) + " is not a counted SDK operation" );
   }
   return index;
}

struct Fault {
   SimChip::Op op;
   soc_mem_t mem;
   std::optional< int > unit;
   std::optional< int > index;
   int rc;

   bool matches( SimChip::Op callOp, soc_mem_t callMem, int callUnit, int callIndex ) const {
      return op == callOp && mem == callMem && ( !unit || *unit == callUnit ) && ( !index || *index == callIndex );
   }
};

struct UnitState {
   std::array< std::map< int, SimChip::Entry >, memoryCount > tables; // absent = all zero
   U32 cpuPktProfile2 = 0;
};

} // namespace

struct SimChip::Impl {
   mutable std::mutex mutex; // guards everything below
   std::array< UnitState, unitCount > units;
   std::vector< Fault > faults; // in the order armed; the first match is spent
   std::array< std::size_t, static_cast< std::size_t >( Op::count_ ) > calls{};

   std::map< int, Entry > & table( int unit, const MemoryLayout & layout ) {
      return units[ static_cast< std::size_t >( unit ) ].tables[ static_cast< std::size_t >( &layout - memories ) ];
   }
   const std::map< int, Entry > & table( int unit, const MemoryLayout & layout ) const {
      return const_cast< Impl * >( this )->table( unit, layout );
   }
   void store( int unit, const MemoryLayout & layout, int index, const Entry & entry ) {
      // Zero entries are kept absent, so the table lists exactly the non-zero ones.
      if( isZero( entry ) ) {
         table( unit, layout ).erase( index );
      } else {
         table( unit, layout )[ index ] = entry;
      }
   }
   Entry load( int unit, const MemoryLayout & layout, int index ) const {
      const auto & entries = table( unit, layout );
      auto found = entries.find( index );
      return found == entries.end() ? Entry{} : found->second;
   }

   // Counts a memory call and checks it as the SDK does before the chip is
   // reached; then a pending fault that matches is spent. Returns SOC_E_NONE
   // and the memory's layout when the access may go ahead.
   int admitMemoryCall( Op op, int unit, soc_mem_t mem, int copyno, int index, const void * entry,
                        const MemoryLayout *& layout ) {
      ++calls[ opIndex( op ) ];
      if( !validUnit( unit ) ) {
         return SOC_E_UNIT;
      }
      layout = memoryLayout( mem );
      if( !layout || !validIndex( *layout, index ) ) {
         return SOC_E_PARAM;
      }
      // Each memory has a single copy here, so "any" and "all" both mean it.
      if( copyno != memBlockAny && copyno != memBlockAll && copyno != 0 ) {
         return SOC_E_PARAM;
      }
      if( !entry ) {
         return SOC_E_PARAM;
      }
      auto fault =
         std::ranges::find_if( faults, [ & ]( const Fault & f ) { return f.matches( op, mem, unit, index ); } );
      if( fault != faults.end() ) {
         const int rc = fault->rc;
         faults.erase( fault );
         return rc;
      }
      return SOC_E_NONE;
   }

   // The same for the register: only CPU_PKT_PROFILE_2, a single register per
   // chip, so the port is not looked at and the index must be 0.
   int admitRegisterCall( Op op, int unit, soc_reg_t reg, int index ) {
      ++calls[ opIndex( op ) ];
      if( !validUnit( unit ) ) {
         return SOC_E_UNIT;
      }
      if( reg != cpuPktProfile2Reg || index != 0 ) {
         return SOC_E_PARAM;
      }
      return SOC_E_NONE;
   }
};

SimChip::SimChip() : impl_( std::make_shared< Impl >() ) {}

// --- identifiers ---

soc_mem_t
SimChip::LPORT_TABm() const {
   return lportTabMem;
}
soc_mem_t
SimChip::PORT_TABm() const {
   return portTabMem;
}
soc_reg_t
SimChip::CPU_PKT_PROFILE_2r() const {
   return cpuPktProfile2Reg;
}
int
SimChip::MEM_BLOCK_ALL() const {
   return memBlockAll;
}
int
SimChip::MEM_BLOCK_ANY() const {
   return memBlockAny;
}
soc_port_t
SimChip::REG_PORT_ANY() const {
   return regPortAny;
}
soc_field_t
SimChip::VFP_ENABLEf() const {
   return FieldId::vfpEnable;
}
soc_field_t
SimChip::V4L3_ENABLEf() const {
   return FieldId::v4L3Enable;
}
soc_field_t
SimChip::V6L3_ENABLEf() const {
   return FieldId::v6L3Enable;
}
soc_field_t
SimChip::V6IPMC_ENABLEf() const {
   return FieldId::v6IpmcEnable;
}
soc_field_t
SimChip::V4IPMC_ENABLEf() const {
   return FieldId::v4IpmcEnable;
}
soc_field_t
SimChip::USE_PORT_TABLE_GROUP_IDf() const {
   return FieldId::usePortTableGroupId;
}
soc_field_t
SimChip::TRUST_INCOMING_VIDf() const {
   return FieldId::trustIncomingVid;
}
soc_field_t
SimChip::TRUST_DSCP_V4f() const {
   return FieldId::trustDscpV4;
}
soc_field_t
SimChip::TRUST_DSCP_V6f() const {
   return FieldId::trustDscpV6;
}
soc_field_t
SimChip::PORT_PARITY_ENf() const {
   return FieldId::parity;
}
soc_field_t
SimChip::MPLS_ENABLEf() const {
   return FieldId::mplsEnable;
}
soc_field_t
SimChip::IPMC_DO_VLANf() const {
   return FieldId::ipmcDoVlan;
}
soc_field_t
SimChip::FILTER_ENABLEf() const {
   return FieldId::filterEnable;
}
soc_field_t
SimChip::EN_IFILTERf() const {
   return FieldId::enIfilter;
}
soc_field_t
SimChip::DISABLE_STATIC_MOVE_DROPf() const {
   return FieldId::disableStaticMoveDrop;
}
soc_field_t
SimChip::PORT_VIDf() const {
   return FieldId::portVid;
}
soc_field_t
SimChip::OUTER_TPID_ENABLEf() const {
   return FieldId::outerTpidEnable;
}
soc_field_t
SimChip::CFM_ONLY_ENABLEf() const {
   return FieldId::cfmOnly;
}
soc_field_t
SimChip::CPU_PKT_PROFILE_BITMAPf() const {
   return FieldId::cpuPktProfileBitmap;
}

// --- memories ---

int
SimChip::soc_mem_read( int unit, soc_mem_t mem, int copyno, int index, void * entry ) {
   const int result = [ & ]() -> int {
      std::lock_guard guard( impl_->mutex );
      const MemoryLayout * layout = nullptr;
      const int rc = impl_->admitMemoryCall( Op::memRead, unit, mem, copyno, index, entry, layout );
      if( rc != SOC_E_NONE ) {
         return rc;
      }
      // Only the memory's own words are written, as the SDK does; the rest of
      // the caller's buffer is left alone.
      const Entry value = impl_->load( unit, *layout, index );
      std::copy_n( value.begin(), layout->words(), static_cast< U32 * >( entry ) );
      return SOC_E_NONE;
   }();
   if( listener_ ) {
      tellListener( Op::memRead, unit, mem, index, result );
   }
   return result;
}

int
SimChip::soc_mem_write( int unit, soc_mem_t mem, int copyno, int index, void * entry ) {
   const int result = [ & ]() -> int {
      std::lock_guard guard( impl_->mutex );
      const MemoryLayout * layout = nullptr;
      const int rc = impl_->admitMemoryCall( Op::memWrite, unit, mem, copyno, index, entry, layout );
      if( rc != SOC_E_NONE ) {
         return rc;
      }
      impl_->store( unit, *layout, index, layout->stored( static_cast< const U32 * >( entry ) ) );
      return SOC_E_NONE;
   }();
   if( listener_ ) {
      tellListener( Op::memWrite, unit, mem, index, result );
   }
   return result;
}

// Field access works on the caller's buffer only. Whatever it cannot resolve
// (unit, memory, field, buffer) reads as 0 and is not written: the SDK's
// field calls have no return code to report it with.
U32
SimChip::soc_mem_field32_get( int unit, soc_mem_t mem, const void * entry, soc_field_t field ) {
   const MemoryLayout * layout = memoryLayout( mem );
   const FieldLayout * f = layout ? layout->field( field ) : nullptr;
   if( !validUnit( unit ) || !f || !entry ) {
      return 0;
   }
   return bitsGet( static_cast< const U32 * >( entry ), *f );
}

void
SimChip::soc_mem_field32_set( int unit, soc_mem_t mem, void * entry, soc_field_t field, U32 value ) {
   const MemoryLayout * layout = memoryLayout( mem );
   const FieldLayout * f = layout ? layout->field( field ) : nullptr;
   if( !validUnit( unit ) || !f || !entry ) {
      return;
   }
   bitsSet( static_cast< U32 * >( entry ), *f, value );
}

// --- register ---

int
SimChip::soc_reg32_get( int unit, soc_reg_t reg, soc_port_t, int index, U32 * data ) {
   const int result = [ & ]() -> int {
      std::lock_guard guard( impl_->mutex );
      const int rc = impl_->admitRegisterCall( Op::reg32Get, unit, reg, index );
      if( rc != SOC_E_NONE ) {
         return rc;
      }
      if( !data ) {
         return SOC_E_PARAM;
      }
      *data = impl_->units[ static_cast< std::size_t >( unit ) ].cpuPktProfile2;
      return SOC_E_NONE;
   }();
   if( listener_ ) {
      tellListener( Op::reg32Get, unit, reg, std::nullopt, result );
   }
   return result;
}

void
SimChip::soc_reg_field_set( int unit, soc_reg_t reg, U32 * regval, soc_field_t field, U32 value ) {
   // As with memory fields, an unknown unit, register or field changes nothing.
   if( !validUnit( unit ) || reg != cpuPktProfile2Reg || field != cpuPktProfileBitmapField.id || !regval ) {
      return;
   }
   bitsSet( regval, cpuPktProfileBitmapField, value );
}

int
SimChip::soc_reg32_set( int unit, soc_reg_t reg, soc_port_t, int index, U32 data ) {
   const int result = [ & ]() -> int {
      std::lock_guard guard( impl_->mutex );
      const int rc = impl_->admitRegisterCall( Op::reg32Set, unit, reg, index );
      if( rc != SOC_E_NONE ) {
         return rc;
      }
      impl_->units[ static_cast< std::size_t >( unit ) ].cpuPktProfile2 = data;
      return SOC_E_NONE;
   }();
   if( listener_ ) {
      tellListener( Op::reg32Set, unit, reg, std::nullopt, result );
   }
   return result;
}

// --- the rest of the SDK ---

const char *
SimChip::soc_errmsg( int rc ) const {
   static constexpr const char * texts[] = {
      "Ok",                         // SOC_E_NONE
      "Internal error",             // SOC_E_INTERNAL
      "Out of memory",              // SOC_E_MEMORY
      "Invalid unit",               // SOC_E_UNIT
      "Invalid parameter",          // SOC_E_PARAM
      "Table empty",                // SOC_E_EMPTY
      "Table full",                 // SOC_E_FULL
      "Entry not found",            // SOC_E_NOT_FOUND
      "Entry exists",               // SOC_E_EXISTS
      "Operation timed out",        // SOC_E_TIMEOUT
      "Operation still running",    // SOC_E_BUSY
      "Operation failed",           // SOC_E_FAIL
      "Operation disabled",         // SOC_E_DISABLED
      "Invalid identifier",         // SOC_E_BADID
      "No resources for operation", // SOC_E_RESOURCE
      "Invalid configuration",      // SOC_E_CONFIG
      "Feature unavailable",        // SOC_E_UNAVAIL
      "Feature not initialized",    // SOC_E_INIT
      "Invalid port",               // SOC_E_PORT
   };
   static_assert( std::size( texts ) == static_cast< std::size_t >( -SOC_E_PORT ) + 1 );
   // Positive codes are successes with a meaning of their own, which the SDK
   // has no text for either.
   if( rc > 0 || rc < SOC_E_PORT ) {
      return "Unknown error";
   }
   return texts[ -rc ];
}

int
SimChip::soc_mem_entry_words_max() const {
   return entryWordsMax;
}
bool
SimChip::soc_unit_valid( int unit ) const {
   return unit >= 0 && unit < unitCount;
}

void
SimChip::accessHook() {
   if( accessHook_ ) {
      accessHook_();
   }
}

void
SimChip::failureHook() {
   if( failureHook_ ) {
      failureHook_();
   }
}

// --- host side ---

void
SimChip::tellListener( Op op, int unit, int target, std::optional< int > index, int rc ) const {
   // Reads that worked are not told: the name is made only for what is.
   const bool writes = op == Op::memWrite || op == Op::reg32Set;
   if( writes || rc != SOC_E_NONE ) {
      const bool memory = op == Op::memRead || op == Op::memWrite;
      listener_( Access{ op, unit, memory ? memoryName( target ) : registerName( target ), index, rc } );
   }
}

std::string
SimChip::registerName( soc_reg_t reg ) {
   return reg == cpuPktProfile2Reg ? "CPU_PKT_PROFILE_2r" : "unknown register " + std::to_string( reg );
}

std::optional< soc_mem_t >
SimChip::memoryNamed( const std::string & name ) const {
   auto found = std::ranges::find( memories, std::string_view( name ),
                                   []( const MemoryLayout & m ) { return std::string_view( m.name ); } );
   if( found == std::end( memories ) ) {
      return std::nullopt;
   }
   return found->id;
}

std::string
SimChip::memoryName( soc_mem_t mem ) const {
   const MemoryLayout * layout = memoryLayout( mem );
   return layout ? layout->name : "unknown memory " + std::to_string( mem );
}

std::vector< std::string >
SimChip::fieldNames( soc_mem_t mem ) const {
   std::vector< std::string > names;
   if( const MemoryLayout * layout = memoryLayout( mem ) ) {
      for( const FieldLayout & f : layout->fields ) {
         names.emplace_back( f.name );
      }
   }
   return names;
}

unsigned
SimChip::fieldWidth( soc_mem_t mem, const std::string & field ) const {
   const MemoryLayout * layout = memoryLayout( mem );
   const FieldLayout * f = layout ? layout->field( field ) : nullptr;
   return f ? f->width : 0;
}

U32
SimChip::entryField( int unit, soc_mem_t mem, int index, const std::string & field ) const {
   requireUnit( unit );
   const MemoryLayout & layout = requireMemory( mem );
   requireIndex( layout, index );
   const FieldLayout & f = requireField( layout, field );
   std::lock_guard guard( impl_->mutex );
   return bitsGet( impl_->load( unit, layout, index ).data(), f );
}

void
SimChip::entryFieldIs( int unit, soc_mem_t mem, int index, const std::string & field, U32 value ) {
   requireUnit( unit );
   const MemoryLayout & layout = requireMemory( mem );
   requireIndex( layout, index );
   const FieldLayout & f = requireField( layout, field );
   std::lock_guard guard( impl_->mutex );
   Entry entry = impl_->load( unit, layout, index );
   bitsSet( entry.data(), f, value ); // masked to the field, as the hardware would
   impl_->store( unit, layout, index, entry );
}

bool
SimChip::entryIsZero( int unit, soc_mem_t mem, int index ) const {
   requireUnit( unit );
   const MemoryLayout & layout = requireMemory( mem );
   requireIndex( layout, index );
   std::lock_guard guard( impl_->mutex );
   return !impl_->table( unit, layout ).contains( index );
}

std::vector< int >
SimChip::nonZeroEntries( int unit, soc_mem_t mem ) const {
   requireUnit( unit );
   const MemoryLayout & layout = requireMemory( mem );
   std::lock_guard guard( impl_->mutex );
   std::vector< int > indices;
   for( const auto & [ index, entry ] : impl_->table( unit, layout ) ) {
      indices.push_back( index );
   }
   return indices;
}

U32
SimChip::cpuPktProfile2( int unit ) const {
   requireUnit( unit );
   std::lock_guard guard( impl_->mutex );
   return impl_->units[ static_cast< std::size_t >( unit ) ].cpuPktProfile2;
}

void
SimChip::cpuPktProfile2Is( int unit, U32 value ) {
   requireUnit( unit );
   std::lock_guard guard( impl_->mutex );
   impl_->units[ static_cast< std::size_t >( unit ) ].cpuPktProfile2 = value;
}

void
SimChip::failNext( Op op, soc_mem_t mem, std::optional< int > unit, std::optional< int > index, int rc ) {
   if( op != Op::memRead && op != Op::memWrite ) {
      throw std::invalid_argument( "only soc_mem_read and soc_mem_write can be made to fail" );
   }
   if( rc >= 0 ) {
      throw std::invalid_argument( "an injected failure needs a negative return code, not " + std::to_string( rc ) );
   }
   const MemoryLayout & layout = requireMemory( mem );
   if( unit ) {
      requireUnit( *unit );
   }
   if( index ) {
      requireIndex( layout, *index );
   }
   std::lock_guard guard( impl_->mutex );
   impl_->faults.push_back( Fault{ op, mem, unit, index, rc } );
}

std::size_t
SimChip::callCount( Op op ) const {
   const std::size_t index = opIndex( op );
   std::lock_guard guard( impl_->mutex );
   return impl_->calls[ index ];
}

std::size_t
SimChip::callCountAll() const {
   std::lock_guard guard( impl_->mutex );
   std::size_t total = 0;
   for( std::size_t count : impl_->calls ) {
      total += count;
   }
   return total;
}

void
SimChip::callCountsClear() {
   std::lock_guard guard( impl_->mutex );
   impl_->calls.fill( 0 );
}

void
SimChip::reset() {
   std::lock_guard guard( impl_->mutex );
   impl_->units = {};
   impl_->faults.clear();
   impl_->calls.fill( 0 );
}

SimChip &
simChip() {
   // Never destroyed, like the framework's other singletons: SDK calls made
   // while the process shuts down still find their chip.
   static auto * chip = new SimChip;
   return *chip;
}

Sdk * sdk_ = &simChip();

} // namespace Shim
