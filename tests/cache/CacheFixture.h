#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cache/ResourceUpdater.h"
#include "platform/ExecutablePath.h"
#include "tests/support/TempDir.h"

namespace test {

// A program directory of its own (the executable path points into it) and a listener that records
// every phase notification.
class CacheFixture : public ::testing::Test, public UpdateListener {
protected:
    void SetUp() override {
        platform::OverrideExecutablePath((program / "Tlvc").string());
        updater.SetListener(this);
    }
    void TearDown() override { platform::OverrideExecutablePath(""); }

    void OnUpdateProgress(int phase, int doneCount) override {
        phases.push_back(phase);
        doneCounts.push_back(doneCount);
    }

    void SetResourceUrl(const std::string& url) {
        program.Write("urls.config", "[URLS]\nresourceurl=" + url + "\n");
    }

    TempDir program;
    ResourceUpdater updater;
    std::vector<int> phases;
    std::vector<int> doneCounts;
};

// A manifest with one element per entry; each entry is a list of attribute="value" texts.
inline std::string Manifest(const std::vector<std::string>& entries) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<files>\n";
    for (const auto& entry : entries) xml += "  <file " + entry + "/>\n";
    return xml + "</files>\n";
}

}  // namespace test
