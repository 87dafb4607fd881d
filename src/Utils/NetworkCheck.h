#pragma once
// Whether the machine is on a network, and on the internet, as the platform's
// Network List Manager sees it. No server is contacted.
//
// The result packs two halves into 32 bits:
//   low 16 bits   the connectivity flags the manager reported (0 = disconnected)
//   high 16 bits  a NetworkCheckReason; anything but NoObjection warns the user

#include <cstdint>

struct INetworkListManager;

namespace Utils {

enum class NetworkCheckReason : uint32_t {
    NoObjection = 0,         // on the internet, or nothing could be asked
    NoConnectivity = 1,      // no connectivity at all
    NoInternetAccess = 2,    // connected, but not to the internet
};

// What the manager answered; a query that failed counts as not answered.
struct NetworkAnswers {
    bool managerCreated = false;
    bool connectivityAnswered = false;
    uint32_t connectivity = 0;
    bool internetAnswered = false;
    bool connectedToInternet = false;
};

uint32_t PackNetworkCheck(const NetworkAnswers& answers);
inline NetworkCheckReason ReasonOf(uint32_t result) { return static_cast<NetworkCheckReason>(result >> 16); }
inline uint32_t ConnectivityOf(uint32_t result) { return result & 0xFFFFu; }

// The calling thread must have initialised COM.
uint32_t CheckNetwork();
// The same questions put to a given manager (not owned; null when none could
// be created). Logs the negative findings.
uint32_t CheckNetwork(INetworkListManager* manager);

}  // namespace Utils
