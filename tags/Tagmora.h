#pragma once
// Tagmora: the ID3v2.3 tag library's automation surface. This header stands in
// for the library's type library: class ids, interface ids, dual interfaces
// with their vtables in type-library order, dispids, ID3FrameIDs and the
// error numbers.
//
// Contract:
// - Create the classes by class id (CoCreateInstance) on a thread that has
//   called CoInitialize; objects belong to that thread and take no locks.
// - Strings are BSTR (UTF-16; null means ""), Booleans VARIANT_BOOL
//   (true = -1), byte arrays one-dimensional SAFEARRAYs of VT_UI1 with lower
//   bound 0. Arrays and strings handed out belong to the caller.
// - A failing member returns vbObjectError + id (ids below) and sets error
//   information with the raising routine as source and the message of the
//   library's message table; failures of the file system come as the
//   run-time error numbers of kFileSystemErrors, with the path in the text.
// - WriteTag and RemoveTag never touch the file until the new one is complete:
//   they write a sibling temporary file, flush it to disk and rename it over
//   the original, which keeps its permissions.

#include "platform/com/dispatch.h"

namespace Tagmora {

inline constexpr const char* kLibraryName = "Tagmora";

// ---- class ids and ProgIDs ------------------------------------------------

inline constexpr CLSID CLSID_clsID3v2 = com::guid("{1D581FD3-00B8-40FB-B6A6-15047B8C0EEB}");
inline constexpr CLSID CLSID_clsFrames = com::guid("{D07F42AE-DE86-4EDF-A08E-5CA3ED5022EE}");
inline constexpr CLSID CLSID_clsText_Frame = com::guid("{E759CFFE-5F1A-4A83-AFFD-50B4CD9F2B50}");
inline constexpr CLSID CLSID_clsWeb_Frame = com::guid("{AA0DDB5C-66EB-445D-84E4-F5B29A4A7273}");
inline constexpr CLSID CLSID_clsComment_Frame = com::guid("{8185AC5C-4F93-4503-AD2A-6AEFDDD61683}");

inline constexpr const char* kProgId_clsID3v2 = "Tagmora.clsID3v2";
inline constexpr const char* kProgId_clsFrames = "Tagmora.clsFrames";
inline constexpr const char* kProgId_clsText_Frame = "Tagmora.clsText_Frame";
inline constexpr const char* kProgId_clsWeb_Frame = "Tagmora.clsWeb_Frame";
inline constexpr const char* kProgId_clsComment_Frame = "Tagmora.clsComment_Frame";

// ---- ID3FrameIDs ----------------------------------------------------------

enum ID3FrameIDs : LONG {
    eTrack = 1,       // TRCK
    eTitle = 2,       // TIT2
    eArtist = 3,      // TPE1
    eAlbum = 4,       // TALB
    eYear = 5,        // TYER
    eGenre = 6,       // TCON
    eComment = 7,     // COMM
    eComposer = 8,    // TCOM
    eOrigArtist = 9,  // TOPE
    eCopyright = 10,  // TCOP
    eURL = 11,        // WXXX
    eEncodedBy = 12,  // TENC
};

// ---- errors ---------------------------------------------------------------

// Message ids; the HRESULT is vbObjectError + id.
enum TagmoraErrorId : LONG {
    kErrInvalidFrameId = 102,       // "The frame ID, %ID%, supplied is invalid."
    kErrInvalidFrameObject = 103,   // "The frame object supplied is invalid."
    kErrInvalidCommentFrame = 104,  // "The data supplied does not make a valid comment frame."
    kErrInvalidTextFrame = 105,     // "The data supplied does not make a valid text frame"
    kErrInvalidWebFrame = 106,      // "The data supplied does not make a valid web frame."
    kErrInvalidFlags = 107,         // "The flag data supplied is either invalid or out of an acceptable range."
    kErrUnknownFrameId = 108,       // "An unknown frame ID (%FRAMEID%)  was supplied."
    kErrFileNotFound = 109,         // "The file, %FILE%, was not found."
    kErrFrameHeaderSize = 110,      // "The frame header data is of an incorrect size."
    kErrReadOnly = 111,             // "The file %FILE%, is read only"
    kErrInvalidFileSize = 112,      // "The file %FILE% has an invalid file size."
    kErrArraySizeMismatch = 113,    // "The source array and destination array are not the same size"
    kErrReplaceListMismatch = 1000, // "The replace array size does not match the with array"
};

constexpr HRESULT errorCode(LONG id) { return vbObjectError + id; }

// Run-time errors of the file system (FACILITY_CONTROL, as Visual Basic's).
namespace kFileSystemErrors {
inline constexpr HRESULT SubscriptOutOfRange = hresult(0x800A0009); // 9
inline constexpr HRESULT FileNotFound = hresult(0x800A0035);        // 53
inline constexpr HRESULT DeviceIoError = hresult(0x800A0039);       // 57
inline constexpr HRESULT DiskFull = hresult(0x800A003D);            // 61
inline constexpr HRESULT PermissionDenied = hresult(0x800A0046);    // 70
inline constexpr HRESULT PathFileAccess = hresult(0x800A004B);      // 75
} // namespace kFileSystemErrors

// ---- interfaces -----------------------------------------------------------

// One frame of a tag. Implemented by clsText_Frame, clsWeb_Frame and
// clsComment_Frame; Data is the frame's main text (the URL of a web frame).
// String fields keep a NUL terminator as their last character.
struct _clsFrame : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = com::guid("{74F8C155-4DD4-45C8-8333-DBC365091D42}");
    virtual HRESULT put_FrameID(BSTR value) = 0;
    virtual HRESULT get_FrameID(BSTR* value) = 0;
    virtual HRESULT get_FrameSize(LONG* value) = 0;
    virtual HRESULT setFlags(SAFEARRAY* a_flags) = 0;      // exactly 2 bytes
    virtual HRESULT getFlags(SAFEARRAY** result) = 0;
    virtual HRESULT parseBytes(SAFEARRAY* a_bytes) = 0;    // a frame body
    virtual HRESULT getBytes(SAFEARRAY** result) = 0;      // the frame body, FrameSize bytes
    virtual HRESULT get_TextEncoding(BYTE* value) = 0;
    virtual HRESULT put_TextEncoding(BYTE value) = 0;
    virtual HRESULT get_Data(BSTR* value) = 0;
    virtual HRESULT put_Data(BSTR value) = 0;
};

