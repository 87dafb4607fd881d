#include "NetworkCheck.h"

#include "UniqueResource.h"
#include "app/DiagnosticLog.h"

#include <windows.h>
#include <netlistmgr.h>
#include <objbase.h>

namespace Utils {

namespace {
// The platform's documented identifiers, kept here so no import library for
// them is needed.
const CLSID kClsidNetworkListManager = {0xDCB00C01, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
const IID kIidNetworkListManager = {0xDCB00000, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
const DWORD kAnyServerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                                CLSCTX_REMOTE_SERVER;  // 0x17

void ReleaseManager(INetworkListManager* manager) { manager->Release(); }
using UniqueNetworkListManager = UniqueResource<NullTraits<INetworkListManager*, ReleaseManager>>;

NetworkAnswers Ask(INetworkListManager* manager)
{
    NetworkAnswers answers;
    if (!manager) return answers;
    answers.managerCreated = true;
    NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
    if (SUCCEEDED(manager->GetConnectivity(&connectivity))) {
        answers.connectivityAnswered = true;
        answers.connectivity = static_cast<uint32_t>(connectivity);
    }
    // Only a connected machine is asked about the internet.
    if (answers.connectivity == 0) return answers;
    VARIANT_BOOL onInternet = VARIANT_FALSE;
    if (SUCCEEDED(manager->IsConnectedToInternet(&onInternet))) {
        answers.internetAnswered = true;
        answers.connectedToInternet = onInternet != VARIANT_FALSE;
    }
    return answers;
}
}  // namespace

uint32_t PackNetworkCheck(const NetworkAnswers& answers)
{
    if (!answers.managerCreated) return 0;
    const uint32_t connectivity = answers.connectivityAnswered ? (answers.connectivity & 0xFFFFu) : 0;
    NetworkCheckReason reason = NetworkCheckReason::NoObjection;
    if (connectivity == 0) {
        reason = NetworkCheckReason::NoConnectivity;
    } else if (answers.internetAnswered && !answers.connectedToInternet) {
        // A failed internet query is no finding: the check must never stop an
        // install on the strength of a question the manager could not answer.
        reason = NetworkCheckReason::NoInternetAccess;
    }
    return (static_cast<uint32_t>(reason) << 16) | connectivity;
}

uint32_t CheckNetwork(INetworkListManager* manager)
{
    const uint32_t result = PackNetworkCheck(Ask(manager));
    switch (ReasonOf(result)) {
    case NetworkCheckReason::NoConnectivity:
        LogRaw(L"GetConnectivity %d", static_cast<int>(ConnectivityOf(result)));
        break;
    case NetworkCheckReason::NoInternetAccess:
        LogRaw(L"get_IsConnectedToInternet:%d", static_cast<int>(static_cast<short>(VARIANT_FALSE)));
        break;
    default:
        break;
    }
    return result;
}

uint32_t CheckNetwork()
{
    uint32_t result = 0;
    {
        UniqueNetworkListManager manager;
        const HRESULT created = ::CoCreateInstance(kClsidNetworkListManager, nullptr, kAnyServerContext,
                                                   kIidNetworkListManager, reinterpret_cast<void**>(manager.Put()));
        result = CheckNetwork(SUCCEEDED(created) ? manager.Get() : nullptr);
    }
    ::CoFreeUnusedLibraries();
    return result;
}

}  // namespace Utils
