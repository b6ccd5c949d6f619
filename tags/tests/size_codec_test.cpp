#include "tags/errors.h"
#include "tags/size_codec.h"
#include "tags/tag_writer.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace tagmora;

namespace {

TEST(SizeCodec, SyncSafeEncodingAndWholeByteDecoding)
{
    EXPECT_EQ(LongToByte(200), (SizeBytes{0x00, 0x00, 0x01, 0x48}));
    EXPECT_EQ(LongToByte(0x0FFFFFFF), (SizeBytes{0x7F, 0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(LongToByte(1u << 28), (SizeBytes{0, 0, 0, 0})) << "high bits are lost";

    const std::uint8_t b200[] = {0x00, 0x00, 0x01, 0x48}, b256[] = {0x00, 0x00, 0x02, 0x00};
    const std::uint8_t b128[] = {0x00, 0x00, 0x00, 0x80}, bMax[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(ByteToLong(b200), 200u);
    EXPECT_EQ(ByteToLong(b256), 256u);
    EXPECT_EQ(ByteToLong(b128), 128u) << "bit 7 is taken whole";
    EXPECT_EQ(ByteToLong(bMax), 538984575u);
}

TEST(SizeCodec, PlainSizesAndShift)
{
    EXPECT_EQ(plainSizeBytes(200), (SizeBytes{0x00, 0x00, 0x00, 0xC8}));
    const std::uint8_t b[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(plainSize(b), 0x12345678u);
    EXPECT_EQ(Shift(3, 4, 1), 48);
    EXPECT_EQ(Shift(48, 4, 2), 3);
    EXPECT_EQ(Shift(48, 4, 7), 0);
}

TEST(Padding, FillsWholeMultiplesOf257)
{
    EXPECT_EQ(paddingFor(120), 137u); // frames of 20, 30 and 40 body bytes
    EXPECT_EQ(paddingFor(257), 0u);
    EXPECT_EQ(paddingFor(0), 0u);
    EXPECT_EQ(paddingFor(258), 256u);
}

TEST(RaiseError, FillsPlaceholdersAndChecksTheLists)
{
    try {
        RaiseError(109, "ID3v2::ReadTag", {"%FILE%"}, {"/a/b.mp3"});
        FAIL();
    } catch (const TagError& e) {
        EXPECT_EQ(e.code(), static_cast<std::int32_t>(0x8004006Du));
        EXPECT_EQ(e.source(), "ID3v2::ReadTag");
        EXPECT_EQ(e.description(), "The file, /a/b.mp3, was not found.");
    }
    try {
        RaiseError(108, "ID3v2::LookupFrameID");
        FAIL();
    } catch (const TagError& e) {
        EXPECT_EQ(e.description(), "An unknown frame ID (%FRAMEID%)  was supplied.");
    }
    try {
        RaiseError(109, "x", {"%FILE%", "%ID%"}, {"a"});
        FAIL();
    } catch (const TagError& e) {
        EXPECT_EQ(e.code(), static_cast<std::int32_t>(0x800403E8u));
        EXPECT_EQ(e.source(), "RaiseError");
        EXPECT_EQ(e.description(), "The replace array size does not match the with array");
    }
    EXPECT_EQ(messageText(105), "The data supplied does not make a valid text frame");
    EXPECT_EQ(messageText(111), "The file %FILE%, is read only");
    EXPECT_EQ(messageText(113), "The source array and destination array are not the same size");
}

TEST(RaiseError, FileSystemFailuresBecomeRunTimeErrors)
{
    auto codeOf = [](int err) {
        try {
            raiseFileSystemError(err, "src", "/p");
        } catch (const TagError& e) {
            return static_cast<std::uint32_t>(e.code());
        }
        return 0u;
    };
    EXPECT_EQ(codeOf(ENOSPC), 0x800A003Du);
    EXPECT_EQ(codeOf(EACCES), 0x800A0046u);
    EXPECT_EQ(codeOf(ENOTDIR), 0x800A004Bu);
}

} // namespace
