// The name under which the service is registered with the service control manager.
#pragma once
#include "classlib/CString.h"

CString GetServiceName();
