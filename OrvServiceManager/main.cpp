// The manager program's one application object; the class library's WinMain runs it.
#include "OrvServiceManager/COrvServiceManagerApp.h"

COrvServiceManagerApp theApp;
