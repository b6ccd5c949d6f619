#include "recorder/tagging/clsID3v23.h"

#include "platform/com/com.h"

namespace recorder {

namespace {

// The order in which fields are read and set.
constexpr Tagmora::ID3FrameIDs kFieldOrder[] = {
    Tagmora::eAlbum,     Tagmora::eArtist,    Tagmora::eComment,     Tagmora::eComposer,
    Tagmora::eCopyright, Tagmora::eEncodedBy, Tagmora::eGenre,       Tagmora::eOrigArtist,
    Tagmora::eTitle,     Tagmora::eTrack,     Tagmora::eURL,         Tagmora::eYear};

} // namespace

bool clsID3v23::newTag()
{
    tag_.reset();
    HRESULT hr = CoCreateInstance(Tagmora::CLSID_clsID3v2, nullptr, CLSCTX_INPROC_SERVER, Tagmora::_clsID3v2::iid,
                                  tag_.putVoid());
    return SUCCEEDED(hr) && tag_;
}

bool clsID3v23::ReadTag()
{
    if (!newTag()) return false;
    com::Bstr path(filename_);
    VARIANT_BOOL has = VARIANT_FALSE;
    if (FAILED(tag_->ReadTag(path.get())) || FAILED(tag_->get_HasTag(&has))) return false;
    if (has == VARIANT_FALSE) {
        for (auto& field : fields_) field.clear();
        return false;
    }
    for (auto field : kFieldOrder) {
        com::Bstr value;
        if (FAILED(tag_->GetFrameValue(field, value.put()))) return false;
        fields_[field] = value.utf8();
    }
    return true;
}

bool clsID3v23::SaveTag()
{
    if (!newTag()) return false;
    com::Bstr path(filename_);
    // Start from the file's own tag, of any version, so that its other frames
    // survive. A tag that does not read is not overwritten: the frames after
    // the damage would be lost.
    if (FAILED(tag_->ReadTag(path.get()))) return false;
    for (auto field : kFieldOrder) {
        com::Bstr value(fields_[field]);
        if (FAILED(tag_->SetFrameValue(field, value.get()))) return false;
    }
    return SUCCEEDED(tag_->WriteTag(path.get(), VARIANT_TRUE));
}

bool clsID3v23::RemoveTag()
{
    if (!newTag()) return false;
    com::Bstr path(filename_);
    return SUCCEEDED(tag_->RemoveTag(path.get(), VARIANT_TRUE));
}

bool clsID3v23::HasTag()
{
    if (!newTag()) return false;
    com::Bstr path(filename_);
    VARIANT_BOOL has = VARIANT_FALSE;
    return SUCCEEDED(tag_->ReadTag(path.get())) && SUCCEEDED(tag_->get_HasTag(&has)) && has != VARIANT_FALSE;
}

std::string clsID3v23::tagTrimmedGenre() const
{
    const std::string& genre = fields_[Tagmora::eGenre];
    if (genre.empty() || genre.front() != '(') return genre;
    std::size_t close = genre.find(')');
    return close == std::string::npos ? genre : genre.substr(close + 1);
}

} // namespace recorder
