// The help page shipped next to the DLL: it names every message the plug-in can show, exactly
// as the plug-in writes it, is well-formed HTML and loads nothing from outside.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

const std::string& page() {
    static const std::string text = zandrel::test::readFile(ZANDREL_HELP_PAGE);
    return text;
}

std::string htmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

TEST(HelpPage, NamesEveryMessageExactly) {
    // Log entries (fixed part), the six report lines, and both message boxes.
    const std::vector<std::string> messages = {
        "Zandrel>  Running...",
        "Converted ",
        "Zandrel>  Plugin finished!",
        "Destructor of GFZNLog never called",
        "!!!! Not enough files could be loaded to convert ",
        "ROI could not be loaded: ",
        "FMR could not be loaded: ",
        "IA.trf could not be loaded: ",
        "FA.trf could not be loaded: ",
        "ACPC.trf could not be loaded: ",
        "TAL could not be loaded: ",
        "!!!! Could not convert ",
        " voxels outside the functional grid were skipped",
        "Failed opening STC for reading: ",
        "Failed opening for reading: ",
        "Cannot Create file: ",
        "The fine-alignment matrix could not be inverted: ",
        "The transformation chain has non-finite elements (",
        "The transformation chain maps the whole anatomical grid into less than one functional voxel (",
        "The functional grid of ",
        "Time-course data file ",
        "Cannot write file: ",
        "not enough memory",
        "unexpected error",
        "!!!! Conversion stopped: ",
        "Can not execute this plugin - GyrafexZN version 2.8 or higher required.",
        "<code> Error: Can not read this text file!</code>",
        "Choose a TXT file to read",
        "Text file (*.txt)",
    };
    for (const auto& message : messages) {
        const std::string wanted = message.rfind("<code>", 0) == 0 ? message : htmlEscaped(message);
        EXPECT_NE(page().find(wanted), std::string::npos) << "help page lacks: [" << message << "]";
    }
}

TEST(HelpPage, NamesBothOutputSuffixesAndTheHelpFileName) {
    for (const char* text : {"_TAL_.voi", "_ACPC_.voi", "HelpFolder"}) {
        EXPECT_NE(page().find(text), std::string::npos) << text;
    }
}

TEST(HelpPage, TagsAreBalanced) {
    static const std::set<std::string> voidElements = {"meta", "br", "hr", "img", "input", "link", "col", "wbr"};
    const std::regex tag(R"(<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*>)");
    std::vector<std::string> open;
    for (auto it = std::sregex_iterator(page().begin(), page().end(), tag); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[2];
        if (voidElements.count(name) != 0) continue;
        if ((*it)[1].length() == 0) {
            open.push_back(name);
            continue;
        }
        ASSERT_FALSE(open.empty()) << "closing </" << name << "> without an opening tag";
        ASSERT_EQ(open.back(), name) << "</" << name << "> closes <" << open.back() << ">";
        open.pop_back();
    }
    EXPECT_TRUE(open.empty()) << "unclosed <" << (open.empty() ? "" : open.back()) << ">";
    EXPECT_EQ(page().rfind("<!DOCTYPE html>", 0), 0u);
}

TEST(HelpPage, LoadsNothingFromOutside) {
    for (const char* pattern : {"http:", "https:", "src=", "<link", "<script", "url(", "@import"}) {
        EXPECT_EQ(page().find(pattern), std::string::npos) << pattern;
    }
}

TEST(HelpPage, InPageLinksReachTheirSections) {
    const std::regex link(R"(href="#([^"]+)\")");
    int links = 0;
    for (auto it = std::sregex_iterator(page().begin(), page().end(), link); it != std::sregex_iterator(); ++it) {
        ++links;
        const std::string id = "id=\"" + (*it)[1].str() + "\"";
        EXPECT_NE(page().find(id), std::string::npos) << "no section for #" << (*it)[1];
    }
    EXPECT_GT(links, 0);
}

}  // namespace
