/* A 32-bit Windows decoder plug-in for the made-up test format (nubitest.h),
 * built with the mingw-w64 i686 compiler and run by the helper under Wine.
 * It talks like the plug-ins users own: stdcall entry points, a 26-byte
 * PictureInfo, texts in code page 932, Windows file names, and the
 * misbehaviour of the WILD variant of the native test plug-in. */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "nubitest.h"

#pragma pack(push, 1)
typedef struct PictureInfo {
    LONG left, top, width, height;
    WORD x_density, y_density;
    SHORT color_depth;
    HLOCAL text_info;
} PictureInfo;
#pragma pack(pop)

typedef int(__stdcall *ProgressFn)(int done, int total, LONG data);

/* "テスト画像" and "なびゅ試験プラグイン" in code page 932. */
static const char *const texts[] = {
    "00IN",
    "\x82\xc8\x82\xd1\x82\xe3\x8e\x8e\x8c\xb1\x83\x76\x83\x89\x83\x4f\x83\x43\x83\x93",
    "*.nbt",
    "\x83\x65\x83\x58\x83\x67\x89\xe6\x91\x9c",
};

static char lastName[MAX_PATH * 2];

__declspec(dllexport) int __stdcall GetPluginInfo(int infono, LPSTR buf, int buflen)
{
    if (infono < 0 || infono >= (int)(sizeof texts / sizeof texts[0]) || buflen <= 0)
        return 0;
    lstrcpynA(buf, texts[infono], buflen);
    return lstrlenA(buf);
}

/* The header from a file (name in code page 932, offset) or from memory. */
static int readHeader(LPCSTR source, LONG len, UINT flag, NubiHeader *h)
{
    unsigned char raw[NUBI_HEADER_SIZE];
    if (flag == 1) {
        if (len < NUBI_HEADER_SIZE)
            return 0;
        memcpy(raw, source, sizeof raw);
    } else {
        HANDLE f = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        DWORD n = 0;
        if (f == INVALID_HANDLE_VALUE)
            return 0;
        lstrcpynA(lastName, source, sizeof lastName);
        int ok = SetFilePointer(f, len, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                 ReadFile(f, raw, sizeof raw, &n, NULL) && n == sizeof raw;
        CloseHandle(f);
        if (!ok)
            return 0;
    }
    return nubiParseHeader(raw, h);
}

__declspec(dllexport) int __stdcall IsSupported(LPCSTR filename, DWORD probe)
{
    NubiHeader h;
    (void)filename;
    int ours = nubiParseHeader((const unsigned char *)(uintptr_t)probe, &h);
    if (ours && h.lie == NUBI_WILD_PROBE_CRASH)
        *(volatile int *)(uintptr_t)(h.seed & 0) = 1;
    return ours;
}

__declspec(dllexport) int __stdcall GetPictureInfo(LPCSTR source, LONG len, UINT flag,
                                                   PictureInfo *info)
{
    NubiHeader h;
    if (!readHeader(source, len, flag, &h))
        return 2;
    memset(info, 0, sizeof *info);
    info->width = (LONG)h.width;
    info->height = (LONG)h.height;
    info->color_depth = (SHORT)h.bits;
    /* The file name the plug-in was given, or "memory": the test reads it back. */
    const char *seen = flag == 1 ? "memory" : lastName;
    info->text_info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (SIZE_T)lstrlenA(seen) + 1);
    if (info->text_info) {
        lstrcpyA((LPSTR)LocalLock(info->text_info), seen);
        LocalUnlock(info->text_info);
    }
    return 0;
}

static void put32(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

static int decode(LPCSTR source, LONG len, UINT flag, HLOCAL *pInfo, HLOCAL *pBits,
                  ProgressFn progress, LONG data, unsigned seedFlip)
{
    NubiHeader h;
    if (!readHeader(source, len, flag, &h))
        return 2;
    if (h.lie == NUBI_WILD_CRASH)
        *(volatile int *)(uintptr_t)(h.seed & 0) = 1;
    if (h.lie == NUBI_WILD_HANG)
        for (;;)
            Sleep(1000);
    if (h.lie == NUBI_WILD_EXIT)
        ExitProcess(0);
    if (h.lie == NUBI_WILD_CHATTY) {
        printf("decoding %ux%u\n", h.width, h.height);
        fflush(stdout);
    }
    h.seed ^= seedFlip;
    uint32_t colors = h.bits <= 8 ? 1u << h.bits : 0;
    uint32_t stride = ((uint32_t)h.bits * h.width + 31) / 32 * 4;
    SIZE_T infoSize = 40 + 4 * colors, imageSize = (SIZE_T)stride * h.height;
    HLOCAL hInfo = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, infoSize);
    HLOCAL hBits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, imageSize);
    if (!hInfo || !hBits) {
        if (hInfo)
            LocalFree(hInfo);
        if (hBits)
            LocalFree(hBits);
        return 4;
    }
    unsigned char *bi = LocalLock(hInfo);
    put32(bi, 40);
    put32(bi + 4, h.width);
    put32(bi + 8, h.height);
    bi[12] = 1;
    bi[14] = (unsigned char)h.bits;
    put32(bi + 20, (uint32_t)imageSize);
    for (uint32_t k = 0; k < colors; ++k)
        put32(bi + 40 + 4 * k, nubiPaletteEntry(k));
    LocalUnlock(hInfo);

    unsigned char *bits = LocalLock(hBits);
    for (uint32_t row = 0; row < h.height; ++row) {
        if (progress && progress((int)row, (int)h.height, data)) {
            LocalUnlock(hBits);
            LocalFree(hInfo);
            LocalFree(hBits);
            return 1;
        }
        nubiFillRow(&h, h.height - 1 - row, bits + (SIZE_T)row * stride);
    }
    LocalUnlock(hBits);
    if (progress && progress((int)h.height, (int)h.height, data)) {
        LocalFree(hInfo);
        LocalFree(hBits);
        return 1;
    }
    *pInfo = hInfo;
    *pBits = hBits;
    return 0;
}

__declspec(dllexport) int __stdcall GetPicture(LPCSTR source, LONG len, UINT flag, HLOCAL *info,
                                               HLOCAL *bits, ProgressFn progress, LONG data)
{
    return decode(source, len, flag, info, bits, progress, data, 0);
}

__declspec(dllexport) int __stdcall GetPreview(LPCSTR source, LONG len, UINT flag, HLOCAL *info,
                                               HLOCAL *bits, ProgressFn progress, LONG data)
{
    return decode(source, len, flag, info, bits, progress, data, NUBI_PREVIEW_FLIP);
}
