#include "common/ServiceName.h"

CString GetServiceName() { return "BrellixOrvService"; }
