// The grammar every command of `zandrel` shares, run as a program: help and exit statuses,
// `--name=value`, `--` ending the options, and usage errors with exit status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_run.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::ProgramRun;
using test::TempDir;
using Words = std::vector<std::string>;

ProgramRun zandrel(const TempDir& dir, const Words& args) {
    return test::runProgram(ZANDREL_EXECUTABLE, args, dir.path().string());
}

std::string shown(const Words& args) {
    std::string text;
    for (const std::string& arg : args) text += " '" + arg + "'";
    return text;
}

// Files whose names start with a dash, usable only after `--`.
struct DashFiles {
    explicit DashFiles(const TempDir& dir) {
        dir.write("-list.txt", "/nowhere/\nnotes\n");
        dir.write("-run.fmr",
                  "FileVersion: 7\nResolutionX: 64\nResolutionY: 64\nNrOfSlices: 20\n"
                  "InplaneResolutionX: 2\nInplaneResolutionY: 2\nSliceThickness: 3\nSliceGap: 1\n");
        dir.write("-IA.trf",
                  "FileVersion: 5\nDataFormat: Matrix\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n"
                  "ExtraVMRTransf: 0\nToVMRVoxelRes: 1\n");
        dir.write("-FA.trf", "DataFormat: Matrix\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n");
        dir.write("-ACPC.trf", "DataFormat: Matrix\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n");
    }
};

const char* const kCommands[] = {"convert", "inspect", "chain", "project", "extract"};

TEST(CommandLineGrammar, EveryCommandShowsOneHelpWithItsExitStatuses) {
    TempDir dir;
    for (const std::string command : kCommands) {
        const ProgramRun help = zandrel(dir, {"help", command});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.err, "") << command;
        EXPECT_NE(help.out.find("Usage: zandrel " + command + " "), std::string::npos) << help.out;
        const std::string::size_type exit = help.out.find("Exit status:\n");
        ASSERT_NE(exit, std::string::npos) << help.out;
        for (const char* status : {"\n  0  ", "\n  1  ", "\n  2  "}) {
            EXPECT_NE(help.out.find(status, exit), std::string::npos) << command << " lacks" << status;
        }
        for (const Words& args : {Words{command, "-h"}, Words{command, "--help"}, Words{command, "x", "--help"}}) {
            const ProgramRun same = zandrel(dir, args);
            EXPECT_EQ(same.status, 0) << shown(args);
            EXPECT_EQ(same.out, help.out) << shown(args);
        }
    }
}

TEST(CommandLineGrammar, UnknownOptionsAndMissingArgumentsExitWithTwo) {
    TempDir dir;
    const DashFiles files(dir);
    const std::string fmr = dir.write("run.fmr", "FileVersion: 7\n");
    const struct {
        Words args;
        std::string command;
        std::string named;  // the word the message must contain
    } cases[] = {
        {{"convert", "--bogus", "list.txt"}, "convert", "--bogus"},
        {{"inspect", fmr, "--bogus"}, "inspect", "--bogus"},
        {{"chain", "-q", "a", "b", "c", "d"}, "chain", "-q"},
        {{"convert"}, "convert", "LIST"},
        {{"inspect"}, "inspect", "FILE"},
        {{"chain", "a"}, "chain", "IA"},
        {{"convert", "list.txt", "--transcript"}, "convert", "--transcript"},
        {{"inspect", fmr, "--type"}, "inspect", "--type"},
        {{"convert", "l.txt", "-list.txt"}, "convert", "-list.txt"},  // a dash before `--` is an option
    };
    for (const auto& c : cases) {
        const ProgramRun run = zandrel(dir, c.args);
        EXPECT_EQ(run.status, 2) << shown(c.args);
        EXPECT_EQ(run.out, "") << shown(c.args);
        EXPECT_EQ(run.err.rfind("zandrel " + c.command + ": ", 0), 0u) << shown(c.args) << ": " << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << shown(c.args) << ": " << run.err;
        const std::string hint = "; try 'zandrel help " + c.command + "'\n";
        EXPECT_NE(run.err.find(hint), std::string::npos) << shown(c.args) << ": " << run.err;
    }
}

TEST(CommandLineGrammar, ValuesAfterAnEqualsSignAndFilesAfterADoubleDash) {
    TempDir dir;
    const DashFiles files(dir);

    ProgramRun run = zandrel(dir, {"convert", "--transcript=t.jsonl", "--", "-list.txt"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "zandrel convert: the list names no ROI file: -list.txt\nzandrel convert: 0 converted\n");
    EXPECT_TRUE(std::filesystem::exists(dir.file("t.jsonl")));

    run = zandrel(dir, {"inspect", "--type=trf", "--", "-FA.trf"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"type\": \"trf\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"path\": \"-FA.trf\""), std::string::npos) << run.out;

    run = zandrel(dir, {"chain", "--json", "--", "-run.fmr", "-IA.trf", "-FA.trf", "-ACPC.trf"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("{\n  \"M\": [[0.5, 0, 0, 0], ", 0), 0u) << run.out;
}

TEST(CommandLineGrammar, ProgramLevelWords) {
    TempDir dir;
    const ProgramRun help = zandrel(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const std::string command : kCommands) {
        EXPECT_NE(help.out.find("\n  " + command + " "), std::string::npos) << command << " not listed";
    }
    EXPECT_NE(help.out.find("Exit status:\n"), std::string::npos) << help.out;
    EXPECT_EQ(zandrel(dir, {"help"}).out, help.out);
    EXPECT_EQ(zandrel(dir, {"-h"}).out, help.out);

    const ProgramRun nothing = zandrel(dir, {});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_EQ(nothing.out, "");
    EXPECT_EQ(nothing.err, help.out);

    const ProgramRun version = zandrel(dir, {"--version"});
    EXPECT_EQ(version.status, 0);
    // The project's version, the same text the sidecars, the report and the packages carry.
    EXPECT_EQ(version.out.rfind("zandrel " ZANDREL_PROJECT_VERSION "\nfeatures: ", 0), 0u) << version.out;

    for (const Words& args : {Words{"frobnicate"}, Words{"--frobnicate"}, Words{"help", "frobnicate"}}) {
        const ProgramRun run = zandrel(dir, args);
        EXPECT_EQ(run.status, 2) << shown(args);
        EXPECT_EQ(run.out, "") << shown(args);
        EXPECT_NE(run.err.find("frobnicate"), std::string::npos) << shown(args) << ": " << run.err;
    }
}

TEST(CommandLineGrammar, AnUnknownCommandSuggestsTheClosestOne) {
    TempDir dir;
    const struct {
        Words args;
        std::string err;
    } cases[] = {
        {{"conver", "x"}, "zandrel: unknown command 'conver'; did you mean 'convert'?\n"},
        {{"inspcet", "a.fmr"}, "zandrel: unknown command 'inspcet'; did you mean 'inspect'?\n"},
        {{"exprot"}, "zandrel: unknown command 'exprot'; did you mean 'export'?\n"},
        {{"ch"}, "zandrel: unknown command 'ch'; did you mean 'chain'?\n"},
        {{"hlep"}, "zandrel: unknown command 'hlep'; did you mean 'help'?\n"},
        {{"frobnicate"}, "zandrel: unknown command 'frobnicate'; try 'zandrel --help'\n"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = zandrel(dir, c.args);
        EXPECT_EQ(run.status, 2) << shown(c.args);
        EXPECT_EQ(run.out, "") << shown(c.args);
        EXPECT_EQ(run.err, c.err) << shown(c.args);
    }
}

}  // namespace
}  // namespace zandrel
