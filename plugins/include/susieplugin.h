/* The interface between Nubivu and its decoder plug-ins on Linux.
 *
 * A plug-in is an ELF shared object named "*.spi" exporting, with C linkage,
 * the entry points declared below (only those its kind needs). Their names
 * and argument order are those of the Susie plug-in interface; where that
 * interface carries an address or a memory size in a 32-bit integer, this one
 * carries a pointer-sized integer, so that 64-bit plug-ins work. Memory
 * handed back to the host comes from LocalAlloc (localmem.h).
 * Usable from C and C++. */
#ifndef NUBIVU_SUSIEPLUGIN_H
#define NUBIVU_SUSIEPLUGIN_H

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

/* Information text 0 names the plug-in's kind. */
#define SPI_KIND_IMPORT  "00IN" /* picture decoder */
#define SPI_KIND_ARCHIVE "00AM" /* archive reader */
#define SPI_KIND_EXTRA   "00XN"

/* Source flag: what the first two arguments of a decoding call describe. */
#define SPI_SOURCE_FILE   0u /* a NUL-terminated file name; length = byte offset of the picture */
#define SPI_SOURCE_MEMORY 1u /* the picture's first byte; length = bytes from there to the end */

/* Results of the decoding calls. */
#define SPI_ALL_RIGHT        0
#define SPI_NO_FUNCTION     (-1)
#define SPI_ABORT            1 /* the progress callback asked to stop */
#define SPI_UNKNOWN_FORMAT   2
#define SPI_BROKEN_DATA      3
#define SPI_NO_MEMORY        4
#define SPI_MEMORY_ERROR     5
#define SPI_FILE_READ_ERROR  6
#define SPI_OTHER_ERROR      8

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

/* Called by GetPicture/GetPreview while decoding: done of total, and the data
 * the host passed. Answer 0 to go on, 1 to stop (then return SPI_ABORT). */
typedef int32_t (*SpiProgressCallback)(int32_t done, int32_t total, intptr_t data);

/* Information text `infono` into buf (room for buflen characters plus NUL).
 * Answer the text's length, or 0 when there is no such text. Texts: 0 the
 * kind, 1 the title, then pairs of a filter ("*.abc;*.abd") and its
 * description from 2 on. */
typedef int32_t (*SpiGetPluginInfoFn)(int32_t infono, char *buf, int32_t buflen);
/* Non-zero when the plug-in claims the data; probe is the address of the
 * first SPI_PROBE_SIZE bytes of the data (more may follow). */
typedef int32_t (*SpiIsSupportedFn)(const char *filename, intptr_t probe);
typedef int32_t (*SpiGetPictureInfoFn)(const char *source, intptr_t len, uint32_t flag,
                                       SpiPictureInfo *info);
/* On SPI_ALL_RIGHT, *bitmap_info holds a BITMAPINFO block (40-byte header and
 * colour table) and *bits the bottom-up pixel rows padded to 4 bytes; the
 * host owns and frees both. */
typedef int32_t (*SpiGetPictureFn)(const char *source, intptr_t len, uint32_t flag,
                                   HLOCAL *bitmap_info, HLOCAL *bits,
                                   SpiProgressCallback progress, intptr_t data);
typedef SpiGetPictureFn SpiGetPreviewFn;
typedef int32_t (*SpiGetArchiveInfoFn)(const char *source, intptr_t len, uint32_t flag,
                                       HLOCAL *entries);
typedef int32_t (*SpiGetFileInfoFn)(const char *source, intptr_t len, const char *filename,
                                    uint32_t flag, void *entry);
typedef int32_t (*SpiGetFileFn)(const char *source, intptr_t len, char *dest, uint32_t flag,
                                SpiProgressCallback progress, intptr_t data);
typedef int32_t (*SpiConfigurationDlgFn)(void *parent, int32_t function);

/* The entry points, declared so that a plug-in's definitions are exported
 * even when it is built with hidden visibility (nubivu_plugin does that). */
SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char *buf, int32_t buflen);
SPI_EXPORT int32_t IsSupported(const char *filename, intptr_t probe);
SPI_EXPORT int32_t GetPictureInfo(const char *source, intptr_t len, uint32_t flag,
                                  SpiPictureInfo *info);
SPI_EXPORT int32_t GetPicture(const char *source, intptr_t len, uint32_t flag,
                              HLOCAL *bitmap_info, HLOCAL *bits,
                              SpiProgressCallback progress, intptr_t data);
SPI_EXPORT int32_t GetPreview(const char *source, intptr_t len, uint32_t flag,
                              HLOCAL *bitmap_info, HLOCAL *bits,
                              SpiProgressCallback progress, intptr_t data);
SPI_EXPORT int32_t GetArchiveInfo(const char *source, intptr_t len, uint32_t flag,
                                  HLOCAL *entries);
SPI_EXPORT int32_t GetFileInfo(const char *source, intptr_t len, const char *filename,
                               uint32_t flag, void *entry);
SPI_EXPORT int32_t GetFile(const char *source, intptr_t len, char *dest, uint32_t flag,
                           SpiProgressCallback progress, intptr_t data);
SPI_EXPORT int32_t ConfigurationDlg(void *parent, int32_t function);

#ifdef __cplusplus
}
#endif

#endif
