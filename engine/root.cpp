// Root driver. Placeholder until the search exists: no search runs and
// nothing is reported.
#include "root.h"

int32_t RunRoot(int32_t /*mode*/) { return 0; }

void ResetRootState() {}
