#include "commands/StandardCommands.h"

namespace Sim {

CommandTable
standardCommands() {
   CommandTable table;
   addStateCommands( table );
   addClientCommands( table );
   addChipCommands( table );
   addChipViews( table );
   addAgentCommands( table );
   addObjectCommands( table );
   addClaimViews( table );
   addAuditCommands( table );
   return table;
}

} // namespace Sim
