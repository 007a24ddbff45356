#include "platform/programfolders.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

namespace platform {

namespace {

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

}  // namespace

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

ProgramFolders::ProgramFolders(std::filesystem::path program, std::filesystem::path user, bool programWritable)
    : program_(std::move(program)), user_(std::move(user)), programWritable_(programWritable)
{}

ProgramFolders ProgramFolders::decide(std::filesystem::path program, std::filesystem::path user,
                                      const WritableCheck& isWritable)
{
    const bool writable = isWritable ? isWritable(program) : isWritableFolder(program);
    return ProgramFolders(std::move(program), std::move(user), writable);
}

ProgramFolders ProgramFolders::ofThisProcess(const std::filesystem::path& program)
{
    return decide(program.empty() ? executableFolder() : program, userFolderFromEnvironment());
}

// The settings folder, without making it: looking for pictures and fonts
// leaves no trace in the user's configuration.
std::filesystem::path ProgramFolders::chosenSettingsFolder() const
{
    if (programWritable_ || user_.empty())
        return program_;
    return user_;
}

std::filesystem::path ProgramFolders::settingsFolder() const
{
    const std::filesystem::path folder = chosenSettingsFolder();
    // A folder that cannot be made shows up when the settings are written,
    // with the file system's reason; nothing is lost before then.
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

std::vector<std::filesystem::path> ProgramFolders::extraFolders() const
{
    std::vector<std::filesystem::path> folders{program_};
    if (std::filesystem::path settings = chosenSettingsFolder(); settings != folders.front())
        folders.push_back(std::move(settings));
    return folders;
}

std::filesystem::path executableFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

std::filesystem::path userFolderFromEnvironment()
{
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

}  // namespace platform
