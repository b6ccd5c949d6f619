// Tag benchmarks, a plain program:
//  (a) the twelve fields of 1000 tagged MP3 files, a third each with ID3v2.2,
//      v2.3 and v2.4 tags, read through clsID3v23, beside mutagen reading the
//      same fields of the same files;
//  (b) a changed title saved into a 50 MB MP3 whose tag has room (in place),
//      beside mutagen's save() of the same change on the same file;
//  (c) SaveTag of a tag that must grow on the 50 MB MP3 (the file is
//      rewritten), beside cp && sync of the same file.
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

// A hand-made ID3v2.2 tag: three-letter frames, 24-bit sizes, Latin-1 text.
std::string v22Tag(int i)
{
    auto frame = [](const std::string& id, const std::string& text) {
        const std::string body = std::string(1, '\0') + text;
        const auto n = body.size();
        return id + char((n >> 16) & 0xFF) + char((n >> 8) & 0xFF) + char(n & 0xFF) + body;
    };
    std::string frames = frame("TT2", "Title " + std::to_string(i)) + frame("TP1", "Artist") + frame("TAL", "Album") +
                         frame("TYE", "1999") + frame("TCO", "Rock") + frame("TRK", std::to_string(i % 20 + 1)) +
                         frame("COM", "eng\0A comment " + std::to_string(i));
    frames.resize(frames.size() + 200, '\0');
    const auto n = frames.size();
    return std::string("ID3\x02\0\0", 6) + char((n >> 21) & 127) + char((n >> 14) & 127) + char((n >> 7) & 127) +
           char(n & 127) + frames;
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

    // (a) 1000 tagged files: v2.3 by us, v2.4 by mutagen, v2.2 written here.
    std::vector<std::string> paths;
    std::string list, toV24;
    for (int i = 0; i < files; ++i) {
        std::string path = (dir / ("file" + std::to_string(i) + ".mp3")).string();
        if (i % 3 == 2) {
            std::ofstream(path, std::ios::binary) << v22Tag(i) << audio;
        } else {
            std::ofstream(path, std::ios::binary) << audio;
            recorder::clsID3v23 t;
            t.filename(path);
            fillTag(t, i);
            if (!t.SaveTag()) return 1;
            if (i % 3 == 1) toV24 += path + "\n";
        }
        paths.push_back(path);
        list += path + "\n";
    }
    std::ofstream(dir / "list.txt") << list;
    std::ofstream(dir / "v24.txt") << toV24;
    measureCommand(std::string(TAGMORA_PYTHON) + " " + MUTAGEN_TO_V24_SCRIPT + " < " + (dir / "v24.txt").string());

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

    // (b) a 50 MB MP3 whose tag has room: the title is saved in place.
    const std::string big = (dir / "big.mp3").string();
    {
        std::ofstream out(big, std::ios::binary);
        for (std::size_t written = 0; written < 50u * 1000 * 1000; written += audio.size()) out << audio;
    }
    recorder::clsID3v23 t;
    t.filename(big);
    fillTag(t, 0);
    t.SaveTag(); // the first save adds the tag with room to grow; the runs below fit in it
    const int runs = 5;
    Times inPlace = measure([&] {
        for (int i = 0; i < runs; ++i) {
            recorder::clsID3v23 edit;
            edit.filename(big);
            edit.ReadTag();
            edit.tagTitle("Run " + std::to_string(i));
            if (!edit.SaveTag()) std::fprintf(stderr, "SaveTag failed\n");
        }
    });
    const std::string mutagenSaveOut = (dir / "mutagen-save.txt").string();
    measureCommand(std::string(TAGMORA_PYTHON) + " " + MUTAGEN_SAVE_SCRIPT + " " + big + " " + std::to_string(runs) +
                   " > " + mutagenSaveOut);
    double mutagenWall = 0, mutagenCpu = 0;
    std::ifstream(mutagenSaveOut) >> mutagenWall >> mutagenCpu;
    std::printf("(b) a changed title into a %.1f MB MP3 whose tag has room, mean of %d runs\n",
                double(fs::file_size(big)) / 1e6, runs);
    std::printf("    clsID3v23 ReadTag + SaveTag  cpu %.2f ms  wall %.2f ms\n", inPlace.cpu / runs * 1e3,
                inPlace.wall / runs * 1e3);
    std::printf("    mutagen load + save()        cpu %.2f ms  wall %.2f ms\n", mutagenCpu * 1e3, mutagenWall * 1e3);
    std::printf("    ratio ours / mutagen: wall %.2f, cpu %.2f\n", inPlace.wall / runs / mutagenWall,
                inPlace.cpu / runs / mutagenCpu);

    // (c) a tag that must grow: every run adds more than the room, so the file is rewritten.
    Times save = measure([&] {
        for (int i = 0; i < runs; ++i) {
            t.tagComments(std::string(std::size_t(5000) * std::size_t(i + 1), 'c'));
            if (!t.SaveTag()) std::fprintf(stderr, "SaveTag failed\n");
        }
    });
    Times copy = measureCommand("for i in 1 2 3 4 5; do cp " + big + " " + big + ".copy; done");
    // SaveTag flushes its file to disk before the rename; so does this cp.
    Times durable = measureCommand("for i in 1 2 3 4 5; do cp " + big + " " + big + ".copy && sync " + big + ".copy; done");
    std::printf("(c) a tag that must grow on the %.1f MB file (rewritten), mean of %d runs\n",
                double(fs::file_size(big)) / 1e6, runs);
    std::printf("    clsID3v23.SaveTag   cpu %.3f s  wall %.3f s\n", save.cpu / runs, save.wall / runs);
    std::printf("    cp                  cpu %.3f s  wall %.3f s\n", copy.cpu / runs, copy.wall / runs);
    std::printf("    cp && sync          cpu %.3f s  wall %.3f s\n", durable.cpu / runs, durable.wall / runs);
    std::printf("    ratio SaveTag / cp: wall %.2f; SaveTag / (cp && sync): wall %.2f\n", save.wall / copy.wall,
                save.wall / durable.wall);

    CoUninitialize();
    fs::remove_all(dir);
    return 0;
}
