#include "tags/errors.h"
#include "tags/opaque_frame.h"
#include "tags/tag_reader.h"
#include "tags/tag_writer.h"
#include "tags/tests/tag_test_support.h"
#include "tags/text_frame.h"

using namespace tagmora;
using namespace tagtest;

namespace {

FrameList read(const Bytes& file)
{
    FrameList frames;
    EXPECT_TRUE(readTag(file, frames, "f.mp3"));
    return frames;
}

std::vector<std::string> ids(const FrameList& frames)
{
    std::vector<std::string> out;
    for (const auto& f : frames) out.push_back(f->frameId());
    return out;
}

using V = std::vector<std::string>;

TEST(TagReader, ReadsPlainAndOldSyncSafeFrameSizes)
{
    const Bytes long200 = Bytes{0} + Bytes(198, 'a') + Bytes{0};
    for (bool syncSafe : {false, true}) {
        auto frames = read(tag(frame("TIT2", long200, syncSafe) + frame("TPE1", textBody("Artist"), syncSafe), 50));
        ASSERT_EQ(ids(frames), (V{"TIT2", "TPE1"})) << "sync-safe " << syncSafe;
        EXPECT_EQ(frames[0]->render().size(), 200u);
        EXPECT_EQ(frames[1]->data(), std::u16string(u"Artist\0", 7));
    }
    // The old writer's last frame, followed by the end of the tag.
    auto last = read(tag(frame("TPE1", textBody("x")) + frame("TIT2", long200, true)));
    EXPECT_EQ(ids(last), (V{"TPE1", "TIT2"}));
}

TEST(TagReader, KeepsUnsupportedFramesInOrder)
{
    const Bytes cover = Bytes{0} + bytesOf("image/png") + Bytes{0, 3, 0} + fakeAudio(4987);
    auto frames = read(tag(frame("TIT2", textBody("a")) + frame("APIC", cover) + frame("TXXX", textBody("b")) +
                           frame("ABCD", Bytes(1000, 7)) + frame("TALB", textBody("c")), 10));
    ASSERT_EQ(ids(frames), (V{"TIT2", "APIC", "TXXX", "ABCD", "TALB"}));
    EXPECT_EQ(frames[1]->kind(), FrameKind::Unsupported);
    EXPECT_EQ(frames[1]->render(), cover);
}

TEST(TagReader, LargeUnknownFramesEndReadingUnlessTheyFitExactly)
{
    // Over 1024 bytes, not a known identifier, and not ending on a frame: garbage.
    Bytes garbage = frame("QQQQ", Bytes(2000, 1));
    garbage[7] = 0x01; // size now 0x7D1 + ... lands nowhere
    auto stopped = read(tag(frame("TIT2", textBody("a")) + garbage + Bytes(300, 0)));
    EXPECT_EQ(ids(stopped), (V{"TIT2"}));

    // A well-formed large frame of an identifier outside the list is kept.
    auto kept = read(tag(frame("CHAP", Bytes(3000, 1)) + frame("TIT2", textBody("a"))));
    EXPECT_EQ(ids(kept), (V{"CHAP", "TIT2"}));
}

TEST(TagReader, StopsAtPaddingAndIgnoresWhatFollowsIt)
{
    Bytes file = tag(frame("TIT2", textBody("a")) + Bytes(20, 0) + bytesOf("TALB\x7f\x7f\x7f\x7fgarbage"));
    EXPECT_EQ(ids(read(file)), (V{"TIT2"}));
}

TEST(TagReader, SkipsZeroSizeFrames)
{
    auto frames = read(tag(frame("TIT2", {}) + frame("TPE1", textBody("b"))));
    EXPECT_EQ(ids(frames), (V{"TPE1"}));
}

TEST(TagReader, FramesRunningPastTheTagRaiseAndKeepWhatCameBefore)
{
    Bytes broken = frame("TPE1", textBody("long text"));
    broken.resize(broken.size() - 4); // cut inside the body
    Bytes file = tag(frame("TIT2", textBody("a")) + broken);
    FrameList frames;
    try {
        readTag(file, frames, "/music/x.mp3");
        FAIL();
    } catch (const TagError& e) {
        EXPECT_EQ(e.code(), kErrorBase + 112);
        EXPECT_EQ(e.description(), "The file /music/x.mp3 has an invalid file size.");
    }
    EXPECT_EQ(ids(frames), (V{"TIT2"}));

    Bytes huge = bytesOf("TIT2") + hex("FF FF FF FF 00 00 00 41");
    EXPECT_THROW(read(tag(huge, 20)), TagError);
}

TEST(TagReader, ShortFilesReadAsFarAsTheirBytesGo)
{
    Bytes full = tag(frame("TIT2", textBody("a")), 5000);
    Bytes cut(full.begin(), full.begin() + 100); // the padding is not all there
    EXPECT_EQ(ids(read(cut)), (V{"TIT2"}));
}

TEST(TagReader, VersionsTwoToFourAreTags)
{
    FrameList frames;
    EXPECT_TRUE(readTag(tag(frame("TIT2", textBody("a")), 0, 4), frames, "f"));
    EXPECT_EQ(ids(frames), (V{"TIT2"}));
    frames.clear();
    EXPECT_TRUE(readTag(tag(hex("54 54 32 00 00 02 00 61"), 0, 2), frames, "f")) << "TT2 of v2.2";
    EXPECT_EQ(ids(frames), (V{"TIT2"}));
    frames.clear();
    EXPECT_FALSE(readTag(tag(frame("TIT2", textBody("a")), 0, 5), frames, "f"));
    EXPECT_FALSE(readTag(bytesOf("ID3"), frames, "f"));
    EXPECT_FALSE(readTag(fakeAudio(100), frames, "f"));
    EXPECT_TRUE(frames.empty());
}

// Version-4 text in UTF-8 or UTF-16BE becomes UTF-16 with a byte-order mark,
// keeping its terminator when it had one.
TEST(TagReader, Version4TextIsReencodedWithItsTerminator)
{
    const auto body = [](const Bytes& v24Body) {
        FrameList frames;
        EXPECT_TRUE(readTag(tag(frame("TIT2", v24Body), 0, 4), frames, "f"));
        return frames.empty() ? Bytes{} : frames.front()->render();
    };
    EXPECT_EQ(body(Bytes{3, 'a', 'b', 0}), (Bytes{1, 0xFF, 0xFE, 'a', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(body(Bytes{3, 'a', 'b'}), (Bytes{1, 0xFF, 0xFE, 'a', 0, 'b', 0}));
    EXPECT_EQ(body(Bytes{2, 0, 'a', 0, 0}), (Bytes{1, 0xFF, 0xFE, 'a', 0, 0, 0}));
}

TEST(TagReader, UndoesUnsynchronisationAndSkipsTheExtendedHeader)
{
    Bytes stored = frame("TIT2", hex("00 FF E0 41 00"));
    stored.insert(stored.begin() + 12, 0x00); // "FF E0" as unsynchronisation stores it
    auto frames = read(tag(stored, 0, 3, 0x80));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0]->render(), hex("00 FF E0 41 00"));

    auto extended = read(tag(hex("00 00 00 06 00 00 00 00 00 00") + frame("TALB", textBody("x")), 0, 3, 0x40));
    EXPECT_EQ(ids(extended), (V{"TALB"}));
}

TEST(TagReader, FramesItCannotEditAreKeptAsTheyAre)
{
    auto frames = read(tag(frame("APIC", hex("00 00 00 02 78 9C 63 60 00 00 00 02 00 01"), false, {0, 0x80}) +
                           frame("COMM", hex("00 65 6E"))));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->kind(), FrameKind::Unsupported) << "compressed and not ours to edit";
    EXPECT_EQ(frames[0]->render(), hex("00 00 00 02 78 9C 63 60 00 00 00 02 00 01")) << "kept compressed, byte for byte";
    EXPECT_EQ(frames[1]->kind(), FrameKind::Unsupported) << "too short for a comment";
    EXPECT_EQ(frames[1]->render(), hex("00 65 6E"));
}

TEST(TagWriter, WritesPlainFrameSizesAndPadsTo257)
{
    FrameList frames;
    for (std::size_t n : {20u, 30u, 40u}) {
        auto f = std::make_unique<OpaqueFrame>();
        f->setFrameId(u"PRIV");
        f->parse(Bytes(n, 1));
        frames.push_back(std::move(f));
    }
    Bytes out = renderTag(frames, "f");
    ASSERT_EQ(out.size(), 10u + 120 + 137);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), hex("49 44 33 03 00 00 00 00 02 01"));
    EXPECT_EQ(Bytes(out.begin() + 10, out.begin() + 20), hex("50 52 49 56 00 00 00 14 00 00"));

    auto big = std::make_unique<TextFrame>();
    big->setFrameId(u"TIT2");
    big->setData(std::u16string(198, u'x'));
    FrameList one;
    one.push_back(std::move(big));
    out = renderTag(one, "f");
    EXPECT_EQ(Bytes(out.begin() + 14, out.begin() + 18), hex("00 00 00 C8"));
    EXPECT_EQ(out.size(), 10u + 257);

    FrameList exact;
    auto f = std::make_unique<OpaqueFrame>();
    f->setFrameId(u"PRIV");
    f->parse(Bytes(247, 1));
    exact.push_back(std::move(f));
    EXPECT_EQ(renderTag(exact, "f").size(), 10u + 257) << "no padding after frames of 257 bytes";
}

