// The folder listing over plain lists of texts and a made-up tree of folders and drives.
#include <gtest/gtest.h>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "ui/folder_listing.h"

namespace {

struct entry {
    std::string text;
    uint32_t number;
};

struct fake_list {
    std::vector<entry> entries;
    int selected = -1;
};

fake_list lists[2];
// Folder enumeration: pattern -> entries; a pattern not in the map cannot be read.
std::map<std::string, std::vector<found_entry>> folders;
std::vector<std::string> patterns_asked;
struct fake_drive {
    unsigned type;
    const char *volume; // nullptr: the volume query fails
};
std::map<char, fake_drive> drives;
std::vector<std::string> volumes_asked;
struct open_search {
    std::vector<found_entry> entries;
    size_t next;
};
open_search current_search;
int open_searches;

found_entry folder(const char *name, uint32_t attributes = 0x10)
{
    found_entry e{};
    e.attributes = attributes;
    std::strncpy(e.name, name, found_name_limit);
    return e;
}

void reset_fakes()
{
    lists[0] = lists[1] = fake_list{};
    folders.clear();
    patterns_asked.clear();
    drives.clear();
    volumes_asked.clear();
    open_searches = 0;
}

} // namespace

extern "C" {

int list_count(enum list_control list)
{
    return (int)lists[list].entries.size();
}

void list_delete_first(enum list_control list)
{
    auto &l = lists[list];
    l.entries.erase(l.entries.begin());
    // A list box keeps the selection on the same entry, which moves up by one.
    if (l.selected >= 0)
        l.selected--;
}

void list_append(enum list_control list, const char *text, uint32_t number)
{
    lists[list].entries.push_back({text, number});
}

void list_select(enum list_control list, int index)
{
    lists[list].selected = index;
}

int list_selected(enum list_control list)
{
    return lists[list].selected;
}

int list_text(enum list_control list, int index, char *buffer, int size)
{
    auto &l = lists[list];
    // An entry past the end is never asked for.
    EXPECT_TRUE((index >= 0 && index < (int)l.entries.size()) || (list == drive_list && index == -1))
        << "entry " << index;
    buffer[0] = '\0';
    if (index < 0 || index >= (int)l.entries.size() || (int)l.entries[index].text.size() >= size)
        return -1;
    std::memcpy(buffer, l.entries[index].text.c_str(), l.entries[index].text.size() + 1);
    return (int)l.entries[index].text.size();
}

uint32_t list_number(enum list_control list, int index)
{
    auto &l = lists[list];
    return index >= 0 && index < (int)l.entries.size() ? l.entries[index].number : 0;
}

folder_search find_first_entry(const char *pattern, found_entry *found)
{
    patterns_asked.push_back(pattern);
    auto f = folders.find(pattern);
    if (f == folders.end() || f->second.empty())
        return 0;
    current_search = {f->second, 1};
    *found = f->second[0];
    open_searches++;
    return 1;
}

int find_next_entry(folder_search, found_entry *found)
{
    if (current_search.next >= current_search.entries.size())
        return 0;
    *found = current_search.entries[current_search.next++];
    return 1;
}

void end_search(folder_search)
{
    open_searches--;
}

uint32_t logical_drives(void)
{
    uint32_t mask = 0;
    for (auto &d : drives)
        mask |= 1u << (d.first - 'A');
    return mask;
}

unsigned drive_type(const char *root)
{
    return drives.at(root[0]).type;
}

void volume_name(const char *root, char *buffer, uint32_t size)
{
    volumes_asked.push_back(root);
    const char *v = drives.at(root[0]).volume;
    if (v != nullptr) {
        std::strncpy(buffer, v, size - 1);
        buffer[size - 1] = '\0';
    }
}

} // extern "C"

