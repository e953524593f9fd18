#include "errors/Places.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "errors/Program.h"

namespace stellmark::places {

namespace {

namespace fs = std::filesystem;

bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

std::string Home(const Lookup& env)
{
    const char* home = env("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/' ? pw->pw_dir : "/";
}

std::string Trimmed(std::string dir)
{
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

// An XDG base folder: the variable when it names an absolute path (relative ones are to be
// ignored), else the default below the home.
std::string Base(const Lookup& env, const char* variable, const char* fallback)
{
    const char* value = env(variable);
    if (value != nullptr && value[0] == '/')
        return Trimmed(fs::path(value).lexically_normal().string());
    return Trimmed((fs::path(Home(env)) / fallback).lexically_normal().string());
}

}  // namespace

Places Resolve(const std::string& programDir, const Lookup& env)
{
    const std::string dir = Trimmed(programDir);
    const fs::path self(dir);
    const std::string shared = (self.parent_path() / "share" / "stellmark").string();
    // The portable folder carries its help file beside the program; without it, only the bin
    // folder of a prefix that has our shared folder is an installation.
    const bool installed = !fs::exists(self / "liesmich.txt") && self.filename() == "bin" &&
                           self.has_parent_path() && IsFolder(shared);
    Places places;
    if (!installed) {
        places.settings = places.protocol = places.shared = dir;
        places.data = {dir};
        return places;
    }
    places.form = Form::Installed;
    places.settings = Base(env, "XDG_CONFIG_HOME", ".config") + "/stellmark";
    places.protocol = Base(env, "XDG_STATE_HOME", ".local/state") + "/stellmark";
    places.data = {dir, Base(env, "XDG_DATA_HOME", ".local/share") + "/stellmark"};
    places.shared = shared;
    return places;
}

Places Current()
{
    return Resolve(program::Dir(), [](const char* name) -> const char* { return std::getenv(name); });
}

std::vector<std::string> DataCandidates(const std::string& dataDir)
{
    if (!dataDir.empty())
        return {Trimmed(dataDir)};
    return Current().data;
}

std::string DataHome(const std::string& dataDir) { return DataCandidates(dataDir).back(); }

bool MakeFolder(const std::string& dir)
{
    if (dir.empty())
        return false;
    if (IsFolder(dir))
        return true;
    std::error_code ec;
    fs::create_directories(fs::path(dir).parent_path(), ec);
    // Settings and protocol may name the user's files and folders: not for other users' eyes.
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    return IsFolder(dir);
}

}  // namespace stellmark::places
