// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// zdatool: lists, extracts and packs the game's ".zda" resource archives, for
// people who make data for the game.
//
//   zdatool list    <archive.zda>
//   zdatool extract <archive.zda> <folder> [entry ...]
//   zdatool pack    <archive.zda> <file> ...      (each file's base name is its entry name)
#include "2platform/zda.h"
#include "2platform/zdawrite.h"
#include "2platform/savefile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Prints how to call the tool; returns the exit status 2.
int usage() {
    fprintf(stderr, "usage: zdatool list <archive.zda>\n"
                    "       zdatool extract <archive.zda> <folder> [entry ...]\n"
                    "       zdatool pack <archive.zda> <file> ...\n");
    return 2;
}

// Why a file to pack could not be read: the system's reason, or what is wrong with the file. Called by pack.
std::string whyUnreadable(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0) return strerror(errno);
    if (S_ISDIR(st.st_mode)) return strerror(EISDIR);
    if (st.st_size == 0) return "the file is empty";
    FILE* f = fopen(path, "rb");
    if (!f) return strerror(errno);
    fclose(f);
    return "too large for an archive entry, or cut short while reading";
}

// Makes a folder and the folders above it that are missing, as mkdir -p does; 1 when
// it is there in the end. Called by extract for its target folder.
int makeFolder(const std::string& folder) {
    for (size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
        const std::string part = folder.substr(0, at);
        if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return 0;
        if (at == std::string::npos) break;
    }
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) return 0;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return 0;
    }
    return 1;
}

// Opens an archive and reads its header; prints why when it cannot.
uint8_t* openArchive(const char* path, FILE** f, long* size) {
    *f = fopen(path, "rb");
    if (!*f) {
        fprintf(stderr, "zdatool: cannot open %s: %s\n", path, strerror(errno));
        return nullptr;
    }
    *size = binfilesize(*f);
    uint8_t* header = zdaReadHeader(*f, *size);
    if (!header) {
        fprintf(stderr, "zdatool: %s is not a valid .zda archive\n", path);
        fclose(*f);
    }
    return header;
}

// Lists every entry with its sizes.
int list(const char* path) {
    FILE* f;
    long size;
    uint8_t* header = openArchive(path, &f, &size);
    if (!header) return 1;
    int n = gp_zda_count(header);
    for (int i = 0; i < n; i++) {
        char name[ZDA_NAME_SIZE + 1];
        gp_zda_name(header, i, name, sizeof name);
        printf("%-40s %10d %10d\n", name, gp_zda_usize(header, name), gp_zda_csize(header, name));
    }
    free(header);
    fclose(f);
    return 0;
}

// Extracts all entries, or the ones named, into a folder.
int extract(const char* path, const char* folder, int nnames, char** names) {
    FILE* f;
    long size;
    uint8_t* header = openArchive(path, &f, &size);
    if (!header) return 1;
    int status = 0;
    if (!makeFolder(folder)) {
        fprintf(stderr, "zdatool: cannot make the folder %s: %s\n", folder, strerror(errno));
        free(header);
        fclose(f);
        return 1;
    }
    std::vector<std::string> wanted;
    if (nnames > 0) {
        for (int i = 0; i < nnames; i++) wanted.push_back(names[i]);
    } else {
        for (int i = 0; i < gp_zda_count(header); i++) {
            char name[ZDA_NAME_SIZE + 1];
            wanted.push_back(gp_zda_name(header, i, name, sizeof name));
        }
    }
    for (const std::string& name : wanted) {
        // An entry name is a plain file name; anything that could climb out of the folder is refused.
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
            fprintf(stderr, "zdatool: refusing entry name '%s'\n", name.c_str());
            status = 1;
            continue;
        }
        int32_t len = 0;
        uint8_t* data = zdaReadEntry(f, size, header, name.c_str(), &len);
        if (!data) {
            fprintf(stderr, "zdatool: %s: no readable entry %s\n", path, name.c_str());
            status = 1;
            continue;
        }
        std::string out = std::string(folder) + "/" + name;
        if (!writeFileAtomic(out.c_str(), data, len)) {
            fprintf(stderr, "zdatool: cannot write %s: %s\n", out.c_str(), strerror(errno));
            status = 1;
        }
        free(data);
    }
    free(header);
    fclose(f);
    return status;
}

// Packs files into a new archive; entry names are the files' base names.
int pack(const char* path, int nfiles, char** files) {
    std::vector<std::string> names;
    std::vector<uint8_t*> datas;
    std::vector<ZdaItem> items;
    int status = 0;
    for (int i = 0; i < nfiles && status == 0; i++) {
        int32_t len = 0;
        uint8_t* data = loadBINFile(files[i], &len);
        const char* base = strrchr(files[i], '/');
        names.push_back(base ? base + 1 : files[i]);
        if (!data) {
            fprintf(stderr, "zdatool: cannot read %s: %s\n", files[i], whyUnreadable(files[i]).c_str());
            status = 1;
            break;
        }
        datas.push_back(data);
        items.push_back({nullptr, data, len});
    }
    for (size_t i = 0; i < items.size(); i++) items[i].name = names[i].c_str();
    errno = 0; // the writer refuses a bad name without a system error
    if (status == 0 && !writeZDA(path, items.data(), (int)items.size())) {
        fprintf(stderr, "zdatool: cannot write %s: %s\n", path,
                errno ? strerror(errno) : "entry names must be 1 to 39 characters");
        status = 1;
    }
    for (uint8_t* d : datas) free(d);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && strcmp(argv[1], "list") == 0 && argc == 3) return list(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "extract") == 0) return extract(argv[2], argv[3], argc - 4, argv + 4);
    if (argc >= 4 && strcmp(argv[1], "pack") == 0) return pack(argv[2], argc - 3, argv + 3);
    return usage();
}
