// tag_editor_figures: the "ID3 Editor" window on the offscreen platform, over
// a private sound server, beside mutagen doing the same work:
//   - a folder of 1000 tagged MP3 files scanned to a filled list;
//   - a title saved into 200 checked files of 10 MB each (ID3v1 and ID3v2,
//     empty fields keeping the files' values), fresh copies for every run;
//     once with the tag's padding as mutagen leaves it, once with none, so
//     that the longer title must move the audio.
// Wall times, median of 3 runs. The files live in a scratch folder under /tmp
// (about 2 GB at the peak), removed at the end.

#include "bench/recorder/bench_clock.h"
#include "bench/recorder/bench_stats.h"
#include "bench/recorder/silent_prompts.h"
#include "platform/com/class_registry.h"
#include "platform/testserver/sound_server.h"
#include "recorder/widgets/apartment_pump.h"
#include "recorder/player/player_messages.h"
#include "recorder/tagging/ui/frmid3v.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using bench::monotonicSeconds;

constexpr int kRuns = 3;
constexpr int kScanFiles = 1000;
constexpr int kBatchFiles = 200;
constexpr int kLongSeconds = 655; // at 128 kbit/s: 10 MB
constexpr std::uintmax_t kNeededBytes = 3ull << 30;
const std::string kBatchTitle = "Saved by the batch";

class SilentPlayerMessages final : public recorder::PlayerMessages {
public:
    void message(const std::string& text, const std::string& title, recorder::PlayerMessageIcon) override
    {
        std::fprintf(stderr, "player message: %s: %s\n", title.c_str(), text.c_str());
    }
};

// A folder under /tmp, removed with everything in it on every way out.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char tmpl[] = "/tmp/velmor-tagfig-XXXXXX";
        if (::mkdtemp(tmpl)) path_ = tmpl;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset()
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

struct Finished {
    bool ok = false;
    std::string out;
    double seconds = 0; // from the spawn to the exit
};

// Runs a program without a shell, collecting its standard output.
Finished run(const std::vector<std::string>& args)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return {};
    Descriptor readEnd(fds[0]), writeEnd(fds[1]);
    SpawnActions actions;
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    Finished result;
    const double start = monotonicSeconds();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), environ) != 0) return {};
    writeEnd.reset(); // the child holds the only writing end: end of file when it exits
    char buffer[4096];
    for (ssize_t n; (n = ::read(readEnd.get(), buffer, sizeof buffer)) > 0;) result.out.append(buffer, std::size_t(n));
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.seconds = monotonicSeconds() - start;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        if (::access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// "median 812 ms (min 790 ms, max 850 ms, 3 runs)"
std::string summary(const std::vector<double>& seconds)
{
    const auto [low, high] = std::minmax_element(seconds.begin(), seconds.end());
    char text[160];
    std::snprintf(text, sizeof text, "median %.0f ms (min %.0f ms, max %.0f ms, %zu runs)", bench::median(seconds) * 1000,
                  *low * 1000, *high * 1000, seconds.size());
    return text;
}

// Bytes this process has passed to write() so far, from /proc/self/io.
std::uint64_t bytesWritten()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "wchar:") return value;
    return 0;
}

bool makeTone(const std::string& path, int seconds, const char* bitrate)
{
    return run({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                "sine=frequency=440:duration=" + std::to_string(seconds), "-c:a", "libmp3lame", "-b:a", bitrate,
                "-id3v2_version", "0", "-write_xing", "0", path})
        .ok;
}

bool tagWithMutagen(const std::vector<std::string>& paths, bool padded = true)
{
    std::vector<std::string> args{MUTAGEN_PYTHON, MUTAGEN_TAG_SCRIPT};
    if (!padded) args.push_back("--no-padding");
    args.insert(args.end(), paths.begin(), paths.end());
    return run(args).ok;
}

// `count` copies of `source` as name_0001.mp3 … in a folder emptied first;
// flushed so that the timed runs do not pay for writing the copies back.
std::vector<std::string> freshCopies(const std::string& source, const std::string& folder, const char* name, int count)
{
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
        char file[64];
        std::snprintf(file, sizeof file, "%s_%04d.mp3", name, i);
        paths.push_back(folder + "/" + file);
        fs::copy_file(source, paths.back());
    }
    ::sync();
    return paths;
}

