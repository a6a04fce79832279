// fake_install_dir.h - a stand-in for the host's answer to "where are you installed", handed to the
// encoding layer as its host-directory source, so the support library is tested without the
// bridge: the answers are set by each test.
#pragma once

#include <optional>
#include <string>

struct FakeInstallDir {
    std::optional<std::string> installDir; // the answer (none: null)
    bool fails = false;                    // the query fails: null whatever installDir holds
    int queries = 0;                       // how many times the host was asked
};

FakeInstallDir& TheFakeInstallDir();
// Clears the answers and makes the fake the encoding layer's host-directory source.
void ResetFakeInstallDir();

// Points ICU at the icu_data directory the build produced (with the FrameRoman converter)
// and makes FrameRoman the current encoding.
void UseBuildIcuData();
