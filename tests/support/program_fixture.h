// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program/program.h"
#include "support/fake_runtime.h"

namespace quorvel::testing {

// A fresh program over a fresh fake runtime for every test.
class ProgramTest : public ::testing::Test {
  protected:
    void start() {
        program.start();
        fake.log.clear();
    }
    std::string stored(const std::string& key) const {
        const auto found = fake.store.find(FakeRuntime::storeKey("Quorvel", "Url Info", key));
        return found == fake.store.end() ? "<absent>" : found->second;
    }
    void seed(const std::string& key, const std::string& value) {
        fake.store[FakeRuntime::storeKey("Quorvel", "Url Info", key)] = value;
    }
    // The log entries that start with one of the prefixes, in order.
    std::vector<std::string> logOf(std::initializer_list<std::string> prefixes) const {
        std::vector<std::string> kept;
        std::copy_if(fake.log.begin(), fake.log.end(), std::back_inserter(kept),
                     [&](const std::string& entry) {
                         return std::any_of(prefixes.begin(), prefixes.end(),
                                            [&](const auto& p) { return entry.rfind(p, 0) == 0; });
                     });
        return kept;
    }

    FakeRuntime fake;
    Program program{fake.runtime()};
};

}  // namespace quorvel::testing
