/* The interface between Nubivu and its decoder plug-ins on Linux.
 *
 * A plug-in is an ELF shared object named "*.spi" exporting, with C linkage,
 * the entry points declared below (only those its kind needs). Their names
 * and argument order are those of the Susie plug-in interface; where that
 * interface carries an address or a memory size in a 32-bit integer, this one
 * carries a pointer-sized integer, so that 64-bit plug-ins work.
 *
 * Calling convention: the platform's C calling convention (the System V ABI
 * on Linux); no __stdcall. Every entry point and the progress callback are
 * plain C functions.
 *
 * Threads: the host calls a plug-in from one thread at a time, and never
 * calls into it again while one of its calls is running (the progress
 * callback runs on the calling thread, inside GetPicture/GetPreview). A
 * plug-in needs no locks of its own, but must not keep state that a later
 * call from another thread could not use.
 *
 * Text: file names and information texts are UTF-8, NUL-terminated.
 *
 * Memory and ownership:
 *   - GetPluginInfo writes into the host's buffer; nothing changes hands.
 *   - GetPictureInfo: text_info is NULL, or a LocalAlloc'ed NUL-terminated
 *     text that the host frees with LocalFree.
 *   - GetPicture/GetPreview: on SPI_ALL_RIGHT both *bitmap_info and *bits are
 *     LocalAlloc'ed blocks (localmem.h) that the host owns and frees, also
 *     when it refuses what they hold. On any other result the host treats
 *     both as unset and frees nothing: a plug-in that fails frees its own
 *     blocks first.
 *   - Memory sources (SPI_SOURCE_MEMORY) stay the host's; read them only
 *     during the call.
 *
 * What the host accepts as output of GetPicture/GetPreview:
 *   - *bitmap_info: a BITMAPINFO block, little-endian: a header of 40
 *     (BITMAPINFOHEADER), 108 (BITMAPV4HEADER) or 124 (BITMAPV5HEADER)
 *     bytes; with BI_BITFIELDS and a 40-byte header, the three colour masks
 *     follow it; then the colour table of biClrUsed entries (or 2^depth when
 *     biClrUsed is 0, for depths up to 8), 4 bytes each: blue, green, red, 0.
 *     The block must hold all of it (LocalSize is checked).
 *   - compression BI_RGB (0) at 1, 4, 8, 16 (5-5-5), 24 or 32 bits, or
 *     BI_BITFIELDS (3) at 16 or 32 bits with one contiguous run of bits per
 *     colour, the runs not overlapping.
 *   - width 1 to SPI_MAX_SIDE_ACCEPTED; height 1 to SPI_MAX_SIDE_ACCEPTED for rows bottom-up,
 *     or -1 to -SPI_MAX_SIDE_ACCEPTED for rows top-down; biPlanes 1.
 *   - *bits: the pixel rows, each padded to a multiple of 4 bytes, in the
 *     order the height's sign says; the block holds at least every row.
 *   - alpha: a 32-bit BI_RGB picture is drawn opaque, whatever its fourth
 *     byte holds. Transparency is said as the platform's bitmaps say it: a
 *     108- or 124-byte header with BI_BITFIELDS and a non-zero alpha mask
 *     (straight, not premultiplied alpha). A picture whose alpha is 0
 *     everywhere is drawn opaque.
 *   - palette indices beyond the colour table are drawn black.
 * Anything else counts as a failed decode: the host tries the next plug-in.
 *
 * Version: SPI_NUBIVU_INTERFACE_VERSION names this interface. A plug-in may
 * export SpiNubivuInterfaceVersion() answering the version it was built
 * for; the host takes a plug-in without it as version 1.
 *
 * Usable from C and C++. */
#ifndef NUBIVU_SUSIEPLUGIN_H
#define NUBIVU_SUSIEPLUGIN_H

#include <stddef.h>
#include <stdint.h>

#include "localmem.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define SPI_EXPORT __attribute__((visibility("default")))
#else
#define SPI_EXPORT
#endif

/* This interface's version; raised when a change would break a plug-in
 * built for an earlier one. */
#define SPI_NUBIVU_INTERFACE_VERSION 1

/* Largest width or height the host accepts from a plug-in. */
#define SPI_MAX_SIDE_ACCEPTED (1 << 20)

/* Information text 0 names the plug-in's kind. */
#define SPI_KIND_IMPORT  "00IN" /* picture decoder */
#define SPI_KIND_ARCHIVE "00AM" /* archive reader */
#define SPI_KIND_EXTRA   "00XN"

/* Source flag: what the first two arguments of a decoding call describe. */
#define SPI_SOURCE_FILE   0u /* a NUL-terminated file name; length = byte offset of the picture */
#define SPI_SOURCE_MEMORY 1u /* the picture's first byte; length = bytes from there to the end */

/* Results of the decoding calls. */
#define SPI_ALL_RIGHT       0
#define SPI_NO_FUNCTION     (-1)
#define SPI_ABORT           1 /* the progress callback asked to stop */
#define SPI_UNKNOWN_FORMAT  2
#define SPI_BROKEN_DATA     3
#define SPI_NO_MEMORY       4
#define SPI_MEMORY_ERROR    5
#define SPI_FILE_READ_ERROR 6
#define SPI_OTHER_ERROR     8

/* Bytes of the file head the host hands to IsSupported (2,048, plus 128 for
 * data behind a MacBinary header). */
