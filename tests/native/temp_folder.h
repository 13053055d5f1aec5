/* A scratch folder for one test, removed with everything in it afterwards. */
#ifndef QM_TEMP_FOLDER_H
#define QM_TEMP_FOLDER_H

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> bytes;

class temp_folder {
public:
    temp_folder();
    ~temp_folder();
    temp_folder(const temp_folder &) = delete;
    temp_folder &operator=(const temp_folder &) = delete;

    const std::string &path() const { return root; }
    /* root + "/" + name */
    std::string at(const std::string &name) const;
    std::string write(const std::string &name, const bytes &content) const;
    bytes read(const std::string &name) const;
    bool exists(const std::string &name) const;

private:
    std::string root;
};

/* A file of the stub's length (zeros) followed by the given archive bytes. */
bytes stub_with(const bytes &archive);

#endif
