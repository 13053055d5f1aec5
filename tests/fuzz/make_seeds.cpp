// Writes the seed inputs of the fuzz targets: small archives of each kind, made by the
// product's writer. fuzz_header gets the archive bytes that follow the stub; fuzz_archive
// gets an options byte (0: every answer Yes, the right password) and then the same bytes.
#include <cstdio>
#include <string>
#include <vector>
#include "tests/native/archive_maker.h"

namespace {

bytes text(const std::string &s)
{
    return bytes(s.begin(), s.end());
}

bytes repeated(size_t size)
{
    bytes b(size);
    for (size_t i = 0; i < size; i++)
        b[i] = (uint8_t)("abcabcabd"[i % 9] + (i / 5000) % 3);
    return b;
}

void save(const std::string &folder, const std::string &name, const bytes &content)
{
    std::string path = folder + "/" + name;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds HEADER_FOLDER ARCHIVE_FOLDER\n");
        return 2;
    }
    const uint64_t t = filetime_of(1000000000);
    auto file = [&](const std::string &name, const bytes &content) {
        archive_entry e;
        e.name = name;
        e.content = content;
        e.times[0] = e.times[1] = e.times[2] = t;
        return e;
    };
    archive_options plain;
    archive_options message;
    message.message = "\x83\x65\x83\x58\x83\x67"; // テスト
    message.run_after = "setup.exe";
    archive_options protected_;
    protected_.password = "pass";
    protected_.password_flag = 0x5A;

    struct seed {
        const char *name;
        std::vector<archive_entry> entries;
        archive_options options;
    } seeds[] = {
        {"one_file", {file("readme.txt", text("hello, hello, hello world\n"))}, plain},
        {"message_and_program", {file("a.txt", text("a"))}, message},
        {"password", {file("secret.txt", text("the secret, the secret"))}, protected_},
        {"folders", {file("docs\\.", {}), file("docs\\sub\\.", {}), file("docs\\sub\\x.txt", text("xx")),
                     file(".", {}), file("empty\\.", {})}, plain},
        {"empty_file_and_shared_prefix",
         {file("data\\a.csv", text("1,2,3\n")), file(std::string("*\x03" "b.csv", 7), text("4,5\n")),
          file("zero", {})}, plain},
        {"large_file", {file("big.bin", repeated(45000)), file("after.txt", text("after"))}, protected_},
        {"double_byte_name", {file("\x95\x5C\\\x83\x65.txt", text("\x95\x5C"))}, plain},
        {"existing_name", {file("readme.txt", text("new")), file("readme.txt", text("again"))}, plain},
    };
    for (auto &s : seeds) {
        bytes archive = make_archive(s.entries, s.options);
        save(argv[1], s.name, archive);
        bytes input = archive;
        input.insert(input.begin(), 0);
        save(argv[2], s.name, input);
    }
    return 0;
}
