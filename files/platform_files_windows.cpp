#if defined(_WIN32)

#include "files/platform_files.h"

#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <windows.h>

namespace tolvane::platform {
namespace {

// The library's narrow paths are in the ANSI code page, as fopen takes them.
std::wstring Wide(const std::string& path) {
    if (path.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

std::string Narrow(const std::wstring& path) {
    if (path.empty()) return {};
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(length - 1));
    return narrow;
}

struct Handle {
    HANDLE value;
    explicit Handle(HANDLE handle) : value(handle) {}
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) ::CloseHandle(value);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

} // namespace

SaveTarget InspectSaveTarget(const std::string& path, std::string* resolvedPath) {
    *resolvedPath = path;
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Devices such as NUL have no attributes but open.
        const Handle device(::CreateFileW(wide.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        return device.value != INVALID_HANDLE_VALUE ? SaveTarget::Stream : SaveTarget::NewFile;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return SaveTarget::Refused;
    // Open the file the path leads to (through a link) to learn its kind and its final path.
    const Handle file(::CreateFileW(wide.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.value == INVALID_HANDLE_VALUE) return SaveTarget::Refused;
    if (::GetFileType(file.value) != FILE_TYPE_DISK) return SaveTarget::Stream;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        wchar_t final[MAX_PATH * 4];
        const DWORD length =
            ::GetFinalPathNameByHandleW(file.value, final, MAX_PATH * 4, FILE_NAME_NORMALIZED);
        if (length > 0 && length < MAX_PATH * 4) *resolvedPath = Narrow(final);
    }
    return SaveTarget::RegularFile;
}

std::FILE* CreateTemporaryBeside(const std::string& targetPath, std::string* temporaryPath) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = targetPath + "." + std::to_string(random() % 1000000u);
        // CREATE_NEW fails where a file of that name is: no other writer's file is taken over.
        const HANDLE handle = ::CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS) continue;
            return nullptr;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
        if (fd < 0) {
            ::CloseHandle(handle);
            ::DeleteFileW(Wide(name).c_str());
            return nullptr;
        }
        std::FILE* file = ::_fdopen(fd, "wb");
        if (file == nullptr) {
            ::_close(fd);
            ::DeleteFileW(Wide(name).c_str());
            return nullptr;
        }
        *temporaryPath = name;
        return file;
    }
    return nullptr;
}

bool SyncToDisk(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != 0;
}

bool ReplaceWith(const std::string& temporaryPath, const std::string& targetPath) {
    const std::wstring temporary = Wide(temporaryPath);
    const std::wstring target = Wide(targetPath);
    // ReplaceFileW keeps the target's attributes and security; it needs a target to replace.
    if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr) != 0)
        return true;
    return ::MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool MoveUnlessPresent(const std::filesystem::path& from, const std::filesystem::path& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails where a file is.
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

std::filesystem::path ProgramFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace tolvane::platform

#endif
