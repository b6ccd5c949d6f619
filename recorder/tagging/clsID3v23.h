#pragma once
// clsID3v23: the ID3v2.3 tag of one file as twelve UTF-8 string properties,
// over Tagmora's clsID3v2. Each of ReadTag, SaveTag, RemoveTag and HasTag
// creates a fresh clsID3v2 by its class id, so the calling thread must have
// called CoInitialize (the GUI thread has); every failure of the library
// comes back as false, with no message.
//
// SaveTag keeps what the file's tag holds besides the twelve fields (cover
// art, lyrics, TXXX, ...): it reads the existing version-3 tag first, then
// sets the twelve fields. Fields whose value is unchanged keep their frames
// byte for byte.

#include "platform/com/com_ptr.h"
#include "tags/Tagmora.h"

#include <string>
#include <string_view>

namespace recorder {

class clsID3v23 {
public:
    const std::string& filename() const { return filename_; }
    void filename(std::string path) { filename_ = std::move(path); }

    bool ReadTag();
    bool SaveTag();
    bool RemoveTag();
    bool HasTag();

    const std::string& tagTrack() const { return fields_[Tagmora::eTrack]; }
    void tagTrack(std::string value) { fields_[Tagmora::eTrack] = std::move(value); }
    const std::string& tagTitle() const { return fields_[Tagmora::eTitle]; }
    void tagTitle(std::string value) { fields_[Tagmora::eTitle] = std::move(value); }
    const std::string& tagArtist() const { return fields_[Tagmora::eArtist]; }
    void tagArtist(std::string value) { fields_[Tagmora::eArtist] = std::move(value); }
    const std::string& tagAlbum() const { return fields_[Tagmora::eAlbum]; }
    void tagAlbum(std::string value) { fields_[Tagmora::eAlbum] = std::move(value); }
    const std::string& tagYear() const { return fields_[Tagmora::eYear]; }
    void tagYear(std::string value) { fields_[Tagmora::eYear] = std::move(value); }
    const std::string& tagGenre() const { return fields_[Tagmora::eGenre]; }
    void tagGenre(std::string value) { fields_[Tagmora::eGenre] = std::move(value); }
    const std::string& tagComments() const { return fields_[Tagmora::eComment]; }
    void tagComments(std::string value) { fields_[Tagmora::eComment] = std::move(value); }
    const std::string& tagComposer() const { return fields_[Tagmora::eComposer]; }
    void tagComposer(std::string value) { fields_[Tagmora::eComposer] = std::move(value); }
    const std::string& tagOrigArtist() const { return fields_[Tagmora::eOrigArtist]; }
    void tagOrigArtist(std::string value) { fields_[Tagmora::eOrigArtist] = std::move(value); }
    const std::string& tagCopyright() const { return fields_[Tagmora::eCopyright]; }
    void tagCopyright(std::string value) { fields_[Tagmora::eCopyright] = std::move(value); }
    const std::string& tagURL() const { return fields_[Tagmora::eURL]; }
    void tagURL(std::string value) { fields_[Tagmora::eURL] = std::move(value); }
    const std::string& tagEncodedBy() const { return fields_[Tagmora::eEncodedBy]; }
    void tagEncodedBy(std::string value) { fields_[Tagmora::eEncodedBy] = std::move(value); }

    // tagGenre without a leading "(number)": "(17)Rock" gives "Rock".
    std::string tagTrimmedGenre() const;

private:
    bool newTag();

    std::string filename_;
    std::string fields_[13]; // by ID3FrameIDs value; 0 unused
    com::ComPtr<Tagmora::_clsID3v2> tag_; // the last one created
};

} // namespace recorder
