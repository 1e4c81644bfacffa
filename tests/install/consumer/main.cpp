// Links the installed platform library and plug-in and uses both: the
// plug-in's type module must be registered in the platform's one type
// registry, and its LPORT_TAB value must read back from its text form.
#include "LportTableFields.h"
#include "Quill/Type.h"
#include "StrataPacketTracerSliceMounter.h"

#include <iostream>

int
main() {
   if( !Quill::typeNamed( Strata::StrataPacketTracerSliceMounter::quillTypeName ) ) {
      std::cerr << "consumer: the plug-in's mounter type is not registered\n";
      return 1;
   }
   Strata::LportTableFields fields;
   fields.vfpEnable = true;
   fields.portVid = 0x123;
   const Strata::LportTableFields back = Strata::LportTableFields::strepToValue( fields.valueToStrep() );
   if( !( back == fields ) ) {
      std::cerr << "consumer: " << fields << " read back as " << back << "\n";
      return 1;
   }
   std::cout << "consumer: " << back << "\n";
   return 0;
}
