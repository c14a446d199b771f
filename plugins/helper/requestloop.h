#pragma once
// The plug-in helper's side of the protocol (spi/helperprotocol.h): reads the
// program's requests, calls the plug-in, answers, and hands decoded bitmaps
// over through shared memory. Both helpers run it, the native one and the one
// for Windows plug-ins; what differs between them lies behind Platform.
#include "spi/helperprotocol.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nubivu::helper
{

// The results of the decoding calls that the loop answers for the plug-in
// (the same for every kind of plug-in).
inline constexpr int32_t kAllRight = 0;
inline constexpr int32_t kNoFunction = -1;
inline constexpr int32_t kOtherError = 8;

// A block of the plug-in's local memory, whichever allocator it came from.
using MemoryHandle = void *;

// A picture's source as the plug-in takes it: a file name in the plug-in's
// own spelling (NUL-ended, as std::string keeps it), or the bytes.
struct CallSource {
    std::string bytes;
    int64_t length = 0; // the picture's offset in the file, or the bytes' count
    uint32_t flag = 0;
    bool ok = true; // false: the source could not be put in a form the plug-in takes
};

// What GetPictureInfo fills, whatever the plug-in's own layout of it.
struct PictureFacts {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t xDensity = 0;
    uint16_t yDensity = 0;
    int16_t colorDepth = 0;
    MemoryHandle text = nullptr;
};

// What the loop needs from the system it runs on and from the plug-in's
// calling convention. An entry point travels as the address the platform's
// entry() found; the calls turn it back into the plug-in's own function type.
class Platform
{
  public:
    virtual ~Platform() = default;

    // The channel to the program: the bytes moved in one go, 0 once the
    // program is gone.
    virtual size_t readSome(char *p, size_t size) = 0;
    virtual size_t writeSome(const char *p, size_t size) = 0;
    // Ends this process at once: the program is gone or makes no sense.
    [[noreturn]] virtual void quit() = 0;

    // The shared memory that takes decoded bitmaps.
    virtual bool resizeShared(uint64_t size) = 0;
    virtual bool writeShared(const void *p, size_t size, uint64_t at) = 0;

    // The local memory handles a plug-in hands back. A handle that did not
    // come from its allocator has size 0.
    virtual size_t localSize(MemoryHandle handle) = 0;
    virtual const void *localLock(MemoryHandle handle) = 0;
    virtual void localUnlock(MemoryHandle handle) = 0;
    virtual void localFree(MemoryHandle handle) = 0;

    // Loads the plug-in; on failure `why` says what went wrong.
    virtual bool load(std::string_view path, std::string &why) = 0;
    // An entry point of the loaded plug-in, or null.
    virtual void *entry(const char *name) = 0;
    // The loaded module's path as the program should know it.
    virtual std::string modulePath() = 0;

    // The calls of the entry points, in the plug-in's own terms.
    virtual int32_t getPluginInfo(void *fn, int32_t number, char *buffer, int32_t length) = 0;
    // The text GetPluginInfo wrote into a buffer of length + 2 bytes, as the
    // program reads it.
    virtual std::string pluginText(char *buffer, int32_t length) = 0;
    virtual int32_t isSupported(void *fn, std::string_view name, const char *probe) = 0;
    virtual CallSource callSource(const PictureSource &source) = 0;
    virtual int32_t getPictureInfo(void *fn, const CallSource &source, PictureFacts &facts) = 0;
    // The platform's progress callback forwards to RequestLoop::relayProgress.
    virtual int32_t getPicture(void *fn, const CallSource &source, bool withProgress,
                               MemoryHandle &info, MemoryHandle &bits) = 0;
};

class RequestLoop
{
  public:
    explicit RequestLoop(Platform &platform) : platform_(platform)
    {
    }
    // Answers requests until the program is gone.
    [[noreturn]] void run();
    // A plug-in's progress report, handed to the program of the running loop;
    // answers what the program said (0 go on, non-zero stop).
    static int32_t relayProgress(int32_t done, int32_t total);

  private:
    void readAll(char *p, size_t size);
    Message readFrame(std::string &payload);
    void send(WireWriter &w);
    void result(int32_t value);
    void *entry(Entry e) const
    {
        return entries_[uint32_t(e)];
    }

    void load(WireReader &r);
    void getPluginInfo(WireReader &r);
    void isSupported(WireReader &r);
    void getPictureInfo(WireReader &r);
    void getPicture(WireReader &r);
    int32_t progress(int32_t done, int32_t total);

    Platform &platform_;
    void *entries_[kEntryCount] = {};
};

} // namespace nubivu::helper
