// fake_host.h - a stand-in for the two host operations the encoding start-up calls, so the
// support library can be tested without the bridge: the answers are set by each test.
#pragma once

#include <optional>
#include <string>

struct FakeHost {
    std::optional<std::string> installDir;  // answer to the install-directory query (none: null)
    int errorToSet = 0;                     // HostErrorNumber set by the query when non-zero
    int queries = 0;                        // how many times the host was asked
};

FakeHost& TheFakeHost();
void ResetFakeHost();

// Points ICU at the icu_data directory the build produced (with the FrameRoman converter)
// and makes FrameRoman the current encoding.
void UseBuildIcuData();
