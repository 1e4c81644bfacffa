// The agent's SDK shim: every chip SDK function and identifier the plug-in
// needs, as a virtual operation of one object that Shim::sdk_ points to. An
// identifier is fetched by calling its operation without arguments.
#pragma once

#include "Quill/Types.h"

namespace Shim {

using soc_mem_t = int;
using soc_reg_t = int;
using soc_field_t = int;
using soc_port_t = int;

// SDK return codes: 0 or more is success.
enum : int {
   SOC_E_NONE = 0,
   SOC_E_INTERNAL = -1,
   SOC_E_MEMORY = -2,
   SOC_E_UNIT = -3,
   SOC_E_PARAM = -4,
   SOC_E_EMPTY = -5,
   SOC_E_FULL = -6,
   SOC_E_NOT_FOUND = -7,
   SOC_E_EXISTS = -8,
   SOC_E_TIMEOUT = -9,
   SOC_E_BUSY = -10,
   SOC_E_FAIL = -11,
   SOC_E_DISABLED = -12,
   SOC_E_BADID = -13,
   SOC_E_RESOURCE = -14,
   SOC_E_CONFIG = -15,
   SOC_E_UNAVAIL = -16,
   SOC_E_INIT = -17,
   SOC_E_PORT = -18,
};

class Sdk {
 public:
   virtual ~Sdk() = default;

   // Memories, register, copies and port.
   virtual soc_mem_t LPORT_TABm() const = 0;
   virtual soc_mem_t PORT_TABm() const = 0;
   virtual soc_reg_t CPU_PKT_PROFILE_2r() const = 0;
   virtual int MEM_BLOCK_ALL() const = 0;
   virtual int MEM_BLOCK_ANY() const = 0;
   virtual soc_port_t REG_PORT_ANY() const = 0;

   // Fields shared by LPORT_TAB and PORT_TAB (same meaning, same name).
   virtual soc_field_t VFP_ENABLEf() const = 0;
   virtual soc_field_t V4L3_ENABLEf() const = 0;
   virtual soc_field_t V6L3_ENABLEf() const = 0;
   virtual soc_field_t V6IPMC_ENABLEf() const = 0;
   virtual soc_field_t V4IPMC_ENABLEf() const = 0;
   virtual soc_field_t USE_PORT_TABLE_GROUP_IDf() const = 0;
   virtual soc_field_t TRUST_INCOMING_VIDf() const = 0;
   virtual soc_field_t TRUST_DSCP_V4f() const = 0;
   virtual soc_field_t TRUST_DSCP_V6f() const = 0;
   virtual soc_field_t PORT_PARITY_ENf() const = 0;
   virtual soc_field_t MPLS_ENABLEf() const = 0;
   virtual soc_field_t IPMC_DO_VLANf() const = 0;
   virtual soc_field_t FILTER_ENABLEf() const = 0;
   virtual soc_field_t EN_IFILTERf() const = 0;
   virtual soc_field_t DISABLE_STATIC_MOVE_DROPf() const = 0;
   virtual soc_field_t PORT_VIDf() const = 0;
   virtual soc_field_t OUTER_TPID_ENABLEf() const = 0;
   // LPORT_TAB only: steers the logical port's traffic to CFM processing only.
   virtual soc_field_t CFM_ONLY_ENABLEf() const = 0;
   // CPU_PKT_PROFILE_2's one field (bits 0 to 7).
   virtual soc_field_t CPU_PKT_PROFILE_BITMAPf() const = 0;

   // Memory access. `entry` holds soc_mem_entry_words_max() 32-bit words.
   virtual int soc_mem_read( int unit, soc_mem_t mem, int copyno, int index, void * entry ) = 0;
   virtual int soc_mem_write( int unit, soc_mem_t mem, int copyno, int index, void * entry ) = 0;
   virtual U32 soc_mem_field32_get( int unit, soc_mem_t mem, const void * entry, soc_field_t field ) = 0;
   virtual void soc_mem_field32_set( int unit, soc_mem_t mem, void * entry, soc_field_t field, U32 value ) = 0;

   // Register access.
   virtual int soc_reg32_get( int unit, soc_reg_t reg, soc_port_t port, int index, U32 * data ) = 0;
   virtual void soc_reg_field_set( int unit, soc_reg_t reg, U32 * regval, soc_field_t field, U32 value ) = 0;
   virtual int soc_reg32_set( int unit, soc_reg_t reg, soc_port_t port, int index, U32 data ) = 0;

   // The SDK's text for a return code.
   virtual const char * soc_errmsg( int rc ) const = 0;
   // The largest memory entry, in 32-bit words.
   virtual int soc_mem_entry_words_max() const = 0;
   // Whether the chip has this unit. A question about the device, not an
   // access: no hook runs and nothing is counted.
   virtual bool soc_unit_valid( int unit ) const = 0;

   // Called before every checked memory access, and when one fails.
   virtual void accessHook() = 0;
   virtual void failureHook() = 0;
};

// The agent's shim; points at the simulated chip's SDK unless the host
// installs another. Not owning.
extern Sdk * sdk_;

} // namespace Shim
