/* The file platform over memory. Names are compared as bytes; a folder must exist before
 * anything is made in it, as on a real file system, so that the folder creation of the
 * code under test is exercised in full. */
#include "tests/fuzz/memory_platform.h"
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include "fileio/platform_file.h"
#include "fileio/code_page_932.h"

typedef struct memory_node {
    int used;
    int folder;
    char name[memory_name_limit];
    uint8_t *data;
    uint32_t size;
    uint32_t capacity;
} memory_node;

typedef struct memory_open {
    int used;
    int node;
    unsigned access;
    uint32_t position;
} memory_open;

#define open_limit 8

static memory_node nodes[memory_node_limit];
static memory_open opens[open_limit];
static uint32_t data_total;
void (*memory_on_create)(const char *name);

void memory_reset(void)
{
    for (int i = 0; i < memory_node_limit; i++)
        free(nodes[i].data);
    memset(nodes, 0, sizeof nodes);
    memset(opens, 0, sizeof opens);
    data_total = 0;
}

static int find(const char *name)
{
    for (int i = 0; i < memory_node_limit; i++)
        if (nodes[i].used && strcmp(nodes[i].name, name) == 0)
            return i;
    return -1;
}

/* The parent folder of a name exists when the name has no backslash, or when the part
 * before its last backslash is an existing folder (or empty: the root). */
static int parent_exists(const char *name)
{
    const char *last = 0;
    for (const char *p = name; *p != '\0'; p = platform_char_next(p))
        if (*p == '\\')
            last = p;
    if (last == 0 || last == name)
        return 1;
    char parent[memory_name_limit];
    size_t length = (size_t)(last - name);
    memcpy(parent, name, length);
    parent[length] = '\0';
    int i = find(parent);
    return i >= 0 && nodes[i].folder;
}

static int add_node(const char *name, int folder, uint32_t *error)
{
    if (strlen(name) >= memory_name_limit) {
        *error = ENAMETOOLONG;
        return -1;
    }
    if (name[0] == '\0' || !parent_exists(name)) {
        *error = ENOENT;
        return -1;
    }
    for (int i = 0; i < memory_node_limit; i++) {
        if (!nodes[i].used) {
            nodes[i].used = 1;
            nodes[i].folder = folder;
            strcpy(nodes[i].name, name);
            if (memory_on_create)
                memory_on_create(name);
            return i;
        }
    }
    *error = ENOSPC;
    return -1;
}

static int set_size(memory_node *node, uint32_t size)
{
    if (size > node->capacity) {
        uint32_t capacity = node->capacity ? node->capacity : 256;
        while (capacity < size)
            capacity *= 2;
        uint8_t *grown = realloc(node->data, capacity);
        if (grown == 0)
            return 0;
        node->data = grown;
        node->capacity = capacity;
    }
    if (size > node->size)
        memset(node->data + node->size, 0, size - node->size);
    data_total = data_total - node->size + size;
    node->size = size;
    return 1;
}

void memory_put_file(const char *name, const uint8_t *data, size_t size)
{
    uint32_t error = 0;
    int i = find(name);
    if (i < 0)
        i = add_node(name, 0, &error);
    if (i < 0 || !set_size(&nodes[i], (uint32_t)size))
        abort();
    if (size)
        memcpy(nodes[i].data, data, size);
}

void memory_put_folder(const char *name)
{
    uint32_t error = 0;
    if (find(name) < 0 && add_node(name, 1, &error) < 0)
        abort();
}

const uint8_t *memory_file(const char *name, uint32_t *size)
{
    int i = find(name);
    if (i < 0 || nodes[i].folder)
        return 0;
    *size = nodes[i].size;
    return nodes[i].data ? nodes[i].data : (const uint8_t *)"";
}

static memory_open *open_of(platform_handle handle)
{
    if (handle == 0 || handle > open_limit || !opens[handle - 1].used)
        abort(); /* the code under test used a handle it does not hold */
    return &opens[handle - 1];
}

uint32_t platform_open(const char *name, unsigned access, int create_always, platform_handle *handle)
{
    int slot = 0;
    while (slot < open_limit && opens[slot].used)
        slot++;
    if (slot == open_limit)
        return EMFILE;
    int i = find(name);
    uint32_t error = 0;
    if (i >= 0 && nodes[i].folder)
        return EISDIR;
    if (i < 0) {
        if (!create_always)
            return ENOENT;
        i = add_node(name, 0, &error);
        if (i < 0)
            return error;
    } else if (create_always) {
        set_size(&nodes[i], 0);
        if (memory_on_create)
            memory_on_create(name);
    }
    opens[slot] = (memory_open){1, i, access, 0};
    *handle = (platform_handle)slot + 1;
    return 0;
}

uint32_t platform_read(platform_handle handle, void *buffer, uint32_t bytes, uint32_t *done)
{
    memory_open *o = open_of(handle);
    memory_node *node = &nodes[o->node];
    if (!(o->access & access_read))
        return EBADF;
    uint32_t left = o->position < node->size ? node->size - o->position : 0;
    uint32_t n = bytes < left ? bytes : left;
    if (n)
        memcpy(buffer, node->data + o->position, n);
    o->position += n;
    *done = n;
    return 0;
}

uint32_t platform_write(platform_handle handle, const void *buffer, uint32_t bytes, uint32_t *done)
{
    memory_open *o = open_of(handle);
    memory_node *node = &nodes[o->node];
    if (!(o->access & access_write))
        return EBADF;
    uint32_t end = o->position + bytes;
    if (end < o->position || data_total - node->size + (end > node->size ? end : node->size) > memory_data_limit)
        return ENOSPC;
    if (end > node->size && !set_size(node, end))
        return ENOSPC;
    if (bytes)
        memcpy(node->data + o->position, buffer, bytes);
    o->position = end;
    *done = bytes;
    return 0;
}

uint32_t platform_seek(platform_handle handle, uint32_t position)
{
    open_of(handle)->position = position;
    return 0;
}

uint32_t platform_position(platform_handle handle, uint32_t *position)
{
    *position = open_of(handle)->position;
    return 0;
}

uint32_t platform_size(platform_handle handle, uint32_t *size)
{
    *size = nodes[open_of(handle)->node].size;
    return 0;
}

uint32_t platform_close(platform_handle handle)
{
    open_of(handle)->used = 0;
    return 0;
}

uint32_t platform_delete(const char *name)
{
    int i = find(name);
    if (i < 0)
        return ENOENT;
    if (nodes[i].folder)
        return EISDIR;
    for (int slot = 0; slot < open_limit; slot++)
        if (opens[slot].used && opens[slot].node == i)
            return EACCES; /* Win32 does not delete an open file */
    data_total -= nodes[i].size;
    free(nodes[i].data);
    memset(&nodes[i], 0, sizeof nodes[i]);
    return 0;
}

uint32_t platform_make_folder(const char *path)
{
    uint32_t error = 0;
    if (find(path) >= 0)
        return EEXIST;
    return add_node(path, 1, &error) < 0 ? error : 0;
}

uint32_t platform_change_folder(const char *path)
{
    int i = find(path);
    return i >= 0 && nodes[i].folder ? 0 : ENOENT;
}

uint32_t platform_set_times(platform_handle handle, const uint64_t times[3])
{
    (void)times;
    open_of(handle);
    return 0;
}

int platform_probe(const char *name, uint32_t *attributes)
{
    int i = find(name);
    if (i < 0)
        return 0;
    *attributes = nodes[i].folder ? attribute_folder : 0;
    return 1;
}

const char *platform_char_next(const char *p)
{
    return cp932_char_next(p);
}
