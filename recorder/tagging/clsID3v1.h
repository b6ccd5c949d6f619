#pragma once
// clsID3v1: the 128-byte ID3v1.1 tag at the end of one audio file, and the
// genre names. Text properties are UTF-8 here and Latin-1 in the file
// ("?" for characters Latin-1 lacks); fixed-width fields are padded with
// spaces and cut to their width. File operations trap every failure and
// answer false; they change the file in place (a tag write is 125 or 128
// bytes; removal truncates), and refuse a file that has lost its owner's
// write permission.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace recorder {

// The 125 bytes after "TAG".
struct ID3v1Record {
    static constexpr std::size_t kSize = 125;

    std::array<char, 30> title{};
    std::array<char, 30> artist{};
    std::array<char, 30> album{};
    std::array<char, 4> year{};
    std::array<char, 28> comment{};
    std::uint8_t zeroByte = 0; // 0 in ID3v1.1; the 29th comment character in ID3v1.0
    std::uint8_t track = 0;    // the 30th comment character in ID3v1.0
    std::uint8_t genre = 255;

    // Text fields all spaces, zero byte and track 0, genre 255.
    static ID3v1Record blank();
    static ID3v1Record decode(const std::uint8_t* bytes); // kSize bytes
    std::array<std::uint8_t, kSize> encode() const;
};

class clsID3v1 {
public:
    clsID3v1();

    const std::string& filename() const { return filename_; }
    void filename(std::string path) { filename_ = std::move(path); }

    // Loads the record; true when the file ends with a tag.
    bool ReadTag();
    bool SaveTag();
    // Strips the tag; true also when there was none.
    bool RemoveTag();
    bool HasTag();

    std::string tagTitle() const;
    void tagTitle(std::string_view value);
    std::string tagArtist() const;
    void tagArtist(std::string_view value);
    std::string tagAlbum() const;
    void tagAlbum(std::string_view value);
    std::string tagYear() const;
    void tagYear(std::string_view value);
    // 28 characters, or 30 in an ID3v1.0 tag (which gives up the track).
    std::string tagComments() const;
    void tagComments(std::string_view value);
    std::uint8_t tagTrack() const;
    void tagTrack(std::uint8_t value);
    std::uint8_t tagGenre() const { return record_.genre; }
    void tagGenre(std::uint8_t value) { record_.genre = value; }
    std::string tagStrGenre() const { return ReturnGenre(record_.genre); }
    // The name of a genre number; "" above 147.
    std::string ReturnGenre(std::uint8_t bGenreNum) const;

    const ID3v1Record& record() const { return record_; }
    void record(const ID3v1Record& r) { record_ = r; }

private:
    std::string filename_;
    ID3v1Record record_ = ID3v1Record::blank();
};

} // namespace recorder
