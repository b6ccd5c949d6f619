#include "platform/testserver/sound_server.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <csignal>
#include <unistd.h>

namespace testsound {

namespace {

std::string run(const std::string& command)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    int status = ::pclose(p);
    if (status != 0) out.clear();
    return out;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

pid_t pidOf(const std::string& dir)
{
    std::ifstream in(dir + "/pid");
    long pid = 0;
    in >> pid;
    return static_cast<pid_t>(pid);
}

} // namespace

std::string serverScript() { return VELMOR_TEST_PULSE_SCRIPT; }

SoundServer& SoundServer::shared()
{
    static SoundServer* server = [] {
        const char* dir = std::getenv("VELMOR_TEST_PULSE_DIR");
        if (!dir || !*dir) throw std::runtime_error("VELMOR_TEST_PULSE_DIR is not set: run the test through ctest");
        auto* s = new SoundServer(dir, false);
        s->useInThisProcess();
        return s;
    }();
    return *server;
}

std::unique_ptr<SoundServer> SoundServer::startPrivate()
{
    char tmpl[] = "/tmp/velmor-pulse-XXXXXX";
    if (!::mkdtemp(tmpl)) throw std::runtime_error("cannot make a folder for a private sound server");
    std::string dir = tmpl;
    if (run(quoted(serverScript()) + " start " + quoted(dir)).empty())
        throw std::runtime_error("the private sound server did not start (" + dir + "/server.log)");
    return std::unique_ptr<SoundServer>(new SoundServer(dir, true));
}

SoundServer::~SoundServer()
{
    if (!owned_) return;
    stop();
    run("rm -rf " + quoted(dir_));
}

std::string SoundServer::server() const { return "unix:" + dir_ + "/native"; }

void SoundServer::useInThisProcess() const { ::setenv("PULSE_SERVER", server().c_str(), 1); }

std::string SoundServer::pactl(const std::string& args) const
{
    return run("PULSE_SERVER=" + quoted(server()) + " pactl " + args + " 2>/dev/null");
}

bool SoundServer::alive() const
{
    // A killed server may linger as a zombie of whoever adopted it; that counts as gone.
    pid_t pid = pidOf(dir_);
    if (pid <= 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidField, name, state;
    if (!(stat >> pidField >> name >> state)) return false;
    return state != "Z" && state != "X";
}

void SoundServer::kill()
{
    pid_t pid = pidOf(dir_);
    if (pid > 0) ::kill(pid, SIGKILL);
    for (int i = 0; i < 200 && alive(); ++i) ::usleep(10000);
}

bool SoundServer::restart()
{
    // A killed server may linger as a zombie, which the script would take for a running one.
    if (!alive()) ::unlink((dir_ + "/pid").c_str());
    return !run(quoted(serverScript()) + " start " + quoted(dir_)).empty();
}

void SoundServer::stop() { run(quoted(serverScript()) + " stop " + quoted(dir_)); }

} // namespace testsound
