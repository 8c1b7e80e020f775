// Turning on privileges that this process's token holds but has off, for the steps that need
// one: folder handles with backup semantics, taking over what another account owns.
#pragma once
#include <initializer_list>

// Enables each named privilege ("SeRestorePrivilege", ...) that the token holds; one it does not
// hold, or a token that cannot be adjusted, is passed over: the step that needs it then fails on
// its own.
void EnableProcessPrivileges(std::initializer_list<const char*> names);