// Filled fields as the mutagen listing counts them: the seven ID3v1 and twelve ID3v2 fields.
std::size_t filledFields(const std::vector<recorder::TagFileRecord>& records)
{
    std::size_t filled = 0;
    for (const auto& r : records) {
        for (const auto& f : r.v1) filled += !f.empty();
        filled += r.hasV1 && r.v1Genre != recorder::kNoV1Genre;
        for (const auto& f : r.v2) filled += !f.empty();
        filled += !r.v2Genre.empty();
    }
    return filled;
}

ino_t inodeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

int scanFigure(recorder::Frmid3v& window, const std::string& work)
{
    const std::string source = work + "/one.mp3", folder = work + "/scan";
    if (!makeTone(source, 2, "64k")) {
        std::fprintf(stderr, "ffmpeg could not make the MP3\n");
        return 1;
    }
    const std::vector<std::string> paths = freshCopies(source, folder, "song", kScanFiles);
    const double tagStart = monotonicSeconds();
    if (!tagWithMutagen(paths)) {
        std::fprintf(stderr, "mutagen could not tag the files\n");
        return 1;
    }
    std::printf("made %d tagged MP3 files of %ju bytes (tagging took %.1f s)\n", kScanFiles,
                std::uintmax_t(fs::file_size(paths.front())), monotonicSeconds() - tagStart);

    std::vector<double> editor;
    std::size_t rows = 0, editorFilled = 0;
    for (int i = 0; i < kRuns; ++i) {
        const double start = monotonicSeconds();
        window.UpdateFolder(folder);
        QCoreApplication::processEvents(); // the filled list painted
        editor.push_back(monotonicSeconds() - start);
        rows = std::size_t(window.lvw->topLevelItemCount());
        editorFilled = filledFields(window.records());
    }
    std::vector<double> peer;
    std::string peerOut;
    for (int i = 0; i < kRuns; ++i) {
        const Finished listed = run({MUTAGEN_PYTHON, MUTAGEN_LIST_SCRIPT, folder});
        if (!listed.ok) {
            std::fprintf(stderr, "the mutagen listing failed\n");
            return 1;
        }
        peer.push_back(listed.seconds);
        peerOut = listed.out;
    }
    while (!peerOut.empty() && peerOut.back() == '\n') peerOut.pop_back();
    std::printf("scan %d files to a filled list: %s; mutagen listing the same fields: %s\n", kScanFiles,
                summary(editor).c_str(), summary(peer).c_str());
    std::printf("  rows %zu, filled fields %zu (editor); files and filled fields \"%s\" (mutagen, wall time with "
                "the interpreter's start-up)\n",
                rows, editorFilled, peerOut.c_str());
    std::printf("  kid3-cli: %s\n", onPath("kid3-cli") ? "installed, not measured" : "not installed, mutagen only");
    std::error_code ec;
    fs::remove_all(folder, ec);
    return rows == std::size_t(kScanFiles) ? 0 : 1;
}

