#include "support/scoped_environment.h"

#include <cstdlib>

namespace tolvane::testing {
namespace {

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
#if defined(_WIN32)
    // An empty value removes the variable on Windows.
    (void)::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        (void)::setenv(name.c_str(), value->c_str(), 1);
    else
        (void)::unsetenv(name.c_str());
#endif
}

} // namespace

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name,
                                                     const std::optional<std::string>& value)
    : name_(std::move(name)) {
    if (const char* previous = std::getenv(name_.c_str())) previous_ = previous;
    SetVariable(name_, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    SetVariable(name_, previous_);
}

ScopedCurrentPath::ScopedCurrentPath(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

ScopedCurrentPath::~ScopedCurrentPath() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

} // namespace tolvane::testing
