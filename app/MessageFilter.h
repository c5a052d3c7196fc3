#pragma once

#include <windows.h>

// Lets a message through the message filter of a User Interface Privilege Isolation system, so that
// processes of a lower integrity level can send it. On a system without that filter there is nothing
// to open: it reports success and changes nothing.
BOOL MessageFilterAllow(UINT message, DWORD action);
