#include "recorder/tagging/editor/common_tag_fields.h"

#include <QString>

#include <algorithm>

namespace recorder {

namespace {

bool sameText(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

long leadingNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return 0;
    const bool negative = text[i] == '-';
    if (negative || text[i] == '+') ++i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min(value * 10 + (text[i] - '0'), 1000000L);
    return negative ? -value : value;
}

CommonTagFields commonTagFields(const std::vector<const TagFileRecord*>& checked)
{
    CommonTagFields common;
    TagFileRecord& out = common.fields;
    for (const TagFileRecord* record : checked) {
        if (record->hasV1) {
            if (!common.anyV1) {
                out.v1 = record->v1;
                out.v1Genre = record->v1Genre;
                common.anyV1 = true;
            } else {
                for (int i = 0; i < tagfield::kV1Count; ++i) {
                    const bool same = i == tagfield::kTrack ? leadingNumber(out.v1[i]) == leadingNumber(record->v1[i])
                                                            : sameText(out.v1[i], record->v1[i]);
                    if (!same) out.v1[i].clear();
                }
                if (out.v1Genre != record->v1Genre) out.v1Genre = -1;
            }
        }
        if (record->hasV2) {
            if (!common.anyV2) {
                out.v2 = record->v2;
                out.v2Genre = record->v2Genre;
                common.anyV2 = true;
            } else {
                for (int i = 0; i < tagfield::kV2Count; ++i)
                    if (!sameText(out.v2[i], record->v2[i])) out.v2[i].clear();
                if (!sameText(out.v2Genre, record->v2Genre)) out.v2Genre.clear();
            }
        }
    }
    if (leadingNumber(out.v1[tagfield::kTrack]) <= 0) out.v1[tagfield::kTrack].clear();
    return common;
}

} // namespace recorder
