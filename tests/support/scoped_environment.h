#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tolvane::testing {

/// Sets (or, with no value, removes) an environment variable while it lives; the previous value
/// comes back afterwards.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

/// Makes `folder` the current directory while it lives.
class ScopedCurrentPath {
public:
    explicit ScopedCurrentPath(const std::filesystem::path& folder);
    ~ScopedCurrentPath();
    ScopedCurrentPath(const ScopedCurrentPath&) = delete;
    ScopedCurrentPath& operator=(const ScopedCurrentPath&) = delete;

private:
    std::filesystem::path previous_;
};

} // namespace tolvane::testing
