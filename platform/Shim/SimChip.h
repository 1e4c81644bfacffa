// The simulated chip behind the SDK shim: units 0 to 7, each with LPORT_TAB,
// PORT_TAB and the CPU_PKT_PROFILE_2 register, held as keyed tables of
// entries (an entry absent from its table is all zero).
//
// Entries are arrays of 32-bit words with real field layouts: every field has
// a bit offset and a width, and a value wider than its field is masked to it.
// Flag fields are 2 bits wide, PORT_VID 12 bits, OUTER_TPID_ENABLE 4 bits.
// LPORT_TAB also has CFM_ONLY_ENABLE (1 bit) and SPARE (16 bits, a field no
// client of this plug-in touches). CPU_PKT_PROFILE_2 is a 32-bit register
// that keeps all its bits; its one field CPU_PKT_PROFILE_BITMAP is bits 0-7.
//
// Host side, the chip can be preset and inspected field by field (fields named
// by the member that carries them: vfpEnable ... outerTpidEnable, cfmOnly,
// spare), made to fail the next matching memory access, and asked how many
// times each SDK operation ran. An access on a unit outside 0 to 7 fails with
// SOC_E_UNIT, an index outside the table with SOC_E_PARAM, as the SDK does.
#pragma once

#include "Shim/Sdk.h"

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Shim {

class SimChip : public Sdk {
 public:
   static constexpr int unitCount = 8;
   static constexpr int entryWordsMax = 4;
   static constexpr int lportTabSize = 512;
   static constexpr int portTabSize = 1024;

   using Entry = std::array< U32, entryWordsMax >;

   // The operations counted per call (see callCount).
   enum class Op { memRead, memWrite, reg32Get, reg32Set, count_ };

   SimChip();
   // One chip is one set of tables: a copy would share them with the original.
   SimChip( const SimChip & ) = delete;
   SimChip & operator=( const SimChip & ) = delete;

   // --- Sdk ---
   // Memory and register calls are safe from any thread (the agent makes them
   // with the activity lock released). Invalid arguments are checked in the
   // order unit (SOC_E_UNIT), memory or register, index, block, buffer
   // (SOC_E_PARAM); only a call that passes them can meet an injected fault.
   // soc_mem_field32_get answers 0 and soc_mem_field32_set does nothing for a
   // field the memory does not have; both only touch the buffer.
   // soc_reg_field_set changes only the field's bits of *regval.
   soc_mem_t LPORT_TABm() const override;
   soc_mem_t PORT_TABm() const override;
   soc_reg_t CPU_PKT_PROFILE_2r() const override;
   int MEM_BLOCK_ALL() const override;
   int MEM_BLOCK_ANY() const override;
   soc_port_t REG_PORT_ANY() const override;
   soc_field_t VFP_ENABLEf() const override;
   soc_field_t V4L3_ENABLEf() const override;
   soc_field_t V6L3_ENABLEf() const override;
   soc_field_t V6IPMC_ENABLEf() const override;
   soc_field_t V4IPMC_ENABLEf() const override;
   soc_field_t USE_PORT_TABLE_GROUP_IDf() const override;
   soc_field_t TRUST_INCOMING_VIDf() const override;
   soc_field_t TRUST_DSCP_V4f() const override;
   soc_field_t TRUST_DSCP_V6f() const override;
   soc_field_t PORT_PARITY_ENf() const override;
   soc_field_t MPLS_ENABLEf() const override;
   soc_field_t IPMC_DO_VLANf() const override;
   soc_field_t FILTER_ENABLEf() const override;
   soc_field_t EN_IFILTERf() const override;
   soc_field_t DISABLE_STATIC_MOVE_DROPf() const override;
   soc_field_t PORT_VIDf() const override;
   soc_field_t OUTER_TPID_ENABLEf() const override;
   soc_field_t CFM_ONLY_ENABLEf() const override;
   soc_field_t CPU_PKT_PROFILE_BITMAPf() const override;
   int soc_mem_read( int unit, soc_mem_t mem, int copyno, int index, void * entry ) override;
   int soc_mem_write( int unit, soc_mem_t mem, int copyno, int index, void * entry ) override;
   U32 soc_mem_field32_get( int unit, soc_mem_t mem, const void * entry, soc_field_t field ) override;
   void soc_mem_field32_set( int unit, soc_mem_t mem, void * entry, soc_field_t field, U32 value ) override;
   int soc_reg32_get( int unit, soc_reg_t reg, soc_port_t port, int index, U32 * data ) override;
   void soc_reg_field_set( int unit, soc_reg_t reg, U32 * regval, soc_field_t field, U32 value ) override;
   int soc_reg32_set( int unit, soc_reg_t reg, soc_port_t port, int index, U32 data ) override;
   const char * soc_errmsg( int rc ) const override;
   int soc_mem_entry_words_max() const override;
   bool soc_unit_valid( int unit ) const override;
   void accessHook() override;
   void failureHook() override;

   // --- host side ---
   // "LPORT_TABm" / "PORT_TABm" to the memory, or nothing.
   std::optional< soc_mem_t > memoryNamed( const std::string & name ) const;
   std::string memoryName( soc_mem_t mem ) const;
   // The fields of a memory in layout order, by the names above.
   std::vector< std::string > fieldNames( soc_mem_t mem ) const;
   // Field width in bits, or 0 when the memory has no such field.
   unsigned fieldWidth( soc_mem_t mem, const std::string & field ) const;

   // Throws std::out_of_range naming the unit, index or field when invalid.
   U32 entryField( int unit, soc_mem_t mem, int index, const std::string & field ) const;
   void entryFieldIs( int unit, soc_mem_t mem, int index, const std::string & field, U32 value );
   bool entryIsZero( int unit, soc_mem_t mem, int index ) const;
   // Indices of the entries that differ from zero, ascending.
   std::vector< int > nonZeroEntries( int unit, soc_mem_t mem ) const;
   U32 cpuPktProfile2( int unit ) const;
   void cpuPktProfile2Is( int unit, U32 value );

   // The next soc_mem_read (or soc_mem_write) on `mem` that matches the unit
   // and index, when given, returns `rc` instead of running. One-shot; several
   // may be pending, each spent by its first match. Throws std::invalid_argument
   // when `op` is not a memory operation or `rc` is not negative (a "failure"
   // that reports success would skip the access silently), std::out_of_range
   // for an unknown memory or a unit or index that no access can have.
   void failNext( Op op, soc_mem_t mem, std::optional< int > unit, std::optional< int > index, int rc );
   // Calls of `op` since the last clear, failed or not. Throws
   // std::out_of_range for Op::count_.
   std::size_t callCount( Op op ) const;
   std::size_t callCountAll() const;
   void callCountsClear();

   // A call that wrote the chip or failed, as a listener is told of it.
   struct Access {
      Op op;
      int unit;
      std::string target;         // "LPORT_TABm", "CPU_PKT_PROFILE_2r"
      std::optional< int > index; // of a memory entry
      int rc;
   };
   // Told of every memory write and register set, and of every call that
   // failed, after the call and outside the chip's lock (so that it may look
   // at the chip); null: none. For a host that shows what the agent did.
   void listenerIs( std::function< void( const Access & ) > listener ) { listener_ = std::move( listener ); }
   static std::string registerName( soc_reg_t reg );

   void accessHookIs( std::function< void() > hook ) { accessHook_ = std::move( hook ); }
   void failureHookIs( std::function< void() > hook ) { failureHook_ = std::move( hook ); }
   // Every entry and register back to zero, no pending failure, counters 0.
   // The hooks stay as they are.
   void reset();

 private:
   struct Impl;
   std::shared_ptr< Impl > impl_;
   std::function< void() > accessHook_;
   std::function< void() > failureHook_;
   std::function< void( const Access & ) > listener_;

   // `target`: the memory of a memory call, the register of a register call.
   void tellListener( Op op, int unit, int target, std::optional< int > index, int rc ) const;
};

// The simulated chip that Shim::sdk_ points at from the start.
SimChip & simChip();

} // namespace Shim
