// The files of one run, in order: those named, and with a walk those found
// in the folders named, listed as they are needed so that a walk over an
// archive never holds all its names at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

enum class WalkItemKind {
    File,    // a file to analyse (which may be missing by the time it is)
    Stdin,   // "-": the JPEG on standard input
    Folder,  // a folder named without a walk
    // Something met in a walk that is not read: a FIFO, socket or device
    // (opening a FIFO waits for a writer, a device may never end), a folder
    // that cannot be listed, a list of names that cannot be read. Only
    // given when the walk is told to (TellRefusedAsItems).
    Refused,
};

// The endings of the file names a folder walk takes when not told others:
// lower case, without the dot, matched in any case.
std::vector<std::string> DefaultWalkExtensions();

struct WalkItem {
    WalkItemKind kind = WalkItemKind::File;
    std::string path;
    // Of a refused item: why ("is a FIFO", "cannot read folder (...)") and
    // the stable code of that reason (not-regular-file, folder-unreadable,
    // read-error).
    std::string reason;
    const char* code = nullptr;
};

class FileWalk {
public:
    // extensions: lower case, without the dot. Files named are taken
    // whatever their name; folders are walked only when recursive is set.
    FileWalk(std::vector<std::string> arguments, bool recursive, std::vector<std::string> extensions);

    // The names in list (a file or standard input, read as they are
    // needed), each ended by separator ('\n' or '\0'), taken after the
    // arguments as if named; empty names are skipped. The list stays the
    // caller's to close.
    void AddNameList(FILE* list, char separator);

    // Folders that cannot be read and entries of a walk that are not
    // regular files (or links to them) become Refused items; without this,
    // they are told in problems and stepped over.
    void TellRefusedAsItems() { refusedAsItems_ = true; }

    // The next item, false when there is none left.
    bool Next(WalkItem* item);

    // Messages about folders that could not be read, taken by the caller.
    std::vector<std::string> TakeProblems();
    // How many items Next has given; the total once Finished() is true.
    // Both may be asked from another thread than the one walking.
    size_t Given() const { return given_.load(); }
    bool Finished() const { return finished_.load(); }

private:
    struct Entry {
        std::string path;
        std::filesystem::file_type type;  // as the listing told it; none when it did not
        bool operator<(const Entry& other) const { return path < other.path; }
    };
    struct Folder {
        std::vector<Entry> entries;  // sorted, still to look at
        size_t next = 0;
    };

    void OpenFolder(const std::string& path);
    bool TakesName(const std::string& path) const;
    void Refuse(const std::string& path, const std::string& reason, const char* code);
    bool NextFromFolders(WalkItem* item);
    bool NextName(std::string* name, bool* fromList);
    bool Give(WalkItem* item, WalkItem given);

    std::vector<std::string> arguments_;
    size_t nextArgument_ = 0;
    bool recursive_;
    std::vector<std::string> extensions_;
    std::vector<Folder> folders_;  // the walk's stack, innermost last
    std::vector<std::string> problems_;
    std::vector<WalkItem> refused_;  // waiting to be given, in order
    bool refusedAsItems_ = false;
    FILE* list_ = nullptr;
    char listSeparator_ = '\n';
    std::atomic<size_t> given_{0};
    std::atomic<bool> finished_{false};
};
