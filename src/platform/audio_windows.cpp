// Music through DirectShow: a filter graph built for the file by COM's filter graph manager plays
// it on threads of its own. Pause and resume go through IMediaControl, the start position through
// IMediaSeeking. The graph is released when the process exits, and before a Ctrl-C or the closing
// console ends it as it otherwise would: Wine ends a process that still holds one with a crash.
#define NO_DSHOW_STRSAFE // dshow.h would otherwise forbid the C string calls
#include "platform/audio.h"
#include "platform/wide_text_windows.h"

#include <dshow.h>
#include <mmsystem.h>
#include <io.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <string>

namespace quor::platform {

namespace {

// The started graph's interfaces; all null while no music plays.
struct music_graph {
    IMediaControl* control = nullptr;
    IMediaEvent* event = nullptr;
    IMediaSeeking* seeking = nullptr;
};
music_graph graph;
// Set by whichever comes first, the exit or a console's interruption (on a thread of its own).
std::atomic<bool> released{false};

template <class Interface>
void release(Interface*& pointer)
{
    if (pointer)
        pointer->Release();
    pointer = nullptr;
}

void release_graph()
{
    if (released.exchange(true))
        return;
    if (graph.control)
        graph.control->Stop();
    release(graph.seeking);
    release(graph.event);
    release(graph.control);
}

// Passes the event on: the next handler, at the latest the system's, ends the process.
BOOL WINAPI release_on_interruption(DWORD)
{
    release_graph();
    return FALSE;
}

// Positions are in 100 ns units of media time.
bool seek_to(double seconds)
{
    LONGLONG position = std::llround(seconds * 1e7);
    return graph.seeking && SUCCEEDED(graph.seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning,
                                                                  nullptr, AM_SEEKING_NoPositioning));
}

} // namespace

music_start play_music_once(const char* file, double from_seconds)
{
    // Without a readable file there is nothing to start, and no reason to open the audio device.
    if (graph.control || _waccess(utf16(file).c_str(), 4) != 0)
        return music_start::no_file;
    // DirectShow fails the same way without a device as for a file it cannot decode: ask first.
    if (waveOutGetNumDevs() == 0)
        return music_start::no_device;
    CoInitialize(nullptr);
    IGraphBuilder* builder = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&builder))))
        return music_start::refused;
    // Fails without a sound device, or for a file no installed decoder reads.
    if (SUCCEEDED(builder->RenderFile(utf16(file).c_str(), nullptr))) {
        builder->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&graph.control));
        builder->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&graph.event));
        builder->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&graph.seeking));
    }
    builder->Release();
    if (!graph.control || (from_seconds > 0.0 && !seek_to(from_seconds)) || FAILED(graph.control->Run())) {
        release(graph.seeking);
        release(graph.event);
        release(graph.control);
        return music_start::refused;
    }
    std::atexit(release_graph);
    SetConsoleCtrlHandler(release_on_interruption, TRUE);
    return music_start::playing;
}

void pause_music()
{
    if (graph.control)
        graph.control->Pause();
}

// A graph whose track has ended is still running; a new position sets its data flowing again.
void play_music_from(double seconds)
{
    if (!graph.control)
        return;
    seek_to(seconds);
    graph.control->Run();
}

} // namespace quor::platform
