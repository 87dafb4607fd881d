// libcurl's process-wide set-up, done by the installer's entry, is done here
// for the test programs.
#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {
class CurlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(CURLE_OK, ::curl_global_init(CURL_GLOBAL_ALL)); }
    void TearDown() override { ::curl_global_cleanup(); }
};
::testing::Environment* const g_curl = ::testing::AddGlobalTestEnvironment(new CurlEnvironment);
}  // namespace