int batchFigure(recorder::Frmid3v& window, const std::string& work, bool padded)
{
    const std::string tone = work + "/tone.mp3", source = work + "/long.mp3", folder = work + "/batch";
    std::error_code ec;
    fs::remove(source, ec);
    if ((!fs::exists(tone) && !makeTone(tone, kLongSeconds, "128k")) || !fs::copy_file(tone, source) ||
        !tagWithMutagen({source}, padded)) {
        std::fprintf(stderr, "could not make the 10 MB MP3\n");
        return 1;
    }
    const auto size = fs::file_size(source);
    const char* const caption = padded ? "" : ", tags without padding";
    std::printf("made %d copies of a tagged MP3 of %ju bytes for every run%s\n", kBatchFiles, std::uintmax_t(size),
                caption);

    std::vector<double> editor, scans;
    int failures = 0;
    for (int i = 0; i < kRuns; ++i) {
        const std::vector<std::string> paths = freshCopies(source, folder, "long", kBatchFiles);
        double start = monotonicSeconds();
        window.UpdateFolder(folder);
        scans.push_back(monotonicSeconds() - start);
        window.SelectAll(true);
        window.chkv1->setChecked(true);
        window.chkv2->setChecked(true);
        window.chkOpt[0]->setChecked(true);
        window.chkOpt[1]->setChecked(false);
        window.chkOpt[2]->setChecked(false);
        window.txtv2[1]->setText(QString::fromStdString(kBatchTitle));

        const ino_t inode = inodeOf(paths.front());
        const std::uint64_t writtenBefore = bytesWritten();
        start = monotonicSeconds();
        window.SaveItems();
        editor.push_back(monotonicSeconds() - start);
        const std::uint64_t written = bytesWritten() - writtenBefore;

        const Finished counted = run({MUTAGEN_PYTHON, MUTAGEN_TITLE_SCRIPT, "count", kBatchTitle, folder});
        const int titled = std::atoi(counted.out.c_str());
        failures += titled != kBatchFiles;
        std::printf("  editor run %d: %.0f ms, %d of %d files carry the title (mutagen), %.1f kB written a file, "
                    "file %s, size %ju -> %ju bytes\n",
                    i + 1, editor.back() * 1000, titled, kBatchFiles, double(written) / kBatchFiles / 1024,
                    inodeOf(paths.front()) == inode ? "kept its inode" : "replaced by a new inode",
                    std::uintmax_t(size), std::uintmax_t(fs::file_size(paths.front())));
    }
    std::vector<double> peer;
    for (int i = 0; i < kRuns; ++i) {
        freshCopies(source, folder, "long", kBatchFiles);
        const Finished saved = run({MUTAGEN_PYTHON, MUTAGEN_TITLE_SCRIPT, "set", kBatchTitle, folder});
        const Finished counted = run({MUTAGEN_PYTHON, MUTAGEN_TITLE_SCRIPT, "count", kBatchTitle, folder});
        if (!saved.ok || std::atoi(counted.out.c_str()) != kBatchFiles) {
            std::fprintf(stderr, "the mutagen save failed\n");
            return 1;
        }
        peer.push_back(saved.seconds);
        std::printf("  mutagen run %d: %.0f ms, %.1f kB written a file\n", i + 1, saved.seconds * 1000,
                    std::atof(saved.out.c_str()) / kBatchFiles / 1024);
    }
    std::printf("batch-save a title into %d files of 10 MB%s: %s; mutagen setting the same title: %s\n", kBatchFiles,
                caption, summary(editor).c_str(), summary(peer).c_str());
    std::printf("  (listing those %d files before each batch: %s)\n", kBatchFiles, summary(scans).c_str());
    fs::remove_all(folder, ec);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    ScratchFolder work;
    if (work.path().empty()) return 1;
    const fs::space_info space = fs::space(work.path());
    std::printf("free space under %s: %.1f GB\n", work.path().c_str(), double(space.available) / 1e9);
    if (space.available < kNeededBytes) {
        std::fprintf(stderr, "needs 3 GB free for the 200 files of 10 MB\n");
        return 1;
    }
    // The window's player opens the sound output when it loads.
    auto server = testsound::SoundServer::startPrivate();
    server->useInThisProcess();
    const std::string home = work.path() + "/home";
    fs::create_directories(home);
    ::setenv("VELMOR_HOME", home.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (com::registerServerLibrary(TAGMORA_PATH, false) != S_OK) {
        std::fprintf(stderr, "could not register the tag library\n");
        return 1;
    }

    QApplication app(argc, argv);
    recorder::ApartmentPump pump;
    bench::SilentPrompts prompts;
    SilentPlayerMessages playerMessages;
    auto window = std::make_unique<recorder::Frmid3v>(prompts, playerMessages);
    window->show();
    if (!window->previewsEnabled()) std::fprintf(stderr, "the window's player did not start\n");

    int failed = scanFigure(*window, work.path());
    failed |= batchFigure(*window, work.path(), true);
    failed |= batchFigure(*window, work.path(), false);
    window.reset();
    return failed;
}
