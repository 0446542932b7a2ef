#include "outputs/nifti/stale_outputs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <nlohmann/json.hpp>

#include "io/output_file.h"

namespace zandrel {

namespace {

namespace fs = std::filesystem;

// A sidecar is a few kilobytes; anything much larger is no sidecar of ours.
constexpr std::uintmax_t kMaxSidecarBytes = 4u << 20;

void appendNames(const nlohmann::json& sidecar, const char* key, std::vector<std::string>& names) {
    const auto found = sidecar.find(key);
    if (found == sidecar.end() || !found->is_array()) return;
    for (const nlohmann::json& entry : *found) {
        if (entry.is_string()) names.push_back(entry.get<std::string>());
    }
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::vector<std::string> previousOutputFiles(const std::string& sidecarPath) {
    std::error_code error;
    if (!fs::is_regular_file(fs::path(sidecarPath), error)) return {};
    const std::uintmax_t size = fs::file_size(fs::path(sidecarPath), error);
    if (error || size > kMaxSidecarBytes) return {};
    std::ifstream in(sidecarPath, std::ios::in | std::ios::binary);
    if (!in) return {};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const nlohmann::json sidecar = nlohmann::json::parse(text, nullptr, false);
    if (sidecar.is_discarded() || !sidecar.is_object()) return {};
    std::vector<std::string> names;
    appendNames(sidecar, "output_files", names);
    appendNames(sidecar, "images", names);
    return names;
}

bool isRemovableOutputName(const std::string& name, const std::string& stemName) {
    if (stemName.empty() || name.find_first_of(std::string("/\\:\0", 4)) != std::string::npos ||
        name.find("..") != std::string::npos || name.compare(0, stemName.size(), stemName) != 0) {
        return false;
    }
    const std::string rest = name.substr(stemName.size());
    if (rest == ".nii.gz" || rest == ".tsv" || rest == ".json") return true;
    // "VOI<k>.nii.gz": one mask of the masks mode, k from 1.
    const std::string mask = "VOI";
    if (rest.compare(0, mask.size(), mask) != 0 || !endsWith(rest, ".nii.gz")) return false;
    const std::string digits = rest.substr(mask.size(), rest.size() - mask.size() - 7);
    return !digits.empty() && digits.size() <= 9 && digits[0] != '0' &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

void removeStaleOutputs(const std::string& stemPath, const std::vector<std::string>& previous,
                        const std::vector<std::string>& current) {
    const std::string folder = folderOf(stemPath);
    const std::string stemName = nameOf(stemPath);
    for (const std::string& name : previous) {
        if (std::find(current.begin(), current.end(), name) != current.end()) continue;
        if (!isRemovableOutputName(name, stemName)) continue;
        const std::string path = folder + name;
        std::error_code error;
        const fs::file_type type = fs::symlink_status(fs::path(path), error).type();
        if (error || (type != fs::file_type::regular && type != fs::file_type::symlink)) continue;
        std::remove(path.c_str());
    }
}

}  // namespace zandrel
