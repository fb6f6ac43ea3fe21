// The keep-list in the registry, and what a run keeps: the user's sites and the policy's.
#include "targets/BrowserRowTargets.h"
#include "targets/KeepListStore.h"
#include "targets/MachinePolicy.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

TEST(KeepListStore, StoresSitesInTheirFormAndARunAlsoKeepsThePolicysSites) {
    const std::string settings = "TracelornTest\\KeepList" + std::to_string(::GetCurrentProcessId());
    const std::string subkey = "software\\" + settings + "\\CookiesToKeep";
    const std::string policy = std::string(policy_names::kKeyPath) + "\\" + policy_names::kCookiesToKeepKey;
    const KeepListStore store(settings);
    EXPECT_TRUE(store.Sites().empty());
    ASSERT_TRUE(store.Add(".Example.COM"));
    ASSERT_TRUE(store.Add("kept.test"));
    // Written by hand: another case and a leading dot; and a name with nothing of a site.
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, subkey.c_str(), ".Hand.Test", REG_SZ, "", 1), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, subkey.c_str(), "...", REG_SZ, "", 1), ERROR_SUCCESS);
    EXPECT_EQ(store.Sites(), (std::vector<std::string>{"example.com", "hand.test", "kept.test"}));
    DWORD type = 0, size = 64;
    char data[64] = "x";
    ASSERT_EQ(::RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), "example.com", RRF_RT_ANY, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(data, "");
    EXPECT_TRUE(store.Remove("hand.test"));
    EXPECT_TRUE(store.Remove("never.test"));

    ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, policy.c_str(), "1", REG_SZ, "Admin.test", 11), ERROR_SUCCESS);
    std::vector<std::string> kept = RegistryKeepList(settings)();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Policies\\Quorvane");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("software\\" + settings).c_str());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"Admin.test", "example.com", "kept.test"}));
}
