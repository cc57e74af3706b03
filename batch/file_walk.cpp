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
            "sr2", "orf", "rw2", "raf", "pef", "srw", "3fr", "erf", "kdc", "dcr", "mos", "iiq",
            "heic", "heif", "hif", "avif", "cr3", "png", "webp"};
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

// What a listed entry is, from the type the folder listing gives (no system
// call on most file systems; a status call where the listing does not
// tell); none when even that fails.
fs::file_type ListedType(const fs::directory_entry& entry) {
    std::error_code error;
    if (entry.is_symlink(error)) return fs::file_type::symlink;
    if (error) return fs::file_type::none;
    if (entry.is_directory(error)) return fs::file_type::directory;
    if (error) return fs::file_type::none;
    if (entry.is_regular_file(error)) return fs::file_type::regular;
    if (entry.is_fifo(error)) return fs::file_type::fifo;
    if (entry.is_socket(error)) return fs::file_type::socket;
    if (entry.is_character_file(error)) return fs::file_type::character;
    if (entry.is_block_file(error)) return fs::file_type::block;
    return error ? fs::file_type::none : fs::file_type::unknown;
}

// Why a walk does not open an entry of this type; empty for a file it reads
// (a regular file, or an entry whose type is not known: gone, say, which
// its analysis tells).
const char* NotReadBecause(fs::file_type type) {
    switch (type) {
        case fs::file_type::fifo: return "is a FIFO";
        case fs::file_type::socket: return "is a socket";
        case fs::file_type::character: return "is a character device";
        case fs::file_type::block: return "is a block device";
        case fs::file_type::unknown: return "is not a regular file";
        default: return "";
    }
}

}  // namespace

void FileWalk::AddNameList(FILE* list, char separator) {
    list_ = list;
    listSeparator_ = separator;
}

void FileWalk::Refuse(const std::string& path, const std::string& reason, const char* code) {
    if (refusedAsItems_) {
        refused_.push_back(WalkItem{WalkItemKind::Refused, path, reason, code});
    } else {
        problems_.push_back(path + ": " + reason);
    }
}

// Lists the folder, sorted, as the next level of the walk; a folder that
// cannot be listed is refused.
void FileWalk::OpenFolder(const std::string& path) {
    std::error_code error;
    fs::directory_iterator listing(path, error);
    Folder folder;
    for (; !error && listing != fs::directory_iterator(); listing.increment(error)) {
        folder.entries.push_back(Entry{listing->path().string(), ListedType(*listing)});
    }
    if (error) {
        Refuse(path, "cannot read folder (" + error.message() + ")", "folder-unreadable");
        return;
    }
    std::sort(folder.entries.begin(), folder.entries.end());
    folders_.push_back(std::move(folder));
}

bool FileWalk::Give(WalkItem* item, WalkItem given) {
    *item = std::move(given);
    given_++;
    return true;
}

// The next file of the folders open, refused entries included.
bool FileWalk::NextFromFolders(WalkItem* item) {
    while (!folders_.empty() && refused_.empty()) {
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
        const fs::file_type target = type == fs::file_type::symlink ? fs::status(path, error).type() : type;
        if (target == fs::file_type::directory || !TakesName(path)) continue;
        const std::string refusal = NotReadBecause(target);
        if (!refusal.empty()) {
            Refuse(path, refusal, "not-regular-file");
            continue;
        }
        return Give(item, WalkItem{WalkItemKind::File, path, std::string(), nullptr});
    }
    if (refused_.empty()) return false;
    WalkItem refused = std::move(refused_.front());
    refused_.erase(refused_.begin());
    return Give(item, std::move(refused));
}

// The next name given: an argument, else one from the list.
bool FileWalk::NextName(std::string* name, bool* fromList) {
    if (nextArgument_ < arguments_.size()) {
        *name = arguments_[nextArgument_++];
        *fromList = false;
        return true;
    }
    *fromList = true;
    while (list_ != nullptr) {
        name->clear();
        int c;
        while ((c = std::fgetc(list_)) != EOF && c != static_cast<unsigned char>(listSeparator_)) {
            name->push_back(static_cast<char>(c));
        }
        if (c == EOF) {
            if (std::ferror(list_)) Refuse("list of files", "cannot read the list of files", "read-error");
            list_ = nullptr;
        }
        if (!name->empty()) return true;
    }
    return false;
}

bool FileWalk::Next(WalkItem* item) {
    for (;;) {
        if (NextFromFolders(item)) return true;
        std::string name;
        bool fromList = false;
        if (!NextName(&name, &fromList)) {
            if (NextFromFolders(item)) return true;
            finished_ = true;
            return false;
        }
        if (name == "-" && !fromList) return Give(item, WalkItem{WalkItemKind::Stdin, name, std::string(), nullptr});
        std::error_code error;
        if (fs::is_directory(name, error)) {
            if (recursive_) {
                OpenFolder(name);
                continue;
            }
            return Give(item, WalkItem{WalkItemKind::Folder, name, std::string(), nullptr});
        }
        // A file named is read whatever it is: a FIFO named is a stream. A
        // list is made by a walk of its own (find ... -print0): what it names
        // is taken as a walk takes it.
        const std::string refusal = fromList ? NotReadBecause(fs::status(name, error).type()) : "";
        if (!refusal.empty()) {
            Refuse(name, refusal, "not-regular-file");
            continue;
        }
        return Give(item, WalkItem{WalkItemKind::File, name, std::string(), nullptr});
    }
}

std::vector<std::string> FileWalk::TakeProblems() {
    std::vector<std::string> taken = std::move(problems_);
    problems_.clear();
    return taken;
}
