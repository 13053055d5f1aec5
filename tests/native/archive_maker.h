/* Archives made by the product's writer (header, encoder, blocks), for tests and fuzz
 * seeds: entries in the order given, plain names, the recorded size filled in. */
#ifndef QM_ARCHIVE_MAKER_H
#define QM_ARCHIVE_MAKER_H

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> bytes;

struct archive_entry {
    std::string name;         /* code page 932 with backslashes; a folder's ends in "\." */
    bytes content;            /* a file's bytes */
    uint64_t times[3] = {};   /* creation, last access, last write (FILETIME) */
    bool raw = false;         /* store size and coded as given, for damaged entries */
    int32_t size = 0;
    bytes coded;
};

struct archive_options {
    std::string message;
    std::string run_after;
    std::string password;     /* empty: not protected */
    uint8_t password_flag = 1;
};

/* The bytes that follow the stub: header and blocks. */
bytes make_archive(const std::vector<archive_entry> &entries, const archive_options &options = {});

/* A FILETIME of seconds since 1970. */
uint64_t filetime_of(int64_t unix_seconds);

#endif
