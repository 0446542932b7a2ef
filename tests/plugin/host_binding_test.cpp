// Binding the host function table from the host executable found among the loaded modules.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "fake_host.h"
#include "plugin/host_functions.h"
#include "plugin/module_lookup.h"

namespace zandrel {
namespace {

using Entries = std::array<HostProc, kHostFunctionCount>;

// 190 distinct functions per host tag: each returns its own value, so no two can be folded.
template <int Tag, std::size_t Index>
int distinctExport() {
    return Tag * 1000 + static_cast<int>(Index);
}

template <int Tag, std::size_t... Index>
Entries makeExports(std::index_sequence<Index...>) {
    return {reinterpret_cast<HostProc>(&distinctExport<Tag, Index>)...};
}

template <int Tag>
Entries hostExports() {
    return makeExports<Tag>(std::make_index_sequence<kHostFunctionCount>());
}

// The export table of a host exporting all 190 functions, optionally without some of them.
std::map<std::string, HostProc> exportTable(const Entries& functions,
                                            const std::set<std::string>& omitted = {}) {
    std::map<std::string, HostProc> table;
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) {
        const std::string name = hostFunctionNames()[i];
        if (omitted.count(name) == 0) table[name] = functions[i];
    }
    return table;
}

class HostBinding : public ::testing::Test {
protected:
    void SetUp() override { test::resetPluginModule(); }
    void TearDown() override {
        unregisterModule("Gyrafex.exe");
        unregisterModule("GyrafexZN.exe");
        test::resetPluginModule();
    }
    static Entries entries() { return hostFunctionEntries(hostFunctions); }
};

TEST(HostFunctionList, HasTheHostsFunctionNamesOnceEachWithTheVersionFunctionFirst) {
    const auto& names = hostFunctionNames();
    ASSERT_EQ(names.size(), 190u);
    EXPECT_STREQ(names.front(), "znGetVersionOfGyrafexZN");
    EXPECT_STREQ(names.back(), "znLaunchICADialog");
    std::set<std::string> unique;
    for (const char* name : names) {
        EXPECT_EQ(std::string(name).rfind("zn", 0), 0u) << name;
        EXPECT_TRUE(unique.insert(name).second) << "listed twice: " << name;
    }
}

TEST_F(HostBinding, BindsEveryFunctionFromTheHostUnderItsOwnName) {
    const Entries host = hostExports<1>();
    registerModule("Gyrafex.exe", exportTable(host));
    ASSERT_TRUE(bindHostFunctions());
    const Entries bound = entries();
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) {
        EXPECT_EQ(bound[i], host[i]) << hostFunctionNames()[i];
    }
}

TEST_F(HostBinding, FindsTheHostUnderEitherExecutableNameAndPrefersGyrafex) {
    const Entries first = hostExports<1>();
    const Entries second = hostExports<2>();

    registerModule("GyrafexZN.exe", exportTable(second));
    ASSERT_TRUE(bindHostFunctions());
    EXPECT_EQ(entries(), second) << "only GyrafexZN.exe loaded";

    registerModule("Gyrafex.exe", exportTable(first));
    ASSERT_TRUE(bindHostFunctions());
    EXPECT_EQ(entries(), first) << "both loaded";
}

TEST_F(HostBinding, WithoutAHostFailsAndLeavesTheTableAsItWas) {
    const Entries host = hostExports<1>();
    registerModule("Gyrafex.exe", exportTable(host));
    ASSERT_TRUE(bindHostFunctions());
    unregisterModule("Gyrafex.exe");

    EXPECT_FALSE(bindHostFunctions());
    EXPECT_EQ(entries(), host);
}

TEST_F(HostBinding, HostWithoutTheVersionFunctionFailsAndClearsOnlyThatEntry) {
    const Entries before = hostExports<1>();
    registerModule("Gyrafex.exe", exportTable(before));
    ASSERT_TRUE(bindHostFunctions());

    registerModule("Gyrafex.exe", exportTable(hostExports<2>(), {"znGetVersionOfGyrafexZN"}));
    EXPECT_FALSE(bindHostFunctions());
    Entries expected = before;
    expected[0] = nullptr;
    EXPECT_EQ(entries(), expected);
}

TEST_F(HostBinding, HostWithOnlyTheVersionFunctionBindsWith189NullEntries) {
    // Bound from a complete host first, so that the null entries are really rewritten.
    registerModule("Gyrafex.exe", exportTable(hostExports<1>()));
    ASSERT_TRUE(bindHostFunctions());

    const Entries versionOnly = hostExports<2>();
    registerModule("Gyrafex.exe", {{"znGetVersionOfGyrafexZN", versionOnly[0]}});
    ASSERT_TRUE(bindHostFunctions());
    const Entries bound = entries();
    EXPECT_EQ(bound[0], versionOnly[0]);
    for (std::size_t i = 1; i < kHostFunctionCount; ++i) {
        EXPECT_EQ(bound[i], nullptr) << hostFunctionNames()[i];
    }
}

TEST_F(HostBinding, SecondBindingReplacesEveryEntry) {
    registerModule("Gyrafex.exe", exportTable(hostExports<1>()));
    ASSERT_TRUE(bindHostFunctions());
    const Entries replacement = hostExports<2>();
    registerModule("Gyrafex.exe", exportTable(replacement));
    ASSERT_TRUE(bindHostFunctions());
    EXPECT_EQ(entries(), replacement);
}

}  // namespace
}  // namespace zandrel
