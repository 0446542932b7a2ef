// The entry points as a host drives them: exports, createPlugin, initPlugin, execute and
// destruction, against a fake host found through the module lookup layer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "plugin/plugin_exports.h"
#include "plugin/plugin_texts.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::FakeHost;
using test::HostCall;
using test::logCall;
using test::makePlugin;
using test::messageCall;
using Calls = std::vector<HostCall>;

const HostCall kVersionCall{"znGetVersionOfGyrafexZN", {}};
const HostCall kShowLogCall{"znShowLogTab", {}};
const HostCall kStartText = logCall("\nZandrel>  Running...");
const HostCall kFinishText = logCall("Zandrel>  Plugin finished!\n");
const HostCall kRefusal =
    messageCall("Can not execute this plugin - GyrafexZN version 2.8 or higher required.");
const HostCall kDialogCall{"znGetOpenFileName",
                           {"Choose a TXT file to read", "", "Text file (*.txt)"}};
const HostCall kUnreadableList = messageCall(" Error: Can not read this text file!");

TEST(PluginExports, DescribeThePluginWithStablePointers) {
    using Getter = const char* (*)();
    struct Case {
        const char* name;
        Getter get;
        const char* text;
    };
    const Case cases[] = {
        {"getPluginName", getPluginName, "Zandrel"},
        {"getPluginDescription", getPluginDescription,
         "Creates VOIs from a ROIs using a textfile with the names of all the necessary files"},
        {"getAuthor", getAuthor, "<i>The Zandrel authors</i>"},
        {"getHelpFile", getHelpFile, "HelpFolder/index.html"},
        {"getPluginVersion", getPluginVersion, "1.4"},
        {"getGUIScript", getGUIScript, ""},
    };
    for (const Case& c : cases) {
        const char* before = c.get();
        EXPECT_STREQ(before, c.text) << c.name;
        test::PluginPtr plugin = makePlugin();
        ASSERT_NE(plugin, nullptr);
        EXPECT_EQ(c.get(), before) << c.name << " after createPlugin";
    }
}

TEST(HostVersion, IsComparedLexicographicallyAgainst280) {
    struct Case {
        int major, minor, patch;
        bool accepted;
    };
    const Case cases[] = {
        {2, 8, 0, true},   {2, 8, 7, true},    {2, 9, 0, true},    {3, 0, 0, true},
        {3, -1, -1, true}, {2, 7, 0, false},   {2, 7, 99, false},  {2, 8, -1, false},
        {1, 99, 99, false}, {0, 0, 0, false},  {-3, 9, 9, false},
    };
    for (const Case& c : cases) {
        const std::string version = std::to_string(c.major) + "." + std::to_string(c.minor) +
                                    "." + std::to_string(c.patch);
        FakeHost host;
        host.setVersion(c.major, c.minor, c.patch);
        test::PluginPtr plugin = makePlugin();
        EXPECT_EQ(plugin->initPlugin(), c.accepted) << version;
        const Calls expected = c.accepted ? Calls{kVersionCall, kShowLogCall, kStartText}
                                          : Calls{kVersionCall, kRefusal};
        EXPECT_EQ(host.calls(), expected) << version;
    }
}

TEST(HostVersion, HostThatWritesNoVersionIsRefused) {
    FakeHost host;
    host.setVersionUnwritten();
    test::PluginPtr plugin = makePlugin();
    EXPECT_FALSE(plugin->initPlugin());
    EXPECT_EQ(host.calls(), (Calls{kVersionCall, kRefusal}));
}

TEST(PluginLifecycle, InitPluginTwiceShowsTheLogAndWritesTheStartTextTwice) {
    FakeHost host;
    test::PluginPtr plugin = makePlugin();
    EXPECT_TRUE(plugin->initPlugin());
    EXPECT_TRUE(plugin->initPlugin());
    plugin.reset();
    EXPECT_EQ(host.calls(), (Calls{kVersionCall, kShowLogCall, kStartText, kVersionCall,
                                   kShowLogCall, kStartText, kFinishText}));
}

TEST(PluginLifecycle, WithoutAHostInitPluginFailsSilently) {
    {
        test::PluginPtr plugin = makePlugin();
        EXPECT_FALSE(plugin->initPlugin());
    }
    // A host that was bound once and has gone: nothing is called through the old entries.
    FakeHost host;
    test::PluginPtr plugin = makePlugin();
    ASSERT_TRUE(plugin->initPlugin());
    host.unload();
    host.clearCalls();
    EXPECT_FALSE(plugin->initPlugin());
    EXPECT_EQ(host.calls(), Calls{});
}

