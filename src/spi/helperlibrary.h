#pragma once
// A plug-in that runs in a helper process of its own: a crash or a hang of
// its code ends only that process. Every call has a time limit; past it, or
// when the helper dies, the call fails the way a plug-in's own failure does,
// and the helper is started afresh for the next call. A plug-in that fails
// this way three times in a session is set aside: its calls fail at once.
#include "spi/libraryloader.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace nubivu {

struct HelperTimeouts {
    int loadMs = 5000;          // start, load and the short calls
    int wineLoadMs = 120000;    // start and load under Wine, which may first make its prefix
    int pictureMs = 15000;      // GetPicture/GetPreview, plus:
    int pictureMsPerMiB = 2000; // for every MiB of the data
    int failuresToSetAside = 3;
};

// What a helper library is held to, and who hears that it set its plug-in aside.
struct HelperPolicy {
    HelperTimeouts limits;
    // Told once, when the plug-in is set aside (its path), on the thread
    // whose call failed.
    std::function<void(const QString& fileName)> onSetAside;
};

// How a helper is started: the native helper program, or Wine with the
// helper for Windows plug-ins.
struct HelperCommand {
    QString program;       // the native helper, or wine
    QString windowsHelper; // the helper Wine runs; empty for the native one
    bool windows() const { return !windowsHelper.isEmpty(); }
};

// One running helper: the process, its channel and its shared memory.
class HelperProcess {
public:
    ~HelperProcess();
    // Starts the helper; null when it cannot be started.
    static std::unique_ptr<HelperProcess> start(const HelperCommand& command);
    // A helper at the other end of channel that was started some other way
    // (by a test or a fuzz target); takes both descriptors.
    static std::unique_ptr<HelperProcess> adopt(int channel, int sharedMemory);

    // False when the helper is gone or takes nothing in before the deadline.
    bool send(const std::string& frame, qint64 deadlineMs);
    struct Reply {
        uint32_t type = 0;
        std::string payload;
    };
    // The next frame, or nothing when the deadline passes or the helper is gone.
    std::optional<Reply> receive(qint64 deadlineMs);
    int sharedMemory() const { return sharedMemory_; }
    pid_t pid() const { return pid_; }

private:
    HelperProcess() = default;
    bool readExact(char* p, size_t size, qint64 deadlineMs);
    pid_t pid_ = -1;
    int channel_ = -1;
    int sharedMemory_ = -1;
    std::string sharedPath_; // the file Wine's helper writes into; removed at the end
};

class HelperLibrary : public PluginLibrary {
public:
    ~HelperLibrary() override;

    // The plug-in at path loaded in a new helper, or null (reason says why).
    static std::unique_ptr<HelperLibrary> open(const HelperCommand& command, const QString& path,
                                               HelperPolicy policy = {}, QString* reason = nullptr);
    // The same on a helper already running; after a failure nothing is restarted.
    static std::unique_ptr<HelperLibrary> open(std::unique_ptr<HelperProcess> process,
                                               const QString& path, HelperPolicy policy = {},
                                               QString* reason = nullptr);

    void* resolve(const char* name) const override;
    QString modulePath() const override { return modulePath_; }

    int32_t GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength) override;
    int32_t IsSupported(const char* name, intptr_t probe) override;
    int32_t GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                           SpiPictureInfo* info) override;
    int32_t GetPicture(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                       HLOCAL* bits, SpiProgressCallback progress, intptr_t data) override;
    int32_t GetPreview(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                       HLOCAL* bits, SpiProgressCallback progress, intptr_t data) override;
    // Archive and configuration calls are never made by the program.
    int32_t GetArchiveInfo(const char*, intptr_t, uint32_t, HLOCAL*) override {
        return SPI_NO_FUNCTION;
    }
    int32_t GetFileInfo(const char*, intptr_t, const char*, uint32_t, void*) override {
        return SPI_NO_FUNCTION;
    }
    int32_t GetFile(const char*, intptr_t, char*, uint32_t, SpiProgressCallback,
                    intptr_t) override {
        return SPI_NO_FUNCTION;
    }
    int32_t ConfigurationDlg(void*, int32_t) override { return SPI_NO_FUNCTION; }

    int failures() const { return failures_; }
    bool setAside() const { return setAside_; }
    // The helper's process id, or -1 while none runs (for tests).
    pid_t helperPid() const { return process_ ? process_->pid() : -1; }

private:
    HelperLibrary(HelperCommand command, QString path, HelperPolicy policy)
        : command_(std::move(command)), path_(std::move(path)), policy_(std::move(policy)) {}
    // A running, loaded helper; starts one when needed. False when the
    // plug-in is set aside or the helper cannot be had.
    bool ready(QString* reason = nullptr);
    // Asks the running helper to load the plug-in.
    bool loadInHelper(QString* reason);
    // Ends the helper after a time-out, a death or a broken answer.
    void fail(const char* why);
    std::optional<HelperProcess::Reply> call(const std::string& frame, qint64 limitMs);
    int32_t pictureCall(bool preview, const char* source, intptr_t length, uint32_t flag,
                        HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                        intptr_t data);

    HelperCommand command_;
    QString path_;
    HelperPolicy policy_;
    QString modulePath_;
    uint32_t entryMask_ = 0;
    std::unique_ptr<HelperProcess> process_;
    int failures_ = 0;
    bool setAside_ = false;
};

// Takes a decoded bitmap from the helper's shared memory into two local
// memory handles; false (nothing allocated) when the sizes the helper named
// do not fit what the shared memory holds. Separate so that it can be fuzzed.
bool takeSharedBitmap(int sharedMemory, uint64_t infoBytes, uint64_t bitsBytes, HLOCAL* bitmapInfo,
                      HLOCAL* bits);

} // namespace nubivu
