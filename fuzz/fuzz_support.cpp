#include "fuzz_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

namespace zandrel::fuzz {

namespace {

// Owns the scratch folder; its destructor runs at normal process exit.
struct ScratchFolder {
    std::string path;
    ScratchFolder() {
        const auto base = std::filesystem::temp_directory_path() /
                          ("zandrel-fuzz-" + std::to_string(static_cast<long>(::getpid())));
        std::error_code ignored;
        std::filesystem::remove_all(base, ignored);
        std::filesystem::create_directories(base);
        path = base.string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::string& scratchDir() {
    static const ScratchFolder folder;
    return folder.path;
}

std::string writeScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (size > 0) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "fuzz: cannot write the scratch file %s\n", path.c_str());
        std::abort();
    }
    return path;
}

std::string writeScratchFile(const std::string& name, const std::string& content) {
    return writeScratchFile(name, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
}

std::string readScratchFile(const std::string& name) {
    std::ifstream in(scratchDir() + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void invariantFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "fuzz: invariant violated at %s:%d: %s\n", file, line, condition);
    std::fflush(stderr);
    __builtin_trap();
}

std::size_t countDigitRuns(const std::string& text) {
    std::size_t runs = 0;
    bool inRun = false;
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (digit && !inRun) ++runs;
        inRun = digit;
    }
    return runs;
}

namespace {

void checkTextValue(const KeyedText& field, bool quotesKept) {
    if (!field.present) {
        FUZZ_CHECK(!field.quoted);
        return;
    }
    // A text value is the rest of one line: it never holds a line feed, and without
    // quotes it carries no double quote and no trailing white space.
    FUZZ_CHECK(field.value.find('\n') == std::string::npos);
    if (!field.quoted && quotesKept) {
        // Quotes stay, but a value never stands wholly between a pair of them.
        const std::string& v = field.value;
        FUZZ_CHECK(!(v.size() >= 2 && v.front() == '"' && v.back() == '"'));
    } else if (!field.quoted) {
        FUZZ_CHECK(field.value.find('"') == std::string::npos);
        if (!field.value.empty()) {
            const char last = field.value.back();
            FUZZ_CHECK(std::strchr(" \t\n\v\f\r", last) == nullptr || last == '\0');
        }
    }
}

}  // namespace

template <class Value>
void checkKeyed(const Keyed<Value>& field, const std::string& name, const std::string& input,
                const Value& absentValue, bool quotesKept) {
    if (!field.present) {
        FUZZ_CHECK(field.key.empty());
        FUZZ_CHECK(field.width == 0);
        FUZZ_CHECK(field.value == absentValue);
        // A float never read is the preset itself, not a negative zero.
        if constexpr (std::is_same_v<Value, float>) FUZZ_CHECK(std::signbit(field.value) == std::signbit(absentValue));
    } else {
        const std::string keyWord = name + ":";
        FUZZ_CHECK(field.key == name);
        FUZZ_CHECK(field.width >= static_cast<std::int32_t>(keyWord.size()));
        FUZZ_CHECK(input.find(keyWord) != std::string::npos);
    }
    if constexpr (std::is_same_v<Value, std::string>) checkTextValue(field, quotesKept);
    else static_cast<void>(quotesKept);
}

template void checkKeyed(const KeyedInt&, const std::string&, const std::string&, const std::int32_t&, bool);
template void checkKeyed(const KeyedFloat&, const std::string&, const std::string&, const float&, bool);
template void checkKeyed(const KeyedBool&, const std::string&, const std::string&, const bool&, bool);
template void checkKeyed(const KeyedText&, const std::string&, const std::string&, const std::string&, bool);

}  // namespace zandrel::fuzz
