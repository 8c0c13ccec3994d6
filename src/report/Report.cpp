// Report model.
#include "report/Report.h"
