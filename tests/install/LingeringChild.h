#pragma once
// A helper program that a stand-in package starts with its own standard
// handles and leaves running, so it holds the package's output pipe open
// after the package has ended (a copy of fake_product placed in a test's
// folder). It lives at most a minute, and is stopped when this object goes.

#include "FakeExecutable.h"

#include <string>

namespace InstallTest {

class LingeringChild {
public:
    explicit LingeringChild(const std::wstring& path);
    ~LingeringChild();
    LingeringChild(const LingeringChild&) = delete;
    LingeringChild& operator=(const LingeringChild&) = delete;

    bool Placed() const { return program_.Placed(); }
    // The script directive that starts it.
    std::string SpawnDirective() const;
    // Whether it has started and still runs.
    bool Running() const;
    // Asks it to end and waits (bounded) until it has.
    void Stop();

private:
    FakeExecutable program_;
};

}  // namespace InstallTest
