#include "iconv.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

enum { kUtf8 = CP_UTF8, kUcs2 = 1200 };

struct libmdb_iconv {
    unsigned from;
    unsigned to;
};

/* The code page an iconv name stands for, 0 when it is none we convert:
 * the names libmdb gives (mdb_iconv_name_from_code_page) and the
 * CPnnn/WINDOWS-nnn/IBMnnn forms. */
static unsigned codePageOf(const char* name) {
    static const struct {
        const char* name;
        unsigned codePage;
    } kNamed[] = {
        {"UTF-8", kUtf8},       {"UCS-2LE", kUcs2},    {"SHIFT-JIS", 932},    {"BIG-5", 950},
        {"BIG5-HKSCS", 951},    {"KOI8-R", 20866},     {"KOI8-U", 21866},     {"EUC-JP", 20932},
        {"EUC-CN", 51936},      {"EUC-KR", 51949},     {"ISO-8859-1", 28591}, {"ISO-8859-2", 28592},
        {"ISO-8859-3", 28593},  {"ISO-8859-4", 28594}, {"ISO-8859-5", 28595}, {"ISO-8859-6", 28596},
        {"ISO-8859-7", 28597},  {"ISO-8859-8", 28598}, {"ISO-8859-9", 28599}, {"ISO-8859-13", 28603},
        {"ISO-8859-15", 28605}, {"CP1361", 1361},
    };
    for (size_t i = 0; i < sizeof kNamed / sizeof kNamed[0]; ++i)
        if (_stricmp(name, kNamed[i].name) == 0) return kNamed[i].codePage;
    static const char* const kNumbered[] = {"WINDOWS-", "CP", "IBM"};
    for (size_t i = 0; i < sizeof kNumbered / sizeof kNumbered[0]; ++i) {
        const size_t length = strlen(kNumbered[i]);
        if (_strnicmp(name, kNumbered[i], length) == 0) {
            char* end = NULL;
            const unsigned long number = strtoul(name + length, &end, 10);
            if (end != name + length && *end == '\0' && number > 0 && number < 65536 && IsValidCodePage(number))
                return (unsigned)number;
        }
    }
    return 0;
}

iconv_t iconv_open(const char* to, const char* from) {
    const unsigned toPage = codePageOf(to);
    const unsigned fromPage = codePageOf(from);
    iconv_t converter = toPage && fromPage ? malloc(sizeof *converter) : NULL;
    if (!converter) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    converter->from = fromPage;
    converter->to = toPage;
    return converter;
}

int iconv_close(iconv_t converter) {
    free(converter);
    return 0;
}

/* Reads one character of `size` bytes at `in`: its UTF-16 units into
 * `units` (one or two), and how many bytes it took. Returns 0 or the errno
 * that stops the conversion. */
static int readCharacter(unsigned codePage, const unsigned char* in, size_t size, wchar_t units[2], int* unitCount,
                         size_t* taken) {
    if (codePage == kUcs2) {
        if (size < 2) return EINVAL;
        units[0] = (wchar_t)(in[0] | in[1] << 8);
        if (units[0] >= 0xD800 && units[0] <= 0xDFFF) return EILSEQ;
        *unitCount = 1;
        *taken = 2;
        return 0;
    }
    size_t length = 1;
    if (codePage == kUtf8) {
        length = in[0] < 0x80 ? 1 : in[0] >= 0xF0 ? 4 : in[0] >= 0xE0 ? 3 : 2;
    } else if (IsDBCSLeadByteEx(codePage, in[0])) {
        length = 2;
    }
    if (size < length) return EINVAL;
    const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, (const char*)in, (int)length, units, 2);
    if (count <= 0) return EILSEQ;
    *unitCount = count;
    *taken = length;
    return 0;
}

/* Writes the character's UTF-16 units in the target's encoding; returns
 * the bytes written, or -1 with `error` set. */
static int writeCharacter(unsigned codePage, const wchar_t units[2], int unitCount, char* out, size_t room,
                          int* error) {
    char bytes[8];
    int length;
    if (codePage == kUcs2) {
        if (unitCount != 1) {
            *error = EILSEQ;
            return -1;
        }
        bytes[0] = (char)(units[0] & 0xFF);
        bytes[1] = (char)(units[0] >> 8);
        length = 2;
    } else {
        BOOL usedDefault = FALSE;
        const DWORD flags = codePage == kUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
        length = WideCharToMultiByte(codePage, flags, units, unitCount, bytes, (int)sizeof bytes, NULL,
                                     codePage == kUtf8 ? NULL : &usedDefault);
        if (length <= 0 || usedDefault) {
            *error = EILSEQ;
            return -1;
        }
    }
    if ((size_t)length > room) {
        *error = E2BIG;
        return -1;
    }
    memcpy(out, bytes, (size_t)length);
    return length;
}

size_t iconv(iconv_t converter, char** in, size_t* inLeft, char** out, size_t* outLeft) {
    if (!in || !*in) return 0; /* no shift state to reset */
    while (*inLeft > 0) {
        wchar_t units[2];
        int unitCount = 0;
        size_t taken = 0;
        int error = readCharacter(converter->from, (const unsigned char*)*in, *inLeft, units, &unitCount, &taken);
        const int written = error ? -1 : writeCharacter(converter->to, units, unitCount, *out, *outLeft, &error);
        if (written < 0) {
            errno = error;
            return (size_t)-1;
        }
        *in += taken;
        *inLeft -= taken;
        *out += written;
        *outLeft -= (size_t)written;
    }
    return 0;
}