TEST(PluginLifecycle, HostWithoutTheVersionFunctionIsRefusedSilently) {
    FakeHost host("GyrafexZN.exe", {"znShowLogTab", "znLogText", "znMessageBox"});
    test::PluginPtr plugin = makePlugin();
    EXPECT_FALSE(plugin->initPlugin());
    plugin.reset();
    EXPECT_EQ(host.calls(), Calls{});
}

TEST(PluginLifecycle, DestroyingAnObjectNeverInitialisedWritesOneTextThroughTheLog) {
    FakeHost host;
    ASSERT_TRUE(makePlugin()->initPlugin());  // another object bound the module's table
    host.clearCalls();
    makePlugin().reset();
    EXPECT_EQ(host.calls(), Calls{kFinishText});
}

TEST(PluginLifecycle, DestroyingAnObjectWithNothingBoundIsHarmless) {
    test::resetPluginModule();
    test::PluginPtr plugin = makePlugin();
    EXPECT_NO_FATAL_FAILURE(plugin.reset());
}

TEST(PluginLifecycle, HostWithOnlyTheVersionFunctionIsNeverCalledThroughNullEntries) {
    FakeHost host("Gyrafex.exe", {"znGetVersionOfGyrafexZN"});
    test::PluginPtr plugin = makePlugin();
    EXPECT_TRUE(plugin->initPlugin());
    EXPECT_TRUE(plugin->execute());
    plugin.reset();
    host.setVersion(2, 0, 0);
    EXPECT_FALSE(makePlugin()->initPlugin());
    EXPECT_EQ(host.calls(), (Calls{kVersionCall, kVersionCall}));
}

TEST(PluginExecute, UnreadableListShowsTheMessageBoxAndLogsNothing) {
    test::TempDir dir;
    struct Case {
        const char* label;
        std::string answer;
    };
    const Case cases[] = {
        {"cancelled dialog", ""},
        {"missing file", dir.file("missing.txt")},
        {"folder", dir.path().string()},
    };
    for (const Case& c : cases) {
        FakeHost host;
        host.answerDialogWith(c.answer);
        test::PluginPtr plugin = makePlugin();
        ASSERT_TRUE(plugin->initPlugin());
        host.clearCalls();
        EXPECT_TRUE(plugin->execute()) << c.label;
        EXPECT_EQ(host.calls(), (Calls{kDialogCall, kUnreadableList})) << c.label;
    }
}

TEST(PluginExecute, PathFillingTheWholeBufferIsCutAtItsLastByte) {
    FakeHost host;
    host.fillDialogUnterminated();
    test::PluginPtr plugin = makePlugin();
    ASSERT_TRUE(plugin->initPlugin());
    host.clearCalls();
    EXPECT_TRUE(plugin->execute());
    EXPECT_EQ(host.calls(), (Calls{kDialogCall, kUnreadableList}));
}

TEST(PluginExecute, EmptyListConvertsAndLogsNothing) {
    test::TempDir dir;
    FakeHost host;
    host.answerDialogWith(dir.write("list.txt", ""));
    test::PluginPtr plugin = makePlugin();
    ASSERT_TRUE(plugin->initPlugin());
    host.clearCalls();
    EXPECT_TRUE(plugin->execute());
    EXPECT_EQ(host.calls(), Calls{kDialogCall});
}

TEST(PluginContainment, ErrorsRaisedInsideEntryPointsNeverLeaveThem) {
    {
        FakeHost host;
        host.throwFrom("znGetVersionOfGyrafexZN");
        EXPECT_FALSE(makePlugin()->initPlugin());
        EXPECT_EQ(host.calls(), (Calls{kVersionCall, kFinishText}));
    }
    {
        FakeHost host;
        host.throwFrom("znShowLogTab");
        EXPECT_FALSE(makePlugin()->initPlugin());
    }
    {
        FakeHost host;
        test::PluginPtr plugin = makePlugin();
        ASSERT_TRUE(plugin->initPlugin());
        host.clearCalls();
        host.throwFrom("znGetOpenFileName");
        EXPECT_TRUE(plugin->execute());
        EXPECT_EQ(host.calls(),
                  (Calls{kDialogCall,
                         logCall("!!!! Conversion stopped: host failure in znGetOpenFileName")}));
    }
    {
        // A log that fails drops the text; the destructor still completes.
        FakeHost host;
        test::PluginPtr plugin = makePlugin();
        ASSERT_TRUE(plugin->initPlugin());
        host.clearCalls();
        host.throwFrom("znLogText");
        EXPECT_NO_THROW(plugin.reset());
        EXPECT_EQ(host.calls(), Calls{kFinishText});
    }
}

}  // namespace
}  // namespace zandrel
