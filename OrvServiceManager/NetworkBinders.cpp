#include "OrvServiceManager/NetworkBinders.h"
#include "OrvServiceManager/LibraryBinder.h"
#include <cstring>

namespace {
const char* const kRasNames[] = {"RasGetCredentialsA"};

const LibraryBinder& RasApi32() {
    static const LibraryBinder binder(
        "Rasapi32.dll", kRasNames, 1,
        "The library \"RASAPI32.DLL\" could not be loaded or some of the function names cannot be resolved.");
    return binder;
}

enum IpHlpFunction {
    kGetPerAdapterInfo,
    kGetAdaptersInfo,
    kGetInterfaceInfo,
    kIpReleaseAddress,
    kIpRenewAddress,
    kIpHlpFunctionCount
};
const char* const kIpHlpNames[kIpHlpFunctionCount] = {"GetPerAdapterInfo", "GetAdaptersInfo", "GetInterfaceInfo",
                                                      "IpReleaseAddress", "IpRenewAddress"};

const LibraryBinder& IpHlpApi() {
    static const LibraryBinder binder(
        "IpHlpApi.dll", kIpHlpNames, kIpHlpFunctionCount,
        "The library \"IPHLPAPI.DLL\" could not be loaded or some of the function names cannot be resolved.");
    return binder;
}

template <size_t N>
void CopyText(char (&target)[N], const char* source) {
    lstrcpynA(target, source, static_cast<int>(N));
}
}  // namespace

DWORD RasApi32Binder::RasGetCredentialsA(LPCSTR phoneBook, LPCSTR entryName, LPRASCREDENTIALSA credentials) {
    return RasApi32().Get<decltype(&::RasGetCredentialsA)>(0)(phoneBook, entryName, credentials);
}

DWORD IpHlpApiBinder::GetPerAdapterInfo(ULONG interfaceIndex, PIP_PER_ADAPTER_INFO info, PULONG size) {
    return IpHlpApi().Get<decltype(&::GetPerAdapterInfo)>(kGetPerAdapterInfo)(interfaceIndex, info, size);
}

DWORD IpHlpApiBinder::GetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size) {
    return IpHlpApi().Get<decltype(&::GetAdaptersInfo)>(kGetAdaptersInfo)(info, size);
}

DWORD IpHlpApiBinder::GetInterfaceInfo(PIP_INTERFACE_INFO info, PULONG size) {
    return IpHlpApi().Get<decltype(&::GetInterfaceInfo)>(kGetInterfaceInfo)(info, size);
}

DWORD IpHlpApiBinder::IpReleaseAddress(PIP_ADAPTER_INDEX_MAP adapter) {
    return IpHlpApi().Get<decltype(&::IpReleaseAddress)>(kIpReleaseAddress)(adapter);
}

DWORD IpHlpApiBinder::IpRenewAddress(PIP_ADAPTER_INDEX_MAP adapter) {
    return IpHlpApi().Get<decltype(&::IpRenewAddress)>(kIpRenewAddress)(adapter);
}

DWORD GetStoredDialParams(LPCSTR phoneBook, LPCSTR entryName, RASDIALPARAMSA& params) {
    RASCREDENTIALSA credentials;
    ZeroMemory(&credentials, sizeof(credentials));
    credentials.dwSize = sizeof(credentials);
    credentials.dwMask = RASCM_UserName | RASCM_Password | RASCM_Domain;
    DWORD result = RasApi32Binder::RasGetCredentialsA(phoneBook, entryName, &credentials);
    if (result == 0) {
        CopyText(params.szEntryName, entryName ? entryName : "");
        CopyText(params.szUserName, credentials.szUserName);
        CopyText(params.szPassword, credentials.szPassword);
    }
    SecureZeroMemory(credentials.szPassword, sizeof(credentials.szPassword));
    return result;
}
