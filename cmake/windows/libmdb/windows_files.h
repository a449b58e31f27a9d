/* File names for libmdb on Windows: libmdb is handed UTF-8 names, as on
 * Linux, and opens them through the wide-character calls, which reach
 * every file; the C runtime's fopen and stat take names in the ANSI code
 * page. Included before every libmdb source file. */
#ifndef TALLOMAR_LIBMDB_WINDOWS_FILES_H
#define TALLOMAR_LIBMDB_WINDOWS_FILES_H

#include <stdio.h>
#include <sys/stat.h>

FILE* libmdb_fopen_utf8(const char* path, const char* mode);
int libmdb_stat_utf8(const char* path, struct stat* status);

#define fopen(path, mode) libmdb_fopen_utf8(path, mode)
#define stat(path, status) libmdb_stat_utf8(path, status)

#endif
