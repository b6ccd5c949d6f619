// Test helper: records one-second blocks of two tones into a file, says
// "ready" after the given number of blocks and then waits to be killed.
// Usage: components_crash_writer <wav|mp3|ogg> <path> <blocks>

#include "recorder/components/tests/test_audio.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    const std::string kind = argv[1];
    recorder::AudioFile file;
    const bool selected = kind == "wav"   ? file.SetFormatPCM(44100, 2, 16, 0)
                          : kind == "mp3" ? file.SetFormatMP3(44100, 128, 2)
                                          : file.SetFormatOgg(44100, 2, 128, 0, 0, 300);
    if (!selected || !file.OpenWrite(argv[2], 1000)) return 3;
    const int blocks = std::atoi(argv[3]);
    if (!testaudio::recordTones(file, blocks, 440, 1000)) return 4;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) ::pause();
}
