// Tag benchmarks, a plain program:
//  (a) the twelve fields of 1000 tagged MP3 files read through clsID3v23,
//      beside mutagen reading the same fields of the same files;
//  (b) SaveTag on a 50 MB MP3, beside cp of the same file.
// Times are CPU seconds (user + system) of this process or of the child, and
// wall-clock seconds for reference; caches are warm in both columns.

#include "platform/com/com.h"
#include "recorder/tagging/clsID3v23.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Times {
    double cpu = 0;
    double wall = 0;
};

double cpuSeconds(int who)
{
    rusage u{};
    ::getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

template <class F>
Times measure(F&& f)
{
    double c0 = cpuSeconds(RUSAGE_SELF), w0 = now();
    f();
    return {cpuSeconds(RUSAGE_SELF) - c0, now() - w0};
}

// Runs a shell command; its CPU time comes from the children's usage.
Times measureCommand(const std::string& command)
{
    double c0 = cpuSeconds(RUSAGE_CHILDREN), w0 = now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return {cpuSeconds(RUSAGE_CHILDREN) - c0, now() - w0};
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void fillTag(recorder::clsID3v23& t, int i)
{
    t.tagAlbum("Album " + std::to_string(i % 50));
    t.tagArtist("Artist \xc3\x9cnic\xc3\xb8" "de " + std::to_string(i % 7));
    t.tagComments("A comment for file number " + std::to_string(i));
    t.tagComposer("Composer");
    t.tagCopyright("(c) 2024");
    t.tagEncodedBy("Velmor Sound Recorder");
    t.tagGenre("(17)Rock");
    t.tagOrigArtist("Original artist");
    t.tagTitle("Title \xe6\x97\xa5\xe6\x9c\xac " + std::to_string(i));
    t.tagTrack(std::to_string(i % 20 + 1));
    t.tagURL("http://example.org/" + std::to_string(i));
    t.tagYear("2024");
}

} // namespace

int main(int argc, char** argv)
{
    int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    fs::path dir = fs::temp_directory_path() / ("velmor-tags-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ::setenv("VELMOR_HOME", dir.c_str(), 1);
    CoInitialize(nullptr);
    if (FAILED(com::registerServerLibrary(TAGMORA_PATH, false))) {
        std::fprintf(stderr, "cannot register %s\n", TAGMORA_PATH);
        return 1;
    }

    // One second of a real MP3 stream, made by sox and lame.
    const fs::path second = dir / "second.mp3";
    std::string make = "sox -q -n -r 44100 -c 2 -b 16 " + (dir / "second.wav").string() + " synth 1 sine 440 && lame --quiet -b 128 " +
                       (dir / "second.wav").string() + " " + second.string();
    if (std::system(make.c_str()) != 0) return 1;
    const std::string audio = readAll(second);

    // (a) 1000 tagged files.
    std::vector<std::string> paths;
    std::string list;
    for (int i = 0; i < files; ++i) {
        std::string path = (dir / ("file" + std::to_string(i) + ".mp3")).string();
        std::ofstream(path, std::ios::binary) << audio;
        recorder::clsID3v23 t;
        t.filename(path);
        fillTag(t, i);
        if (!t.SaveTag()) return 1;
        paths.push_back(path);
        list += path + "\n";
    }
    std::ofstream(dir / "list.txt") << list;

    std::size_t fieldBytes = 0;
    Times ours = measure([&] {
        for (const auto& path : paths) {
            recorder::clsID3v23 t;
            t.filename(path);
            if (!t.ReadTag()) std::fprintf(stderr, "read failed: %s\n", path.c_str());
            fieldBytes += t.tagTitle().size() + t.tagComments().size() + t.tagURL().size();
        }
    });
    // mutagen: the whole child (interpreter start-up included), and its own
    // measurement of the reading loop alone.
    std::string mutagenOut = (dir / "mutagen.txt").string();
    Times peer = measureCommand(std::string(TAGMORA_PYTHON) + " " + MUTAGEN_READ_SCRIPT + " < " +
                                (dir / "list.txt").string() + " > " + mutagenOut);
    int peerFiles = 0;
    double peerLoop = 0;
    std::ifstream(mutagenOut) >> peerFiles >> peerLoop;

    std::printf("(a) twelve fields of %d tagged MP3 files (%zu bytes of three fields)\n", files, fieldBytes);
    std::printf("    clsID3v23.ReadTag   cpu %.3f s  wall %.3f s  (%.1f us a file)\n", ours.cpu, ours.wall,
                ours.cpu / files * 1e6);
    std::printf("    mutagen (process)   cpu %.3f s  wall %.3f s\n", peer.cpu, peer.wall);
    std::printf("    mutagen (loop only) cpu %.3f s  for %d files\n", peerLoop, peerFiles);
    std::printf("    ratio mutagen loop / ours: %.1f\n", peerLoop / ours.cpu);

    // (b) a 50 MB MP3.
    const std::string big = (dir / "big.mp3").string();
    {
        std::ofstream out(big, std::ios::binary);
        for (std::size_t written = 0; written < 50u * 1000 * 1000; written += audio.size()) out << audio;
    }
    recorder::clsID3v23 t;
    t.filename(big);
    fillTag(t, 0);
    t.SaveTag(); // the first save adds the tag; the runs below replace it
    const int runs = 5;
    Times save = measure([&] {
        for (int i = 0; i < runs; ++i) {
            t.tagTitle("Run " + std::to_string(i));
            if (!t.SaveTag()) std::fprintf(stderr, "SaveTag failed\n");
        }
    });
    Times copy = measureCommand("for i in 1 2 3 4 5; do cp " + big + " " + big + ".copy; done");
    // SaveTag flushes its file to disk before the rename; so does this cp.
    Times durable = measureCommand("for i in 1 2 3 4 5; do cp " + big + " " + big + ".copy && sync " + big + ".copy; done");
    std::printf("(b) %.1f MB file, mean of %d runs\n", double(fs::file_size(big)) / 1e6, runs);
    std::printf("    clsID3v23.SaveTag   cpu %.3f s  wall %.3f s\n", save.cpu / runs, save.wall / runs);
    std::printf("    cp                  cpu %.3f s  wall %.3f s\n", copy.cpu / runs, copy.wall / runs);
    std::printf("    cp && sync          cpu %.3f s  wall %.3f s\n", durable.cpu / runs, durable.wall / runs);
    std::printf("    ratio SaveTag / cp: wall %.2f; SaveTag / (cp && sync): wall %.2f\n", save.wall / copy.wall,
                save.wall / durable.wall);

    CoUninitialize();
    fs::remove_all(dir);
    return 0;
}
