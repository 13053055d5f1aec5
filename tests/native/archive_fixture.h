/* Hand-made archives, built from the format's rules alone and independent of the
 * product's writer: entry records, literal-only coded data over the initial code tree,
 * copies with distance and length, the block framing with its CRC, the header. */
#ifndef QM_ARCHIVE_FIXTURE_H
#define QM_ARCHIVE_FIXTURE_H

#include <cstdint>
#include <string>
#include <vector>
#include "tests/native/temp_folder.h"

/* The code of a symbol (0..256) in the tree that every entry starts with, as bits in
 * reading order ('0' and '1'). */
std::string initial_code(int symbol);

/* Bits packed least significant first into bytes. */
class bit_packer {
public:
    void put(const std::string &bits);
    void put_number(uint32_t value, int bits); /* least significant bit first */
    void put_ternary(uint32_t value);
    bytes finish();

private:
    bytes out;
    int used = 0;
};

/* Coded data of at most 256 literals: the whole entry is read with the initial tree. */
bytes literal_data(const bytes &content);

/* The entry sequence of an archive. */
class entry_sequence {
public:
    void raw(const bytes &b) { seq.insert(seq.end(), b.begin(), b.end()); }
    void name(const std::string &n); /* plain name and its NUL */
    void folder(const std::string &n) { name(n); }
    void file(const std::string &n, const bytes &content, uint64_t write_time = 0);
    /* A file entry's fields and coded data as given. */
    void file_coded(const std::string &n, int32_t size, const bytes &coded, uint64_t write_time = 0);
    void fields(int32_t size, uint64_t write_time);
    const bytes &data() const { return seq; }

private:
    bytes seq;
};

/* The CRC-16/UMTS of the bytes. */
uint16_t fixture_crc(const bytes &b);

/* Header (no message, no program, no password unless key is given) and blocks, the
 * recorded size filled in, behind a stub of zeros: the whole program file. */
bytes archive_file_bytes(const bytes &sequence, const std::string &key = "");

#endif
