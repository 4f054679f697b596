#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zelvano {

struct LocalTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

enum class OpenMode {
    Read, // read only; a missing file fails to open
    ReadCreate, // read only; creates a missing file empty, never truncates
    WriteKeep, // write only from offset 0; creates a missing file, never truncates
    WriteTruncate, // write only; creates or empties the file
};

// An open file held exclusively: no other opener can use it until it is closed.
class FileHandle
{
public:
    virtual ~FileHandle() = default;
    // Reads up to size bytes; 0 means end of file, nothing means a read error.
    [[nodiscard]] virtual std::optional<std::size_t> read(char* buffer, std::size_t size) = 0;
    // Writes all of bytes or fails.
    [[nodiscard]] virtual bool write(std::string_view bytes) = 0;
    // Closing can fail too (a delayed write error); the handle is unusable afterwards either way.
    [[nodiscard]] virtual bool close() = 0;
};

// Everything the timer logic needs from the machine besides its window.
class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    // Starts playing the named sound file and returns at once, cutting off any sound still playing.
    virtual void playSound(const std::string& name) = 0;
    virtual void sleepMs(int milliseconds) = 0;
    // While asked to, the display neither blanks, dims nor locks on the idle timer; afterwards,
    // and when the program ends however it ends, the machine's own policy applies again. Where
    // the machine cannot be asked, the request is traced and the timer goes on as before.
    virtual void keepScreenAwake(bool awake) = 0;
    // Asked every second while the timer runs, and false at Stop: whether a bell is about to
    // ring, so that the sound output is ready for it then and may rest in between. A sound asked
    // for while not ready still plays, a few milliseconds later.
    virtual void keepSoundReady(bool ready) = 0;
    virtual LocalTime localTime() const = 0;
    // One line of diagnostics for a developer; the user never sees it.
    virtual void trace(const std::string& text) = 0;
    // Opens a file by a name relative to the working directory, or by a full path.
    // Returns nothing when the file cannot be opened or not exclusively.
    [[nodiscard]] virtual std::unique_ptr<FileHandle> openFile(
        const std::string& name, OpenMode mode)
        = 0;
    // Replaces the whole named file with bytes at once: a failure or a crash midway leaves the
    // file as it was. False when it could not be done.
    [[nodiscard]] virtual bool replaceFile(const std::string& name, std::string_view bytes) = 0;
};

} // namespace zelvano
