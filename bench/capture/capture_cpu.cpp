// CPU time of the capture control per second of audio, beside parec.
//
//   capture_cpu_bench [seconds]     (default 30)
//
// A private sound server gets a pipe source; a child process writes a stereo
// tone into it at real-time pace. While it runs, this process records it with
// AudioDXRecord3 (44100 Hz, 2 channels, 16 bits, default settings: blocks
// every second, levels every 20 ms) as a container would, taking every block
// on EndArrayRecord, and two parec processes record the same source, one with
// its default latency and one with 15 ms fragments like the control's. CPU
// time comes from getrusage: this process (the control's threads, libpulse's
// thread and the container's pump) and each parec child.

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/com.h"
#include "platform/testserver/pipe_source.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double cpuSeconds(const rusage& r)
{
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double selfCpu()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuSeconds(r);
}

// CPU seconds of each thread of this process, by name (schedstat: nanoseconds on a CPU).
std::map<std::string, double> threadCpu()
{
    std::map<std::string, double> out;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm"), schedstat(task.path() / "schedstat");
        std::string name;
        std::getline(comm, name);
        double ns = 0;
        if (schedstat >> ns) out[name] += ns / 1e9;
    }
    return out;
}

pid_t spawnParec(const std::string& server, const std::string& source, const char* latency)
{
    pid_t pid = fork();
    if (pid == 0) {
        FILE* null = std::freopen("/dev/null", "w", stdout);
        (void)null;
        std::vector<std::string> args = {"parec", "--server=" + server, "-d", source, "--raw", "--format=s16le",
                                         "--rate=44100", "--channels=2"};
        if (latency) args.push_back(std::string("--latency-msec=") + latency);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp("parec", argv.data());
        _exit(127);
    }
    return pid;
}

double reapCpu(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    rusage r{};
    wait4(pid, &status, 0, &r);
    return cpuSeconds(r);
}

// Takes each block as the recorder does: receive it, use it, free it.
class Container final : public com::Implements<IDispatch> {
public:
    com::ComPtr<REduruZUZedova3> control;
    std::size_t blocks = 0, timers = 0;
    std::uint64_t bytes = 0;

    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, OLECHAR**, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (id == TavorAudioDXRecord3Lib::DISPID_EndArrayRecord) {
            SAFEARRAY* a = nullptr;
            control->ReceiveAudioArray(&a);
            bytes += com::elementCount(a);
            SafeArrayDestroy(a);
            ++blocks;
        } else if (id == TavorAudioDXRecord3Lib::DISPID_Timer) {
            ++timers;
        }
        return S_OK;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    signal(SIGPIPE, SIG_IGN);

    char home[] = "/tmp/velmor-bench-XXXXXX";
    if (!mkdtemp(home)) return 1;
    setenv("VELMOR_HOME", home, 1);
    auto server = testsound::SoundServer::startPrivate();
    server->useInThisProcess();
    testsound::PipeSource source(*server, "velmor_bench", "Benchmark Input");

    CoInitialize(nullptr);
    std::string error;
    if (FAILED(com::registerServerLibrary(CAPTURE_LIBRARY_PATH, false, &error))) {
        std::fprintf(stderr, "cannot register the control: %s\n", error.c_str());
        return 1;
    }
    auto container = com::ComPtr<Container>::adopt(com::makeObject<Container>());
    if (FAILED(CoCreateInstance(CLSID_AudioDXRecord3, nullptr, CLSCTX_INPROC_SERVER, IID_REduruZUZedova3,
                                container->control.putVoid()))) {
        std::fprintf(stderr, "cannot create the control\n");
        return 1;
    }
    auto& control = container->control;
    com::EventConnection events;
    events.connect(control.get(), DIID__REduruZUZedova3Events, container.get());
    control->put_VariantTypeRangeMode(1);
    LONG count = 0;
    control->get_devInputCount(&count);
    for (LONG i = 1; i <= count; ++i) {
        control->put_devInputNum(i);
        com::Bstr name;
        control->get_devInputName(name.put());
        if (name.utf8() == source.description()) break;
    }

    pid_t writer = fork();
    if (writer == 0) {
        testsound::SignalWriter w(source, testsound::Signal::sine({1000.0, 440.0}, 0.5), 1.0);
        w.start(std::uint64_t(seconds + 2) * 44100);
        w.waitFinished(seconds + 30);
        _exit(0);
    }
    pid_t parecDefault = spawnParec(server->server(), source.name(), nullptr);
    pid_t parecFast = spawnParec(server->server(), source.name(), "15");

    auto apartment = com::Apartment::current();
    const double before = selfCpu();
    auto threadsBefore = threadCpu();
    if (FAILED(control->Start(44100, 2, 16))) {
        std::fprintf(stderr, "Start failed\n");
        return 1;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{apartment->wakeFd(), POLLIN, 0};
        poll(&p, 1, 100);
        apartment->pump();
    }
    auto threadsAfter = threadCpu();
    control->Stop();
    const double controlCpu = selfCpu() - before;
    VARIANT captured;
    control->get_SamplesCurrent(&captured);
    const double audioSeconds = double(captured.lVal) / 44100.0;

    const double parecDefaultCpu = reapCpu(parecDefault);
    const double parecFastCpu = reapCpu(parecFast);
    kill(writer, SIGTERM);
    waitpid(writer, nullptr, 0);

    std::printf("audio captured          %.2f s (%zu blocks, %zu level ticks)\n", audioSeconds, container->blocks,
                container->timers);
    std::printf("control (this process)  %.1f ms CPU = %.3f ms per second of audio\n", controlCpu * 1000,
                controlCpu * 1000 / audioSeconds);
    for (auto& [name, cpu] : threadsAfter) {
        const double spent = cpu - threadsBefore[name];
        if (spent > 0) std::printf("  thread %-16s %.1f ms\n", name.c_str(), spent * 1000);
    }
    std::printf("parec (default latency) %.1f ms CPU = %.3f ms per second\n", parecDefaultCpu * 1000,
                parecDefaultCpu * 1000 / audioSeconds);
    std::printf("parec (15 ms latency)   %.1f ms CPU = %.3f ms per second\n", parecFastCpu * 1000,
                parecFastCpu * 1000 / audioSeconds);
    if (parecDefaultCpu > 0) std::printf("ratio control / parec default  %.2f\n", controlCpu / parecDefaultCpu);
    if (parecFastCpu > 0) std::printf("ratio control / parec 15 ms    %.2f\n", controlCpu / parecFastCpu);

    events.disconnect();
    control.reset();
    container.reset();
    CoUninitialize();
    std::filesystem::remove_all(home);
    return 0;
}
