#include "tests/native/temp_folder.h"
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>
#include "archive/archive_file.h"

temp_folder::temp_folder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillmere-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root = pattern;
}

temp_folder::~temp_folder()
{
    std::error_code ignored;
    std::filesystem::permissions(root, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(root, ignored);
}

std::string temp_folder::at(const std::string &name) const
{
    return root + "/" + name;
}

std::string temp_folder::write(const std::string &name, const bytes &content) const
{
    std::string p = at(name);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char *>(content.data()), (std::streamsize)content.size());
    return p;
}

bytes temp_folder::read(const std::string &name) const
{
    std::ifstream in(at(name), std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool temp_folder::exists(const std::string &name) const
{
    return std::filesystem::exists(at(name));
}

bytes stub_with(const bytes &archive)
{
    bytes file(archive_offset + archive.size(), 0);
    std::copy(archive.begin(), archive.end(), file.begin() + archive_offset);
    return file;
}
