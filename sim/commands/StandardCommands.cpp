#include "commands/StandardCommands.h"

namespace Sim {

CommandTable
standardCommands() {
   CommandTable table;
   addStateCommands( table );
   addClientCommands( table );
   addChipCommands( table );
   addAgentCommands( table );
   addObjectCommands( table );
   addAuditCommands( table );
   // `help` lists verbs by section, in the order the sections first take a
   // verb: the audit's section, whose verb is a view, stays last.
   addChipViews( table );
   addClaimViews( table );
   addAgentViews( table );
   addClientViews( table );
   addObjectViews( table );
   addAuditViews( table );
   return table;
}

} // namespace Sim
