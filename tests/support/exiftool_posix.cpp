#include "support/exiftool_posix.h"

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>

#include "support/report_capture.h"
#include "support/run_command_posix.h"

bool ExiftoolInstalled() { return std::system("exiftool -ver > /dev/null 2>&1") == 0; }

std::string WriteWithExiftool(const std::string& base, const std::string& arguments, const std::string& name) {
    const std::string path = TempFolder() + "/" + name;
    // exiftool writes no file over one that is there.
    std::remove(path.c_str());
    RunCommand("exiftool -q -q -n -o '" + path + "' " + arguments + " '" + base + "' 2>&1");
    return path;
}

bool ReadExiftoolTags(const std::string& path, std::vector<PeerTag>* tags) {
    rapidjson::Document peer;
    peer.Parse(RunCommand("exiftool -j -G1 -D -n -a '" + path + "' 2>/dev/null").c_str());
    if (!peer.IsArray() || peer.Size() != 1) return false;
    for (const auto& member : peer[0].GetObject()) {
        if (!member.value.IsObject() || !member.value.HasMember("id") || !member.value["id"].IsInt()) continue;
        const std::string key = member.name.GetString();
        const size_t colon = key.find(':');
        tags->push_back({key.substr(0, colon), key.substr(colon + 1), member.value["id"].GetInt()});
    }
    return true;
}
