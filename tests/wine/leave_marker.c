/* Started as an archive's run_after: writes the folder it was started in into
 * marker.txt in that folder, so a test can see that it ran and where. */
#include <windows.h>

int main(void)
{
    char folder[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    HANDLE marker = CreateFileA("marker.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written;
    if (marker == INVALID_HANDLE_VALUE || !WriteFile(marker, folder, length, &written, NULL))
        return 1;
    CloseHandle(marker);
    return 0;
}