struct _clsText_Frame : _clsFrame {
    using Base = _clsFrame;
    static constexpr IID iid = com::guid("{761CE0DD-A873-4653-9FFA-ED1832C12B6E}");
};

struct _clsWeb_Frame : _clsFrame {
    using Base = _clsFrame;
    static constexpr IID iid = com::guid("{221316FF-F7AC-4510-88D3-3D7B89A5050B}");
    virtual HRESULT get_Description(BSTR* value) = 0;
    virtual HRESULT put_Description(BSTR value) = 0;
};

struct _clsComment_Frame : _clsFrame {
    using Base = _clsFrame;
    static constexpr IID iid = com::guid("{2BF0BD9B-42E5-4DDB-BA82-AA5FF1E51530}");
    virtual HRESULT get_Language(BSTR* value) = 0;   // three characters
    virtual HRESULT put_Language(BSTR value) = 0;
    virtual HRESULT get_Description(BSTR* value) = 0;
    virtual HRESULT put_Description(BSTR value) = 0;
};

// Ordered frames, addressed by 1-based position.
struct _clsFrames : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = com::guid("{006A8EBB-EA23-45E9-A811-A605AD71466E}");
    virtual HRESULT Add(_clsFrame* a_objFrame) = 0;
    virtual HRESULT Item(LONG index, _clsFrame** result) = 0;
    virtual HRESULT get_Count(LONG* result) = 0;
    virtual HRESULT Remove(LONG index) = 0;
    virtual HRESULT Clear() = 0;
    virtual HRESULT NewEnum(IUnknown** result) = 0; // an IEnumVARIANT of VT_DISPATCH frames
};

// The ID3v2.3 tag at the start of one file. Holds no file: every file
// member takes the path (UTF-8 in the BSTR's UTF-16).
struct _clsID3v2 : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = com::guid("{C574ED65-E4AF-4078-A4BF-7DC19DD76F13}");
    virtual HRESULT get_HasTag(VARIANT_BOOL* result) = 0;
    virtual HRESULT ReadTag(BSTR a_sfile) = 0;
    virtual HRESULT WriteTag(BSTR a_sfile, VARIANT_BOOL a_bIgnoreReadOnly) = 0;
    virtual HRESULT RemoveTag(BSTR a_sfile, VARIANT_BOOL a_bIgnoreReadOnly) = 0;
    virtual HRESULT GetFrameValue(ID3FrameIDs a_eFrameID, BSTR* result) = 0;
    virtual HRESULT SetFrameValue(ID3FrameIDs a_eFrameID, BSTR a_sData) = 0;
};

// ---- dispids --------------------------------------------------------------

namespace dispid {
enum Frame : DISPID {
    FrameID = 1,
    FrameSize = 2,
    setFlags = 3,
    getFlags = 4,
    parseBytes = 5,
    getBytes = 6,
    TextEncoding = 7,
    Data = 8,
    Description = 9, // web and comment frames
    Language = 10,   // comment frames
};
enum Frames : DISPID { Item = DISPID_VALUE, Add = 1, Count = 2, Remove = 3, Clear = 4, NewEnum = DISPID_NEWENUM };
enum ID3v2 : DISPID { HasTag = 1, ReadTag = 2, WriteTag = 3, RemoveTag = 4, GetFrameValue = 5, SetFrameValue = 6 };
} // namespace dispid

} // namespace Tagmora
