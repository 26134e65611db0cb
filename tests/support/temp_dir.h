#pragma once

#include <filesystem>
#include <string>

namespace tolvane::testing {

/// A fresh folder under the system's temporary directory, removed with everything in it when the
/// object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    /// Full path of `name` inside the folder, as a string for the C-style file operations.
    [[nodiscard]] std::string file(const std::string& name) const {
        return (path_ / name).string();
    }
    /// Writes `contents` to `name` inside the folder and returns its full path.
    std::string write(const std::string& name, const std::string& contents) const;
    /// The whole contents of `name` (a path inside the folder, or absolute).
    [[nodiscard]] std::string read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

} // namespace tolvane::testing
