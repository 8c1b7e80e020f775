// The dial-up and IP-helper functions of the account utilities' module, bound at run time like
// the security ones; nothing in the manager calls them yet.
#pragma once
#include <windows.h>
#include <iphlpapi.h>
#include <ras.h>

// "Rasapi32.dll"; a failure to bind throws Exception.
class RasApi32Binder {
public:
    static DWORD RasGetCredentialsA(LPCSTR phoneBook, LPCSTR entryName, LPRASCREDENTIALSA credentials);
};

// "IpHlpApi.dll"; a failure to bind throws Exception.
class IpHlpApiBinder {
public:
    static DWORD GetPerAdapterInfo(ULONG interfaceIndex, PIP_PER_ADAPTER_INFO info, PULONG size);
    static DWORD GetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size);
    static DWORD GetInterfaceInfo(PIP_INTERFACE_INFO info, PULONG size);
    static DWORD IpReleaseAddress(PIP_ADAPTER_INDEX_MAP adapter);
    static DWORD IpRenewAddress(PIP_ADAPTER_INDEX_MAP adapter);
};

// Fills the entry name, user name and password of the dial parameters from the credentials
// stored for the phone-book entry (null phone book: the default one); gives the result of
// RasGetCredentialsA, and changes nothing unless it is 0.
DWORD GetStoredDialParams(LPCSTR phoneBook, LPCSTR entryName, RASDIALPARAMSA& params);