TEST(TagReader, CapitalsInsideALastFrameDoNotPassForAFrameAtTheSyncSafeOffset)
{
    // 328 body bytes: the sync-safe reading of the size (200) lands on "ABCD" inside the text.
    Bytes body = hex("00 65 6E 67 00");
    body.resize(200, 'c');
    Bytes inside = bytesOf("ABCD") + bytesOf("TTTT") + hex("00 00");
    body.insert(body.end(), inside.begin(), inside.end());
    body.resize(328, 'c');
    auto frames = read(tag(frame("COMM", body), 300));
    ASSERT_EQ(ids(frames), (V{"COMM"}));
    EXPECT_EQ(frames[0]->render().size(), 328u) << "the plain size: ABCD has no size that fits";
}

TEST(TagReader, CraftedBrokenFiles)
{
    struct Case {
        const char* file;
        bool raises;
        V frames;
    };
    const Case cases[] = {
        {"truncated_frame.mp3", true, {"TIT2"}},
        {"frame_size_overflow.mp3", true, {"TIT2"}},
        {"zero_size_frame.mp3", false, {"TIT2", "TALB"}},
        {"garbage_after_padding.mp3", false, {"TIT2", "TPE1"}},
        {"syncsafe_frame_sizes.mp3", false, {"TIT2", "COMM", "TPE1"}},
    };
    for (const auto& c : cases) {
        Bytes file = readFile(std::string(TAGMORA_TESTDATA) + "/" + c.file);
        ASSERT_FALSE(file.empty()) << c.file;
        FrameList frames;
        bool raised = false;
        try {
            readTag(file, frames, c.file);
        } catch (const TagError&) {
            raised = true;
        }
        EXPECT_EQ(raised, c.raises) << c.file;
        EXPECT_EQ(ids(frames), c.frames) << c.file;
    }
}

} // namespace