#define SPI_PROBE_SIZE 2048

/* Filled by GetPictureInfo. Packed, little-endian; text_info may hold a
 * LocalAlloc'ed text that the host frees. */
#pragma pack(push, 1)
typedef struct SpiPictureInfo {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    uint16_t x_density;
    uint16_t y_density;
    int16_t color_depth;
    HLOCAL text_info;
} SpiPictureInfo;
#pragma pack(pop)

/* The record's layout is fixed: 22 bytes of fields, then a pointer-sized
 * handle, no padding. */
#ifdef __cplusplus
static_assert(sizeof(SpiPictureInfo) == 22 + sizeof(void *), "SpiPictureInfo is packed");
static_assert(offsetof(SpiPictureInfo, x_density) == 16, "SpiPictureInfo layout");
static_assert(offsetof(SpiPictureInfo, color_depth) == 20, "SpiPictureInfo layout");
static_assert(offsetof(SpiPictureInfo, text_info) == 22, "SpiPictureInfo layout");
#else
_Static_assert(sizeof(SpiPictureInfo) == 22 + sizeof(void *), "SpiPictureInfo is packed");
_Static_assert(offsetof(SpiPictureInfo, x_density) == 16, "SpiPictureInfo layout");
_Static_assert(offsetof(SpiPictureInfo, color_depth) == 20, "SpiPictureInfo layout");
_Static_assert(offsetof(SpiPictureInfo, text_info) == 22, "SpiPictureInfo layout");
#endif

/* Called by GetPicture/GetPreview while decoding: done of total, and the data
 * the host passed. Answer 0 to go on, 1 to stop (then return SPI_ABORT). */
typedef int32_t (*SpiProgressCallback)(int32_t done, int32_t total, intptr_t data);

/* Information text `infono` into buf. buflen is the size of the buffer,
 * its terminating NUL included: write at most buflen - 1 characters and a
 * NUL (the host passes 255 and a buffer of 256 bytes). Answer the number of
 * characters written, or 0 when there is no such text. Texts: 0 the kind,
 * 1 the title, then pairs of a filter ("*.abc;*.abd") and its description
 * from 2 on. */
typedef int32_t (*SpiGetPluginInfoFn)(int32_t infono, char *buf, int32_t buflen);
/* Non-zero when the plug-in claims the data; probe is the address of the
 * first SPI_PROBE_SIZE bytes of the data (more may follow). */
typedef int32_t (*SpiIsSupportedFn)(const char *filename, intptr_t probe);
typedef int32_t (*SpiGetPictureInfoFn)(const char *source, intptr_t len, uint32_t flag,
                                       SpiPictureInfo *info);
/* On SPI_ALL_RIGHT, *bitmap_info holds a BITMAPINFO block and *bits the
 * pixel rows, as described at the top; the host owns and frees both. */
typedef int32_t (*SpiGetPictureFn)(const char *source, intptr_t len, uint32_t flag,
                                   HLOCAL *bitmap_info, HLOCAL *bits, SpiProgressCallback progress,
                                   intptr_t data);
typedef SpiGetPictureFn SpiGetPreviewFn;
typedef int32_t (*SpiGetArchiveInfoFn)(const char *source, intptr_t len, uint32_t flag,
                                       HLOCAL *entries);
typedef int32_t (*SpiGetFileInfoFn)(const char *source, intptr_t len, const char *filename,
                                    uint32_t flag, void *entry);
typedef int32_t (*SpiGetFileFn)(const char *source, intptr_t len, char *dest, uint32_t flag,
                                SpiProgressCallback progress, intptr_t data);
typedef int32_t (*SpiConfigurationDlgFn)(void *parent, int32_t function);
/* Optional: the SPI_NUBIVU_INTERFACE_VERSION the plug-in was built for. */
typedef int32_t (*SpiNubivuInterfaceVersionFn)(void);

/* The entry points, declared so that a plug-in's definitions are exported
 * even when it is built with hidden visibility (nubivu_plugin does that). */
SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char *buf, int32_t buflen);
SPI_EXPORT int32_t IsSupported(const char *filename, intptr_t probe);
SPI_EXPORT int32_t GetPictureInfo(const char *source, intptr_t len, uint32_t flag,
                                  SpiPictureInfo *info);
SPI_EXPORT int32_t GetPicture(const char *source, intptr_t len, uint32_t flag, HLOCAL *bitmap_info,
                              HLOCAL *bits, SpiProgressCallback progress, intptr_t data);
SPI_EXPORT int32_t GetPreview(const char *source, intptr_t len, uint32_t flag, HLOCAL *bitmap_info,
                              HLOCAL *bits, SpiProgressCallback progress, intptr_t data);
SPI_EXPORT int32_t GetArchiveInfo(const char *source, intptr_t len, uint32_t flag, HLOCAL *entries);
SPI_EXPORT int32_t GetFileInfo(const char *source, intptr_t len, const char *filename,
                               uint32_t flag, void *entry);
SPI_EXPORT int32_t GetFile(const char *source, intptr_t len, char *dest, uint32_t flag,
                           SpiProgressCallback progress, intptr_t data);
SPI_EXPORT int32_t ConfigurationDlg(void *parent, int32_t function);
SPI_EXPORT int32_t SpiNubivuInterfaceVersion(void);

#ifdef __cplusplus
}
#endif

#endif