namespace {

struct folder_listing_test : ::testing::Test {
    void SetUp() override { reset_fakes(); }
    static void set_browse_folder(const std::string &text)
    {
        ASSERT_LE(text.size(), (size_t)browse_folder_limit);
        std::memcpy(browse_folder, text.c_str(), text.size() + 1);
    }
    static std::string path_of(int index)
    {
        char folder[browse_folder_limit + 1];
        folder_of_item(index, folder);
        return folder;
    }
};

struct item {
    std::string text;
    int depth;
    std::string path;
};

struct listing_case {
    const char *what;
    std::string browse;
    std::string pattern;              // what the enumeration is asked for
    std::vector<found_entry> found;   // what it gives; empty: the folder cannot be read
    std::vector<item> items;
    int selected;
};

TEST_F(folder_listing_test, items_depths_and_paths)
{
    const std::vector<listing_case> cases = {
        {"example, files, dot names, hidden and system folders", "C:\\Data\\Sub\\", "C:\\Data\\Sub\\*.*",
         {folder("."), folder(".."), folder("Docs"), folder("notes.txt", 0x20), folder(".git"),
          folder("Work", 0x16)},
         {{"*C:\\", 0, "C:\\"},
          {"* Data", 1, "C:\\Data\\"},
          {"*  Sub", 2, "C:\\Data\\Sub\\"},
          {"    Docs", 3, "C:\\Data\\Sub\\Docs\\"},
          {"    Work", 3, "C:\\Data\\Sub\\Work\\"}},
         2},
        {"drive root", "D:\\", "D:\\*.*", {folder("Games")},
         {{"*D:\\", 0, "D:\\"}, {"  Games", 1, "D:\\Games\\"}}, 0},
        {"no sub-folders", "C:\\Empty\\", "C:\\Empty\\*.*", {folder("a.txt", 0x20)},
         {{"*C:\\", 0, "C:\\"}, {"* Empty", 1, "C:\\Empty\\"}}, 1},
        {"unreadable", "C:\\Locked\\", "C:\\Locked\\*.*", {},
         {{"*C:\\", 0, "C:\\"}, {"* Locked", 1, "C:\\Locked\\"}}, 1},
        // 表 and 能 end in 0x5C, which is no backslash there.
        {"double-byte names", "C:\\表\\", "C:\\表\\*.*", {folder("能力")},
         {{"*C:\\", 0, "C:\\"}, {"* 表", 1, "C:\\表\\"}, {"   能力", 2, "C:\\表\\能力\\"}}, 1},
        {"network path", "\\\\srv\\share\\", "\\\\srv\\share\\*.*", {folder("pub")},
         {{"*\\", 0, "\\"},
          {"* ", 1, "\\\\"},
          {"*  srv", 2, "\\\\srv\\"},
          {"*   share", 3, "\\\\srv\\share\\"},
          {"     pub", 4, "\\\\srv\\share\\pub\\"}},
         3},
        // The depth is kept beside the text, so leading spaces stay part of the name.
        {"names beginning with spaces", "C:\\  lead\\", "C:\\  lead\\*.*", {folder("   sub")},
         {{"*C:\\", 0, "C:\\"}, {"*   lead", 1, "C:\\  lead\\"}, {"      sub", 2, "C:\\  lead\\   sub\\"}},
         1},
        {"no trailing backslash", "C:\\Data", "C:\\Data\\*.*", {folder("x")},
         {{"*C:\\", 0, "C:\\"}, {"* Data", 1, "C:\\Data\\"}, {"   x", 2, "C:\\Data\\x\\"}}, 1},
        {"drive without backslash", "C:", "C:\\*.*", {}, {{"*C:", 0, "C:\\"}}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        reset_fakes();
        lists[folder_list].entries = {{"stale", 7}, {"stale", 9}};
        if (!c.found.empty())
            folders[c.pattern] = c.found;
        set_browse_folder(c.browse);
        fill_folder_list();
        EXPECT_EQ(patterns_asked, std::vector<std::string>{c.pattern});
        EXPECT_EQ(open_searches, 0);
        ASSERT_EQ(lists[folder_list].entries.size(), c.items.size());
        EXPECT_EQ(lists[folder_list].selected, c.selected);
        for (size_t i = 0; i < c.items.size(); i++) {
            SCOPED_TRACE(i);
            const auto &got = lists[folder_list].entries[i];
            EXPECT_EQ(got.text, c.items[i].text);
            EXPECT_EQ(item_depth((int)i), c.items[i].depth);
            int depth = -1, opened = -1;
            const char *name = item_name((int)i, &depth, &opened);
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(std::string(name), got.text.substr(1 + c.items[i].depth));
            EXPECT_EQ(depth, c.items[i].depth);
            EXPECT_EQ(opened, got.text[0] == '*');
            EXPECT_EQ(path_of((int)i), c.items[i].path);
        }
    }
}

TEST_F(folder_listing_test, empty_browse_folder_empties_the_list_and_selects_nothing)
{
    lists[folder_list].entries = {{"*C:\\", 0}};
    set_browse_folder("");
    fill_folder_list();
    EXPECT_TRUE(lists[folder_list].entries.empty());
    EXPECT_EQ(lists[folder_list].selected, -1);
    EXPECT_TRUE(patterns_asked.empty());
}

TEST_F(folder_listing_test, an_index_that_is_no_item_gives_browse_folder)
{
    set_browse_folder("C:\\Data\\");
    fill_folder_list();
    EXPECT_EQ(path_of(-1), "C:\\Data\\"); // nothing selected
    EXPECT_EQ(path_of(2), "C:\\Data\\");  // one past the end
    folder_of_item(1, browse_folder);    // the result may go straight into browse_folder
    EXPECT_STREQ(browse_folder, "C:\\Data\\");
}

TEST_F(folder_listing_test, long_paths_stay_within_their_buffers)
{
    // browse_folder at its limit: C:\ and 510 components, then a sub-folder of 260 bytes.
    std::string deep = "C:\\";
    for (int i = 0; i < 510; i++)
        deep += "a\\";
    ASSERT_EQ(deep.size(), (size_t)browse_folder_limit);
    std::string long_name(found_name_limit, 'n');
    folders[deep + "*.*"] = {folder(long_name.c_str())};
    set_browse_folder(deep);
    fill_folder_list();
    int count = (int)lists[folder_list].entries.size();
    ASSERT_EQ(count, 511 + 1);
    EXPECT_EQ(lists[folder_list].entries.back().text, " " + std::string(511, ' ') + long_name);
    EXPECT_EQ(path_of(count - 2), deep); // exactly at the limit
    EXPECT_EQ(path_of(3), "C:\\a\\a\\a\\");
    // The sub-folder's path would not fit: browse_folder comes back unchanged.
    set_browse_folder("C:\\");
    EXPECT_EQ(path_of(count - 1), "C:\\");
}

TEST_F(folder_listing_test, drive_labels)
{
    char text[drive_label_size];
    const struct {
        char letter;
        unsigned type;
        const char *volume;
        const char *label;
    } cases[] = {
        {'A', 2, "ignored", "A:"},
        {'C', 3, "", "C: []"},
        {'Q', 5, "ディスク", "Q: [ディスク]"},
        {'Z', 4, "share", "Z: [share]"},
    };
    for (const auto &c : cases) {
        drive_label(c.letter, c.type, c.volume, text);
        EXPECT_STREQ(text, c.label);
    }
    std::string huge(2000, 'v');
    drive_label('C', 3, huge.c_str(), text);
    EXPECT_LT(std::strlen(text), (size_t)drive_label_size);
    EXPECT_EQ(text[std::strlen(text) - 1], ']');
}

TEST_F(folder_listing_test, drive_list_in_letter_order_and_the_current_drive_selected)
{
    drives = {{'A', {2, "floppy"}}, {'C', {3, "System"}}, {'D', {5, nullptr}}, {'Z', {4, "net"}}};
    lists[drive_list].entries = {{"old", 0}};
    fill_drive_list();
    std::vector<std::string> labels;
    for (auto &e : lists[drive_list].entries)
        labels.push_back(e.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"A:", "C: [System]", "D: []", "Z: [net]"}));
    // The removable drive is never queried.
    EXPECT_EQ(volumes_asked, (std::vector<std::string>{"C:\\", "D:\\", "Z:\\"}));

    const struct {
        const char *browse;
        int before;
        int after;
    } cases[] = {
        {"c:\\work\\", -1, 1},        // lower case matches its drive
        {"Z:\\", 0, 3},
        {"\\\\srv\\share\\", 2, 2},   // no drive: the selection stays
        {"B:\\", 1, 1},               // a drive that is not listed
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.browse);
        set_browse_folder(c.browse);
        lists[drive_list].selected = c.before;
        select_current_drive();
        EXPECT_EQ(lists[drive_list].selected, c.after);
        EXPECT_EQ(selected_drive(), "ACDZ"[c.after]);
    }
    lists[drive_list].selected = -1;
    EXPECT_EQ(selected_drive(), '\0');
}

} // namespace
