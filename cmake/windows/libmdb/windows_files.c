#include "windows_files.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* A UTF-8 text as a new wide-character text; NULL when it is not UTF-8. */
static wchar_t* widen(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, NULL, 0);
    if (length <= 0) return NULL;
    wchar_t* wide = malloc(sizeof(wchar_t) * (size_t)length);
    if (wide && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, length) != length) {
        free(wide);
        wide = NULL;
    }
    return wide;
}

#undef fopen
FILE* libmdb_fopen_utf8(const char* path, const char* mode) {
    wchar_t* widePath = widen(path);
    wchar_t* wideMode = widen(mode);
    FILE* file = widePath && wideMode ? _wfopen(widePath, wideMode) : NULL;
    free(widePath);
    free(wideMode);
    return file;
}

#undef stat
int libmdb_stat_utf8(const char* path, struct stat* status) {
    wchar_t* widePath = widen(path);
    struct _stat64 wideStatus;
    const int result = widePath ? _wstat64(widePath, &wideStatus) : -1;
    free(widePath);
    if (result == 0) {
        memset(status, 0, sizeof *status);
        status->st_mode = wideStatus.st_mode;
        status->st_size = (_off_t)wideStatus.st_size;
    }
    return result;
}
