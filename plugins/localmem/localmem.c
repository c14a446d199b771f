/* Local memory handles. Every live block is kept in a table, so that a handle
 * can be checked before it is used: a plug-in that hands back a stale or
 * made-up handle gets size 0 and a NULL lock instead of a wild read. */
#include "localmem.h"

#include <pthread.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

typedef struct Block {
    void *data;
    size_t size;
    unsigned int flags;
    unsigned int locks;
} Block;

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static Block *table;    /* open addressing, linear probing; data NULL = free, TOMBSTONE = deleted */
static size_t capacity; /* a power of two, or 0 */
static size_t used;     /* live + deleted slots */

static char tombstone_byte;
#define TOMBSTONE ((void *)&tombstone_byte)

static size_t slot_of(const void *p)
{
    uintptr_t h = (uintptr_t)p;
    h ^= h >> 17;
    h *= (uintptr_t)0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    return (size_t)h & (capacity - 1);
}

static Block *find(const void *p)
{
    if (!p || capacity == 0)
        return NULL;
    for (size_t i = slot_of(p), n = 0; n < capacity; i = (i + 1) & (capacity - 1), ++n) {
        if (table[i].data == p)
            return &table[i];
        if (table[i].data == NULL)
            return NULL;
    }
    return NULL;
}

static int grow(void)
{
    size_t live = 0;
    for (size_t i = 0; i < capacity; ++i)
        if (table[i].data && table[i].data != TOMBSTONE)
            ++live;
    size_t newCapacity = capacity ? capacity : 64;
    while (newCapacity / 2 <= live + 1)
        newCapacity *= 2;
    Block *fresh = calloc(newCapacity, sizeof *fresh);
    if (!fresh)
        return 0;
    Block *old = table;
    size_t oldCapacity = capacity;
    table = fresh;
    capacity = newCapacity;
    used = 0;
    for (size_t i = 0; i < oldCapacity; ++i) {
        if (!old[i].data || old[i].data == TOMBSTONE)
            continue;
        size_t j = slot_of(old[i].data);
        while (table[j].data)
            j = (j + 1) & (capacity - 1);
        table[j] = old[i];
        ++used;
    }
    free(old);
    return 1;
}

HLOCAL LocalAlloc(unsigned int flags, size_t bytes)
{
    if (flags & ~(LMEM_MOVEABLE | LMEM_ZEROINIT))
        return NULL;
    /* Zero-sized blocks still get a unique address of their own. */
    void *data = (flags & LMEM_ZEROINIT) ? calloc(1, bytes ? bytes : 1) : malloc(bytes ? bytes : 1);
    if (!data)
        return NULL;
    pthread_mutex_lock(&lock);
    if ((used + 1) * 4 >= capacity * 3 && !grow()) {
        pthread_mutex_unlock(&lock);
        free(data);
        return NULL;
    }
    size_t i = slot_of(data);
    while (table[i].data && table[i].data != TOMBSTONE)
        i = (i + 1) & (capacity - 1);
    if (!table[i].data)
        ++used;
    table[i].data = data;
    table[i].size = bytes;
    table[i].flags = flags;
    table[i].locks = 0;
    pthread_mutex_unlock(&lock);
    return data;
}

void *LocalLock(HLOCAL mem)
{
    pthread_mutex_lock(&lock);
    Block *b = find(mem);
    void *result = NULL;
    if (b) {
        if ((b->flags & LMEM_MOVEABLE) && b->locks < 0xFFu)
            ++b->locks;
        result = b->data;
    }
    pthread_mutex_unlock(&lock);
    return result;
}

int LocalUnlock(HLOCAL mem)
{
    pthread_mutex_lock(&lock);
    Block *b = find(mem);
    int stillLocked = 0;
    if (b && b->locks > 0)
        stillLocked = --b->locks > 0;
    pthread_mutex_unlock(&lock);
    return stillLocked;
}

HLOCAL LocalFree(HLOCAL mem)
{
    if (!mem)
        return NULL;
    pthread_mutex_lock(&lock);
    Block *b = find(mem);
    if (!b) {
        pthread_mutex_unlock(&lock);
        return mem;
    }
    b->data = TOMBSTONE;
    pthread_mutex_unlock(&lock);
    free(mem);
    return NULL;
}

size_t LocalSize(HLOCAL mem)
{
    pthread_mutex_lock(&lock);
    Block *b = find(mem);
    size_t size = b ? b->size : 0;
    pthread_mutex_unlock(&lock);
    return size;
}
