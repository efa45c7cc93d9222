#pragma once
#include <gtest/gtest.h>

#include "app/modHotKey.h"
#include "fake/fake_desktop.h"
#include "link/clsAppLink.h"
#include "platform/platform.h"

namespace kestrel::fake {

// Each test gets a fresh fake desktop and a fresh program-wide controller.
class FakeTest : public ::testing::Test {
protected:
    FakeTest() : scope_(desk.Services()) {
        ResetAppLink();
        modHotKey::WindowDestroyed();
    }
    ~FakeTest() override {
        ResetAppLink();
        modHotKey::WindowDestroyed();
    }

    void Store(const std::string& key, const std::string& value) {
        desk.store[FakeDesktop::StoreKey("Kestrel", "Settings", key)] = value;
    }
    std::string Stored(const std::string& key) {
        const auto found = desk.store.find(FakeDesktop::StoreKey("Kestrel", "Settings", key));
        return found == desk.store.end() ? "<absent>" : found->second;
    }

    FakeDesktop desk;

private:
    platform::ScopedServices scope_;
};

}  // namespace kestrel::fake
