#include "platform/userfolders.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

namespace platform {

namespace {

std::mutex foldersMutex;
std::filesystem::path givenProgramFolder;
std::filesystem::path givenUserFolder;
std::function<bool(const std::filesystem::path&)> writableCheck;

// The writability of one program folder, decided at its first use.
struct Decision {
    std::filesystem::path folder;
    bool writable = false;
};
std::optional<Decision> decided;

std::filesystem::path executableFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

std::filesystem::path homeOfUser()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? std::size_t(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr)
        return {};
    return found->pw_dir;
}

bool isAbsoluteFolder(const char* path)
{
    return path != nullptr && path[0] == '/';
}

bool programFolderIsWritable(const std::filesystem::path& folder)
{
    std::function<bool(const std::filesystem::path&)> check;
    {
        std::lock_guard lock(foldersMutex);
        if (decided && decided->folder == folder)
            return decided->writable;
        check = writableCheck;
    }
    // Checked outside the lock: the check touches the file system.
    const bool writable = check ? check(folder) : isWritableFolder(folder);
    std::lock_guard lock(foldersMutex);
    decided = Decision{folder, writable};
    return writable;
}

// The settings folder, without making it: looking for pictures and fonts
// leaves no trace in the user's configuration.
std::filesystem::path chosenSettingsFolder()
{
    std::filesystem::path program = programFolder();
    if (programFolderIsWritable(program))
        return program;
    std::filesystem::path user = userFolder();
    return user.empty() ? program : user;
}

}  // namespace

void setProgramFolder(const std::filesystem::path& folder)
{
    std::lock_guard lock(foldersMutex);
    givenProgramFolder = folder;
}

std::filesystem::path programFolder()
{
    {
        std::lock_guard lock(foldersMutex);
        if (!givenProgramFolder.empty())
            return givenProgramFolder;
    }
    return executableFolder();
}

void setUserFolder(const std::filesystem::path& folder)
{
    std::lock_guard lock(foldersMutex);
    givenUserFolder = folder;
}

std::filesystem::path userFolder()
{
    {
        std::lock_guard lock(foldersMutex);
        if (!givenUserFolder.empty())
            return givenUserFolder;
    }
    // Without HOME (a service, a bare environment) the password entry names the home.
    const char* home = std::getenv("HOME");
    std::filesystem::path passwdHome;
    if (home == nullptr || home[0] == '\0') {
        passwdHome = homeOfUser();
        home = passwdHome.empty() ? nullptr : passwdHome.c_str();
    }
    return userFolderFor(std::getenv("XDG_CONFIG_HOME"), home);
}

std::filesystem::path userFolderFor(const char* xdgConfigHome, const char* home)
{
    if (isAbsoluteFolder(xdgConfigHome))
        return std::filesystem::path(xdgConfigHome) / "Orvelline";
    if (isAbsoluteFolder(home))
        return std::filesystem::path(home) / ".config" / "Orvelline";
    return {};
}

bool isWritableFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error) || access(folder.c_str(), W_OK) != 0)
        return false;
    std::string probe = (folder / ".orvelline-XXXXXX").string();
    const int descriptor = mkstemp(probe.data());
    if (descriptor < 0)
        return false;
    close(descriptor);
    unlink(probe.c_str());
    return true;
}

void setWritableCheck(std::function<bool(const std::filesystem::path&)> check)
{
    std::lock_guard lock(foldersMutex);
    writableCheck = std::move(check);
    decided.reset();
}

std::filesystem::path settingsFolder()
{
    const std::filesystem::path folder = chosenSettingsFolder();
    // A folder that cannot be made shows up when the settings are written,
    // with the file system's reason; nothing is lost before then.
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

std::vector<std::filesystem::path> extraFolders()
{
    std::vector<std::filesystem::path> folders{programFolder()};
    if (std::filesystem::path settings = chosenSettingsFolder(); settings != folders.front())
        folders.push_back(std::move(settings));
    return folders;
}

}  // namespace platform
