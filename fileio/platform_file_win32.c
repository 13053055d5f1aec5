/* The file platform over Win32's ANSI entry points. */
#include <windows.h>
#include "fileio/platform_file.h"

static uint32_t last_error(void)
{
    DWORD error = GetLastError();
    return error != 0 ? (uint32_t)error : (uint32_t)ERROR_GEN_FAILURE;
}

uint32_t platform_open(const char *name, unsigned access, int create_always, platform_handle *handle)
{
    DWORD desired = 0;
    if (access & access_read)
        desired |= GENERIC_READ;
    if (access & access_write)
        desired |= GENERIC_WRITE;
    HANDLE h = CreateFileA(name, desired, FILE_SHARE_READ, NULL,
                           create_always ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return last_error();
    *handle = (platform_handle)h;
    return 0;
}

uint32_t platform_read(platform_handle handle, void *buffer, uint32_t bytes, uint32_t *done)
{
    DWORD got = 0;
    if (!ReadFile((HANDLE)handle, buffer, bytes, &got, NULL))
        return last_error();
    *done = got;
    return 0;
}

uint32_t platform_write(platform_handle handle, const void *buffer, uint32_t bytes, uint32_t *done)
{
    DWORD put = 0;
    if (!WriteFile((HANDLE)handle, buffer, bytes, &put, NULL))
        return last_error();
    *done = put;
    return 0;
}

uint32_t platform_seek(platform_handle handle, uint32_t position)
{
    if (SetFilePointer((HANDLE)handle, (LONG)position, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return last_error();
    return 0;
}

uint32_t platform_position(platform_handle handle, uint32_t *position)
{
    DWORD at = SetFilePointer((HANDLE)handle, 0, NULL, FILE_CURRENT);
    if (at == INVALID_SET_FILE_POINTER)
        return last_error();
    *position = at;
    return 0;
}

uint32_t platform_size(platform_handle handle, uint32_t *size)
{
    DWORD low = GetFileSize((HANDLE)handle, NULL);
    if (low == INVALID_FILE_SIZE)
        return last_error();
    *size = low;
    return 0;
}

uint32_t platform_close(platform_handle handle)
{
    return CloseHandle((HANDLE)handle) ? 0 : last_error();
}

uint32_t platform_delete(const char *name)
{
    return DeleteFileA(name) ? 0 : last_error();
}

uint32_t platform_make_folder(const char *path)
{
    return CreateDirectoryA(path, NULL) ? 0 : last_error();
}

uint32_t platform_change_folder(const char *path)
{
    return SetCurrentDirectoryA(path) ? 0 : last_error();
}

uint32_t platform_set_times(platform_handle handle, const uint64_t times[3])
{
    FILETIME t[3];
    for (int i = 0; i < 3; i++) {
        t[i].dwLowDateTime = (DWORD)times[i];
        t[i].dwHighDateTime = (DWORD)(times[i] >> 32);
    }
    return SetFileTime((HANDLE)handle, &t[0], &t[1], &t[2]) ? 0 : last_error();
}

int platform_probe(const char *name, uint32_t *attributes)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    *attributes = found.dwFileAttributes;
    return 1;
}

const char *platform_char_next(const char *p)
{
    return CharNextA(p);
}
