#include "OrvServiceManager/TaskEditor.h"
#include "common/Exception.h"

namespace {
const char* const kPriorities[] = {"/s1", "/s2", "/s3"};
}

int TaskEditor::GetPriorityFromStr(const CString& priority) {
    for (int i = 0; i < 3; ++i) {
        if (priority == kPriorities[i]) return i;
    }
    throw Exception("Unknown priority in TaskEditor::GetPriorityFromStr.");
}

CString TaskEditor::GetPriorityStr(int index) { return index >= 0 && index < 3 ? kPriorities[index] : "/s2"; }
