#include "Utils/NetworkCheck.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <netlistmgr.h>
#include <objbase.h>

#include <thread>
#include <vector>

namespace {

using TestSupport::LogCapture;
using Utils::ConnectivityOf;
using Utils::NetworkAnswers;
using Utils::NetworkCheckReason;
using Utils::ReasonOf;

struct PackRow {
    const char* name;
    NetworkAnswers answers;
    uint32_t expected;
};

NetworkAnswers Answers(bool created, bool connAnswered, uint32_t conn, bool netAnswered, bool onNet)
{
    NetworkAnswers a;
    a.managerCreated = created;
    a.connectivityAnswered = connAnswered;
    a.connectivity = conn;
    a.internetAnswered = netAnswered;
    a.connectedToInternet = onNet;
    return a;
}

TEST(NetworkCheckPacking, ResultAsAFunctionOfTheManagersAnswers)
{
    const PackRow rows[] = {
        {"manager unavailable", Answers(false, false, 0, false, false), 0},
        {"unavailable manager ignores stale answers", Answers(false, true, 0x40, true, true), 0},
        {"no adapter connected", Answers(true, true, 0, false, false), 0x10000},
        {"connectivity query failed", Answers(true, false, 0x40, false, false), 0x10000},
        {"local network only", Answers(true, true, 0x20, true, false), 0x20020},
        {"IPv6 subnet only", Answers(true, true, 0x100, true, false), 0x20100},
        {"internet over IPv4", Answers(true, true, 0x40, true, true), 0x40},
        {"internet over IPv4 with local flags", Answers(true, true, 0x60, true, true), 0x60},
        {"internet over IPv6", Answers(true, true, 0x400, true, true), 0x400},
        {"internet query failed is no objection", Answers(true, true, 0x20, false, false), 0x20},
        {"flags above 16 bits cannot reach the reason half", Answers(true, true, 0x30040, true, true), 0x40},
    };
    for (const PackRow& row : rows) {
        EXPECT_EQ(Utils::PackNetworkCheck(row.answers), row.expected) << row.name;
    }
}

TEST(NetworkCheckPacking, HalvesReadBack)
{
    EXPECT_EQ(ReasonOf(0x20020), NetworkCheckReason::NoInternetAccess);
    EXPECT_EQ(ConnectivityOf(0x20020), 0x20u);
    EXPECT_EQ(ReasonOf(0x10000), NetworkCheckReason::NoConnectivity);
    EXPECT_EQ(ReasonOf(0x60), NetworkCheckReason::NoObjection);
}

// A manager that answers as told and counts what it was asked.
class FakeManager : public INetworkListManager {
public:
    HRESULT connectivityResult = S_OK;
    NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
    HRESULT internetResult = S_OK;
    VARIANT_BOOL internet = VARIANT_FALSE;
    int connectivityAsked = 0;
    int internetAsked = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetNetworks(NLM_ENUM_NETWORK, IEnumNetworks**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNetwork(GUID, INetwork**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNetworkConnections(IEnumNetworkConnections**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNetworkConnection(GUID, INetworkConnection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsConnectedToInternet(VARIANT_BOOL* answer) override
    {
        ++internetAsked;
        if (SUCCEEDED(internetResult)) *answer = internet;
        return internetResult;
    }
    HRESULT STDMETHODCALLTYPE IsConnected(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetConnectivity(NLM_CONNECTIVITY* answer) override
    {
        ++connectivityAsked;
        if (SUCCEEDED(connectivityResult)) *answer = connectivity;
        return connectivityResult;
    }
};

TEST(CheckNetwork, QuestionsPutToTheManagerAndWhatIsLogged)
{
    struct Row {
        const char* name;
        HRESULT connectivityResult;
        unsigned connectivity;
        HRESULT internetResult;
        VARIANT_BOOL internet;
        uint32_t expected;
        int internetAsked;
        const wchar_t* logged;  // null: nothing is logged
    } const rows[] = {
        {"no adapter connected", S_OK, 0, S_OK, VARIANT_FALSE, 0x10000, 0, L": GetConnectivity 0"},
        {"failed connectivity query", E_FAIL, 0x40, S_OK, VARIANT_TRUE, 0x10000, 0, L": GetConnectivity 0"},
        {"local network only", S_OK, 0x20, S_OK, VARIANT_FALSE, 0x20020, 1, L": get_IsConnectedToInternet:0"},
        {"internet over IPv4", S_OK, 0x60, S_OK, VARIANT_TRUE, 0x60, 1, nullptr},
        {"unanswered internet query", S_OK, 0x20, E_FAIL, VARIANT_FALSE, 0x20, 1, nullptr},
    };
    for (const Row& row : rows) {
        FakeManager manager;
        manager.connectivityResult = row.connectivityResult;
        manager.connectivity = static_cast<NLM_CONNECTIVITY>(row.connectivity);
        manager.internetResult = row.internetResult;
        manager.internet = row.internet;
        LogCapture log;
        EXPECT_EQ(Utils::CheckNetwork(&manager), row.expected) << row.name;
        EXPECT_EQ(manager.connectivityAsked, 1) << row.name;
        EXPECT_EQ(manager.internetAsked, row.internetAsked) << row.name;
        const std::vector<std::wstring> lines = log.Lines();
        if (!row.logged) {
            EXPECT_TRUE(lines.empty()) << row.name;
            continue;
        }
        ASSERT_EQ(lines.size(), 1u) << row.name;
        EXPECT_EQ(log.Matching(L"(Utils::CheckNetwork)").size(), 1u) << row.name;
        EXPECT_EQ(log.Matching(row.logged).size(), 1u) << row.name;
        // LogRaw: the message carries no line end of its own.
        EXPECT_EQ(lines[0].back(), L'0') << row.name;
    }
}

TEST(CheckNetwork, NoManagerGivesZeroSilently)
{
    LogCapture log;
    EXPECT_EQ(Utils::CheckNetwork(nullptr), 0u);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(CheckNetwork, WithoutComTheManagerCannotBeCreated)
{
    // A thread of its own that never initialised COM.
    uint32_t result = 0xFFFFFFFF;
    size_t lines = 99;
    std::thread worker([&] {
        LogCapture log;
        result = Utils::CheckNetwork();
        lines = log.Lines().size();
    });
    worker.join();
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(lines, 0u);
}

// The real manager: its answers, asked here directly with the documented
// identifiers, decide what the check must return and log.
TEST(CheckNetwork, RealManagerGivesWhatItAnswers)
{
    const CLSID clsid = {0xDCB00C01, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
    const IID iid = {0xDCB00000, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};
    HRESULT created = E_FAIL;
    HRESULT connectivityAsked = E_FAIL, internetAsked = E_FAIL;
    NLM_CONNECTIVITY flags = NLM_CONNECTIVITY_DISCONNECTED;
    VARIANT_BOOL internet = VARIANT_FALSE;
    uint32_t result = 0;
    std::vector<std::wstring> lines;
    std::thread worker([&] {
        if (FAILED(::CoInitialize(nullptr))) return;
        INetworkListManager* manager = nullptr;
        created = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, iid, reinterpret_cast<void**>(&manager));
        if (SUCCEEDED(created)) {
            connectivityAsked = manager->GetConnectivity(&flags);
            internetAsked = manager->IsConnectedToInternet(&internet);
            manager->Release();
        }
        {
            LogCapture log;
            result = Utils::CheckNetwork();
            lines = log.Lines();
        }
        ::CoUninitialize();
    });
    worker.join();
    std::printf("real network check: 0x%08lx\n", static_cast<unsigned long>(result));
    // Wine and every Windows since Vista have the manager.
    ASSERT_TRUE(SUCCEEDED(created)) << std::hex << created;
    ASSERT_TRUE(SUCCEEDED(connectivityAsked));

    const uint32_t low = static_cast<uint32_t>(flags) & 0xFFFFu;
    uint32_t reason = 0;
    if (low == 0) {
        reason = 1;
    } else if (SUCCEEDED(internetAsked) && internet == VARIANT_FALSE) {
        reason = 2;
    }
    EXPECT_EQ(result, (reason << 16) | low);
    const wchar_t* const logged[] = {nullptr, L"GetConnectivity 0", L"get_IsConnectedToInternet:0"};
    if (!logged[reason]) {
        EXPECT_TRUE(lines.empty());
        return;
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(logged[reason]), std::wstring::npos) << lines[0];
}

}  // namespace
