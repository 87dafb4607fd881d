#pragma once
// For suites that need a server tools/run-tests.sh starts. Run by hand without
// it they are skipped; under CI (CI=true) a missing server is a failure, so a
// server that did not come up can never pass as a skipped suite.

#include <gtest/gtest.h>

namespace TestSupport {

// True when the environment says the run is a CI run.
bool UnderCi();

}  // namespace TestSupport

// Use in SetUp or in a test body: returns from it when the service is missing.
#define LUMORA_REQUIRE_SERVICE(available, what)                            \
    do {                                                                  \
        if (!(available)) {                                               \
            if (::TestSupport::UnderCi()) {                               \
                FAIL() << "missing under CI: " << what;                   \
            }                                                             \
            GTEST_SKIP() << "missing (tools/run-tests.sh starts it): " << what; \
        }                                                                 \
    } while (0)
