/* Local memory handles shared by the host and its decoder plug-ins.
 *
 * A plug-in hands its decoded picture back in blocks allocated here; the host
 * frees them. Because every block is allocated by this one library, the host
 * can ask the true size of any handle before it reads a byte from it, and a
 * handle that was never allocated here (or was freed) is recognised as such.
 * Usable from C and C++. */
#ifndef NUBIVU_LOCALMEM_H
#define NUBIVU_LOCALMEM_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define LOCALMEM_API __attribute__((visibility("default")))
#else
#define LOCALMEM_API
#endif

typedef void *HLOCAL;

#define LMEM_FIXED    0x0000u
#define LMEM_MOVEABLE 0x0002u
#define LMEM_ZEROINIT 0x0040u
#define LPTR          (LMEM_FIXED | LMEM_ZEROINIT)
#define LHND          (LMEM_MOVEABLE | LMEM_ZEROINIT)

/* A new block of `bytes` bytes (0 is allowed), or NULL when out of memory or
 * when flags holds bits other than the three above. */
LOCALMEM_API HLOCAL LocalAlloc(unsigned int flags, size_t bytes);
/* Address of the block's first byte, or NULL for an unknown handle.
 * Each lock of a moveable block is counted. */
LOCALMEM_API void *LocalLock(HLOCAL mem);
/* Non-zero while the block stays locked; 0 once its lock count reaches 0 or
 * for an unknown handle. */
LOCALMEM_API int LocalUnlock(HLOCAL mem);
/* NULL on success (also for NULL); the handle itself when it is unknown. */
LOCALMEM_API HLOCAL LocalFree(HLOCAL mem);
/* Size in bytes the block was allocated with; 0 for an unknown handle. */
LOCALMEM_API size_t LocalSize(HLOCAL mem);

#ifdef __cplusplus
}
#endif

#endif
