// Moves values between an editable task and the Task Properties dialog; here, the priority
// switches and their places in the dialog's priority list.
#pragma once
#include "classlib/CString.h"

class TaskEditor {
public:
    // "/s1" 0, "/s2" 1, "/s3" 2 (case-sensitive); anything else throws Exception.
    static int GetPriorityFromStr(const CString& priority);
    // 0 "/s1", 1 "/s2", 2 "/s3"; any other index "/s2".
    static CString GetPriorityStr(int index);
};
