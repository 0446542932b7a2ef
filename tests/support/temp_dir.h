#pragma once

#include <filesystem>
#include <string>

namespace zandrel::test {

// A fresh, uniquely named folder under the system's temporary folder, removed with
// everything in it when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Path of `name` inside the folder, as a string.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes `content` byte for byte (binary mode) and returns the file's path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path path_;
};

// The whole content of a file, byte for byte; throws when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace zandrel::test
