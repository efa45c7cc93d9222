#pragma once
#include <gtest/gtest.h>

#include "fake/fake_desktop.h"
#include "fake/fake_forms.h"

namespace kestrel::fake {

// A fresh fake desktop and form host for each test; objects under test are
// built on `services`.
class FakeTest : public ::testing::Test {
protected:
    void Store(const std::string& key, const std::string& value) {
        desk.store[FakeDesktop::StoreKey("Kestrel", "Settings", key)] = value;
    }
    std::string Stored(const std::string& key) {
        const auto found = desk.store.find(FakeDesktop::StoreKey("Kestrel", "Settings", key));
        return found == desk.store.end() ? "<absent>" : found->second;
    }

    FakeDesktop desk;
    FakeFormHost host;
    platform::Services services = desk.Services(host);
};

}  // namespace kestrel::fake
