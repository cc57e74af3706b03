// The files named and found by walking folders, one at a time, in order.
#include "batch/file_walk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

// JPEG, then TIFF and the files that are TIFF structures or hold one (DNG
// and the cameras' RAW formats). The walk goes by name; each file taken is
// read by its content.
std::vector<std::string> DefaultWalkExtensions() {
    return {"jpg", "jpeg", "jpe", "jfif", "tif", "tiff", "dng", "cr2", "nef", "nrw", "arw", "srf",
            "sr2", "orf", "rw2", "raf", "pef", "srw", "3fr", "erf", "kdc", "dcr", "mos", "iiq"};
}

FileWalk::FileWalk(std::vector<std::string> arguments, bool recursive, std::vector<std::string> extensions)
    : arguments_(std::move(arguments)), recursive_(recursive), extensions_(std::move(extensions)) {}

bool FileWalk::TakesName(const std::string& path) const {
    const std::string name = fs::path(path).filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    std::string ending = name.substr(dot + 1);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(extensions_.begin(), extensions_.end(), ending) != extensions_.end();
}

namespace {

// What a listed entry is, as far as the walk cares, from the type the folder
// listing gives (no system call on most file systems; a status call where
// the listing does not tell); none when even that fails.
fs::file_type ListedType(const fs::directory_entry& entry) {
    std::error_code error;
    if (entry.is_symlink(error)) return fs::file_type::symlink;
    if (error) return fs::file_type::none;
    if (entry.is_directory(error)) return fs::file_type::directory;
    return error ? fs::file_type::none : fs::file_type::regular;
}

}  // namespace

// Lists the folder, sorted, as the next level of the walk; a folder that
// cannot be listed is told as a problem.
void FileWalk::OpenFolder(const std::string& path) {
    std::error_code error;
    fs::directory_iterator listing(path, error);
    Folder folder;
    for (; !error && listing != fs::directory_iterator(); listing.increment(error)) {
        folder.entries.push_back(Entry{listing->path().string(), ListedType(*listing)});
    }
    if (error) {
        problems_.push_back(path + ": cannot read folder (" + error.message() + ")");
        return;
    }
    std::sort(folder.entries.begin(), folder.entries.end());
    folders_.push_back(std::move(folder));
}

bool FileWalk::Next(WalkItem* item) {
    for (;;) {
        if (!folders_.empty()) {
            Folder& folder = folders_.back();
            if (folder.next == folder.entries.size()) {
                folders_.pop_back();
                continue;
            }
            const Entry entry = folder.entries[folder.next++];
            const std::string& path = entry.path;
            // A link is not followed into a folder, so a link back up the
            // tree cannot make the walk go round; a link to a file counts.
            // A file gone since it was listed is taken: its analysis says so.
            std::error_code error;
            const fs::file_type type =
                entry.type != fs::file_type::none ? entry.type : fs::symlink_status(path, error).type();
            if (type == fs::file_type::directory) {
                OpenFolder(path);
                continue;
            }
            if (type == fs::file_type::symlink && fs::is_directory(fs::status(path, error))) continue;
            if (!TakesName(path)) continue;
            *item = WalkItem{WalkItemKind::File, path};
            given_++;
            return true;
        }
        if (nextArgument_ == arguments_.size()) {
            finished_ = true;
            return false;
        }
        const std::string& argument = arguments_[nextArgument_++];
        if (argument == "-") {
            *item = WalkItem{WalkItemKind::Stdin, argument};
            given_++;
            return true;
        }
        std::error_code error;
        if (fs::is_directory(argument, error)) {
            if (recursive_) {
                OpenFolder(argument);
                continue;
            }
            *item = WalkItem{WalkItemKind::Folder, argument};
            given_++;
            return true;
        }
        *item = WalkItem{WalkItemKind::File, argument};
        given_++;
        return true;
    }
}

std::vector<std::string> FileWalk::TakeProblems() {
    std::vector<std::string> taken = std::move(problems_);
    problems_.clear();
    return taken;
}
