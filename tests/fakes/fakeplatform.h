#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/platformservices.h"

namespace zelvano {

// The machine as the logic sees it: sounds and sleeps are recorded, nothing really sleeps, and
// files live in a map that stands for the working directory, with switches for every failure.
struct FakePlatform final : PlatformServices
{
    std::vector<std::string> played; // sound names, in order
    std::vector<int> sleeps; // milliseconds of each sleep, in order
    std::vector<std::string> events; // "play NAME" and "sleep MS", interleaved
    LocalTime now { 2002, 4, 30, 11, 5, 9 };
    std::vector<std::string> traces;
    std::vector<bool> screenAwake; // every keepScreenAwake request, in order
    std::vector<bool> soundReady; // every keepSoundReady request, in order
    std::function<void()> whilePlaying; // runs at each play request

    std::map<std::string, std::string> files;
    std::set<std::string> lockedFiles; // held exclusively by someone else
    std::set<std::string> readOnlyFiles;
    bool failReads = false;
    bool failWrites = false;
    bool failCloses = false;
    std::vector<std::size_t> writeSizes; // size of every successful write call

    void playSound(const std::string& name) override
    {
        played.push_back(name);
        events.push_back("play " + name);
        if (whilePlaying)
            whilePlaying();
    }
    void sleepMs(int milliseconds) override
    {
        sleeps.push_back(milliseconds);
        events.push_back("sleep " + std::to_string(milliseconds));
    }
    void keepScreenAwake(bool awake) override { screenAwake.push_back(awake); }
    void keepSoundReady(bool ready) override { soundReady.push_back(ready); }
    LocalTime localTime() const override { return now; }
    void trace(const std::string& text) override { traces.push_back(text); }

    std::unique_ptr<FileHandle> openFile(const std::string& name, OpenMode mode) override
    {
        if (lockedFiles.count(name))
            return nullptr;
        const bool writing = mode != OpenMode::Read && mode != OpenMode::ReadCreate;
        if (writing && readOnlyFiles.count(name))
            return nullptr;
        if (mode == OpenMode::Read && !files.count(name))
            return nullptr;
        std::string& contents = files[name]; // a missing file is created empty in the other modes
        if (mode == OpenMode::WriteTruncate)
            contents.clear();
        return std::make_unique<File>(*this, contents);
    }

    bool replaceFile(const std::string& name, std::string_view bytes) override
    {
        if (lockedFiles.count(name) || readOnlyFiles.count(name) || failWrites)
            return false;
        files[name] = bytes;
        return true;
    }

    int totalSleptMs() const
    {
        int total = 0;
        for (const int ms : sleeps)
            total += ms;
        return total;
    }

private:
    class File final : public FileHandle
    {
    public:
        File(FakePlatform& platform, std::string& contents)
            : m_platform(platform)
            , m_contents(contents)
        { }
        std::optional<std::size_t> read(char* buffer, std::size_t size) override
        {
            if (m_platform.failReads)
                return std::nullopt;
            const std::size_t count
                = std::min(size, m_contents.size() - std::min(m_position, m_contents.size()));
            m_contents.copy(buffer, count, m_position);
            m_position += count;
            return count;
        }
        bool write(std::string_view bytes) override
        {
            if (m_platform.failWrites)
                return false;
            if (m_contents.size() < m_position + bytes.size())
                m_contents.resize(m_position + bytes.size());
            m_contents.replace(m_position, bytes.size(), bytes);
            m_position += bytes.size();
            m_platform.writeSizes.push_back(bytes.size());
            return true;
        }
        bool close() override { return !m_platform.failCloses; }

    private:
        FakePlatform& m_platform;
        std::string& m_contents;
        std::size_t m_position = 0;
    };
};

} // namespace zelvano
