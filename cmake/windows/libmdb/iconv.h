/* The part of iconv that libmdb uses, for Windows, which has none: between
 * UTF-8, UCS-2LE (the text of Jet 4 files) and the Windows code pages (the
 * text of Jet 3 files), with glibc's behaviour at the edges: a character
 * the target cannot hold or bytes that are not valid in the source stop the
 * conversion with EILSEQ, a source that ends inside a character with
 * EINVAL, a full target with E2BIG. */
#ifndef TALLOMAR_LIBMDB_ICONV_H
#define TALLOMAR_LIBMDB_ICONV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct libmdb_iconv* iconv_t;

iconv_t iconv_open(const char* to, const char* from);
size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft);
int iconv_close(iconv_t converter);

#ifdef __cplusplus
}
#endif

#endif
