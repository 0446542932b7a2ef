// The binaries as a host sees them before running anything: what Zandrel.dll exports and
// what it, the host emulator and zandrel.exe import, read with the cross toolchain's
// objdump, and what the package holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scenarios/wine_host.h"
#include "temp_dir.h"

namespace {

using namespace zandrel::wintest;
using zandrel::test::TempDir;

std::string objdump(const std::string& binary) {
    TempDir dir;
    const std::string output = dir.file("objdump.txt");
    const int status = runCommand(shellQuoted(ZANDREL_OBJDUMP) + " -p " + shellQuoted(binary), output);
    const std::string text = commandOutput(output);
    if (status != 0) ADD_FAILURE() << "objdump -p " << binary << " failed:\n" << text;
    return text;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

std::string trimmed(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// Names of the export table ("[Ordinal/Name Pointer] Table" section: "[   0] name").
std::set<std::string> exportedNames(const std::string& dump) {
    std::set<std::string> names;
    bool inTable = false;
    for (const auto& line : lines(dump)) {
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inTable = true;
            continue;
        }
        if (!inTable) continue;
        const std::string entry = trimmed(line);
        if (entry.empty() || entry[0] != '[') break;
        names.insert(trimmed(entry.substr(entry.find(']') + 1)));
    }
    return names;
}

// "DLL Name: KERNEL32.dll" lines of the import tables.
std::vector<std::string> importedDlls(const std::string& dump) {
    std::vector<std::string> dlls;
    const std::string marker = "DLL Name:";
    for (const auto& line : lines(dump)) {
        const auto at = line.find(marker);
        if (at != std::string::npos) dlls.push_back(trimmed(line.substr(at + marker.size())));
    }
    return dlls;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool isSystemDll(const std::string& name) {
    static const std::set<std::string> system = {"kernel32.dll", "msvcrt.dll", "ucrtbase.dll", "user32.dll",
                                                 "advapi32.dll", "ntdll.dll"};
    const std::string lower = lowered(name);
    return system.count(lower) != 0 || lower.rfind("api-ms-win-crt-", 0) == 0;
}

TEST(PluginDll, IsA64BitWindowsDll) {
    const std::string dump = objdump(pluginDll());
    EXPECT_NE(dump.find("file format pei-x86-64"), std::string::npos) << dump.substr(0, 400);
    bool dllFlag = false;
    for (const auto& line : lines(dump)) dllFlag = dllFlag || trimmed(line) == "DLL";
    EXPECT_TRUE(dllFlag) << "the Characteristics do not mark a DLL";
}

TEST(PluginDll, ExportsExactlyTheEntryPointsWithUndecoratedNames) {
    // Nothing of the plug-in classes (their GCC-decorated names serve no host on Windows),
    // the libraries or the static runtime may be visible.
    const std::set<std::string> entryPoints = {"createPlugin", "getPluginName", "getPluginDescription", "getAuthor",
                                               "getHelpFile", "getPluginVersion", "getGUIScript"};
    const auto names = exportedNames(objdump(pluginDll()));
    for (const auto& entry : entryPoints) {
        EXPECT_EQ(names.count(entry), 1u) << entry << " is not exported by that name";
    }
    for (const auto& name : names) {
        EXPECT_EQ(entryPoints.count(name), 1u) << "unexpected export: " << name;
    }
}

TEST(WindowsBinaries, ImportOnlySystemDlls) {
    for (const std::string& binary : {pluginDll(), hostExecutable(), commandLineExecutable()}) {
        const auto dlls = importedDlls(objdump(binary));
        EXPECT_FALSE(dlls.empty()) << binary << ": no import table found";
        for (const auto& dll : dlls) {
            EXPECT_TRUE(isSystemDll(dll)) << binary << " imports " << dll
                                          << " (the runtime must be linked statically)";
        }
    }
}

TEST(WindowsBinaries, CommandLineIsA64BitWindowsProgram) {
    const std::string dump = objdump(commandLineExecutable());
    EXPECT_NE(dump.find("file format pei-x86-64"), std::string::npos) << dump.substr(0, 400);
    EXPECT_NE(dump.find("(Windows CUI)"), std::string::npos) << "zandrel.exe is not a console program";
}

TEST(PluginPackage, HoldsTheDllItsHelpPageAndTheCommandLine) {
    TempDir dir;
    std::string zip;
    for (const auto& entry : std::filesystem::directory_iterator(windowsBuildDir() + "/package")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("Zandrel-", 0) == 0 && name.size() > 10 && name.substr(name.size() - 10) == "-win64.zip")
            zip = entry.path().string();
    }
    ASSERT_FALSE(zip.empty()) << "no Zandrel-<version>-win64.zip in the package folder";
    const std::string output = dir.file("list.txt");
    ASSERT_EQ(runCommand(shellQuoted(ZANDREL_CMAKE) + " -E tar tf " + shellQuoted(zip), output), 0)
        << commandOutput(output);
    std::set<std::string> entries;
    for (const auto& line : lines(commandOutput(output))) entries.insert(trimmed(line));
    EXPECT_EQ(entries.count("Zandrel.dll"), 1u) << commandOutput(output);
    EXPECT_EQ(entries.count("HelpFolder/index.html"), 1u) << commandOutput(output);
    EXPECT_EQ(entries.count("zandrel.exe"), 1u) << commandOutput(output);
    EXPECT_TRUE(std::filesystem::is_regular_file(windowsBuildDir() + "/package/zandrel.exe"))
        << "no zandrel.exe in the package folder";
}

}  // namespace
